#include "platform/win32/Win32Convert.h"

#include "platform/win32/Handles.h"

namespace zq::win32 {

GUID ToGuid(const Guid& g) {
    GUID guid;
    guid.Data1 = g.Data1;
    guid.Data2 = g.Data2;
    guid.Data3 = g.Data3;
    for (std::size_t i = 0; i < 8; ++i)
        guid.Data4[i] = g.Data4[i];
    return guid;
}

Guid FromGuid(const GUID& guid) {
    Guid g;
    g.Data1 = guid.Data1;
    g.Data2 = guid.Data2;
    g.Data3 = guid.Data3;
    for (std::size_t i = 0; i < 8; ++i)
        g.Data4[i] = guid.Data4[i];
    return g;
}

std::vector<std::u16string> SplitMultiString(const wchar_t* text, std::size_t units) {
    std::vector<std::u16string> list;
    std::size_t start = 0;
    for (std::size_t i = 0; i < units; ++i) {
        if (text[i] != L'\0')
            continue;
        if (i == start)
            break;
        list.push_back(FromWide(text + start, i - start));
        start = i + 1;
    }
    return list;
}

std::u16string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, text.data(), length + 1);
    return FromWide(text.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

void RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
}

} // namespace zq::win32
