#pragma once
// No error may unwind through the window manager's frames (window procedures,
// timer and message dispatch): one that escapes a handler is written to the
// debugger output and the program goes on, as its global error handler does.

#include <exception>

namespace zq::win32 {

// Writes the error to the debugger output; what may be null.
void ReportUnhandledError(const char* where, const char* what) noexcept;

// Runs fn; true when it returned normally.
template <typename Fn> bool ContainErrors(const char* where, Fn&& fn) noexcept {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        ReportUnhandledError(where, e.what());
    } catch (...) {
        ReportUnhandledError(where, nullptr);
    }
    return false;
}

} // namespace zq::win32
