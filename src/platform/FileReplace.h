#pragma once
// Saving a whole file so that a power loss or a crash at any moment leaves
// either the old content or the new, never an empty or half-written file: the
// bytes go to a new file beside it, which is flushed to the disk and then takes
// the old file's place in one step.

#include <cstdint>
#include <filesystem>
#include <span>

namespace zq {

// Creates or replaces file with bytes. False when that failed; the old file (if
// any) is then as it was and nothing is left beside it.
bool ReplaceFileDurably(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace zq
