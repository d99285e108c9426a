#pragma once
// System facts, the debugger output and named mutexes on Windows.

#include "platform/System.h"

namespace zq::win32 {

class Win32System : public ISystem {
public:
    OsVersion GetOsVersion() override;
    SystemArchitecture GetArchitecture() override;
    std::filesystem::path ExecutableFolder() override;
    std::filesystem::path DocumentsFolder() override;
    void DebugOutput(const std::u16string& text) override;
    bool NamedMutexExists(const std::u16string& name) override;
    NamedMutexResult CreateNamedMutex(const std::u16string& name) override;
};

} // namespace zq::win32
