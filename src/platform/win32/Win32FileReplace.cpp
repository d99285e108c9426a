// Built into the portable platform library on Windows: the profile and language
// files are saved through it.
#include "platform/FileReplace.h"

#include "platform/win32/Handles.h"

#include <algorithm>

namespace zq {

bool ReplaceFileDurably(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    std::filesystem::path fresh = file;
    fresh += L".new";
    const std::wstring target = file.wstring(), source = fresh.wstring();
    bool written = false;
    {
        win32::UniqueHandle out(::CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return false;
        written = true;
        for (std::size_t at = 0; written && at < bytes.size();) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 20));
            DWORD done = 0;
            written = ::WriteFile(out.Get(), bytes.data() + at, chunk, &done, nullptr) && done > 0;
            at += done;
        }
        // On the disk before it takes the old file's place, or a power loss
        // could leave the name pointing at an empty file.
        written = written && ::FlushFileBuffers(out.Get());
    }
    // The rename itself reaches the disk before the call returns.
    if (written && ::MoveFileExW(source.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(source.c_str());
    return false;
}

} // namespace zq
