#include "platform/win32/ContainErrors.h"

#include "platform/Text.h"
#include "platform/win32/Handles.h"

#include <string>

namespace zq::win32 {

void ReportUnhandledError(const char* where, const char* what) noexcept {
    try {
        std::u16string text = FromUtf8(where) + u": unhandled error";
        if (what)
            text += u": " + FromUtf8(what);
        ::OutputDebugStringW(Wide(text).c_str());
    } catch (...) {
        ::OutputDebugStringW(L"ZQMON: unhandled error");
    }
}

} // namespace zq::win32
