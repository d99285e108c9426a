// Test stand-in for the configuration program. It opens a hidden window of the
// configuration program's class and appends to "peer.log" beside itself:
//   started <process id>
//   shown                      when the window is shown
//   message <msg> <w> <l>      for each message 7000..7999 it receives
// With "--hang" it stops answering messages once its window exists, like a
// program that hangs.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring LogPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, length);
    return file.substr(0, file.find_last_of(L"\\/") + 1) + L"peer.log";
}

void Log(const std::string& line) {
    FILE* file = _wfopen(LogPath().c_str(), L"ab");
    if (!file)
        return;
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
}

LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= 7000 && msg < 8000) {
        Log("message " + std::to_string(msg) + " " + std::to_string(wParam) + " " +
            std::to_string(lParam));
        return 0;
    }
    if (msg == WM_SHOWWINDOW && wParam)
        Log("shown");
    if (msg == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const bool hang = std::wstring(commandLine).find(L"--hang") != std::wstring::npos;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TZQCFGMAIN";
    ::RegisterClassExW(&wc);
    HWND window = ::CreateWindowExW(0, L"TZQCFGMAIN", L"Configuration (test peer)",
                                    WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 200,
                                    nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    Log("started " + std::to_string(::GetCurrentProcessId()));
    if (hang) {
        ::Sleep(INFINITE);
        return 0;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
