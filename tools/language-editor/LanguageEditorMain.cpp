// Program entry of the language editor: translators edit the languages of the
// "ui.local" file beside this program and save it there again.

#include "language/LanguageEditor.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32LanguageEditor.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Only the system folder is searched for DLLs loaded later on.
    ::SetDllDirectoryW(L"");
    try {
        zq::win32::Win32Platform platform;
        // Opened without a component: the editor reads "ui.local" itself and stays
        // open after saving.
        zq::TLanguageEditor editor(platform.Platform());
        zq::win32::Win32LanguageEditorWindow window(editor);
        window.ShowModal();
    } catch (...) {
        return 1;
    }
    return 0;
}
