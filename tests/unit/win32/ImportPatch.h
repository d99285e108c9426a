#pragma once
// Points one entry of this program's import table at a function of the test's
// own for as long as the object lives, so a test can give a system call the
// answer it has on another kind of Windows machine.

#include <windows.h>

#include <cstring>

namespace zq::test {

class ImportPatch {
public:
    // dll: as the import table names it, case ignored ("kernel32.dll").
    ImportPatch(const char* dll, const char* function, void* replacement) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0)
            return;
        for (auto* entry =
                 reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name != 0; ++entry) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    FSlot = reinterpret_cast<void**>(&slots->u1.Function);
                    FOriginal = *FSlot;
                    Write(replacement);
                    return;
                }
            }
        }
    }
    ~ImportPatch() {
        if (FSlot)
            Write(FOriginal);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Applied() const { return FSlot != nullptr; }
    // The function the entry named before, for a replacement that passes calls on.
    template <typename F> F Original() const { return reinterpret_cast<F>(FOriginal); }

private:
    void Write(void* value) {
        DWORD old = 0;
        ::VirtualProtect(FSlot, sizeof(void*), PAGE_READWRITE, &old);
        *FSlot = value;
        ::VirtualProtect(FSlot, sizeof(void*), old, &old);
    }

    void** FSlot = nullptr;
    void* FOriginal = nullptr;
};

} // namespace zq::test
