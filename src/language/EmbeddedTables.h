#pragma once
// The translation tables built into the program, as table streams. Each is
// generated at build time from a readable file beside this header
// (EmbeddedTable.txt, EditorTable.txt).

#include <cstdint>
#include <span>

namespace zq {

// The main window's table: the monitor's texts in "CH" and "US".
std::span<const std::uint8_t> MonitorLanguageTable();
// The language editor's own table.
std::span<const std::uint8_t> EditorLanguageTable();

} // namespace zq
