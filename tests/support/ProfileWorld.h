#pragma once
// A small simulated world for the profile manager: an in-memory registry, fixed
// system facts, the portable INI reader, and a fresh folder holding the program's
// folder (for config.ini) and the user's documents folder.

#include "platform/PortableIni.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSystem.h"
#include "profiles/DMUnit.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq::test {

// The key the profiles live in when config.ini does not name one.
inline constexpr char16_t DefaultProfileKey[] = u"software\\software\\ZQGMMOUSE";

// The creation stamp the manager gets in tests: 17 May 2024, 10:30.
double TestNow();

class ProfileWorld {
public:
    ProfileWorld();

    // Runs the manager's creation over this world.
    std::unique_ptr<TDM> CreateDM();
    // Writes config.ini into the program's folder.
    void WriteConfig(std::string_view content) const;

    // Values of the profile key.
    void Store(const std::u16string& name, std::vector<std::uint8_t> bytes,
               std::uint32_t type = REG_BINARY_);
    std::optional<RegistryValue> Stored(const std::u16string& name) const;

    // A folder text as the program forms it: the path with a trailing separator.
    static std::u16string FolderText(const std::filesystem::path& folder);

    TempFolder Folder;
    std::filesystem::path ProgramFolder;
    std::filesystem::path Documents;
    sim::SimLog Log;
    sim::SimRegistry Registry;
    sim::SimSystem System;
    PortableIniReader Ini;
    std::u16string Key = DefaultProfileKey;
};

// Makes a file that exists and cannot be read, even by an administrator: a link to
// the memory of the process, which cannot be measured. False where that is not
// possible (the caller skips its test).
bool MakeUnreadableFile(const std::filesystem::path& file);

// The bytes of a record, and little-endian fields read from bytes at an offset.
template <typename Record> std::vector<std::uint8_t> BytesOf(const Record& record) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(&record);
    return std::vector<std::uint8_t>(first, first + sizeof(Record));
}
// The bytes of a profile component's stream.
std::vector<std::uint8_t> StreamBytes(const TuiProfile& profile);
std::uint16_t Peek16(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::int32_t Peek32(const std::vector<std::uint8_t>& bytes, std::size_t offset);
// The UTF-16 text at the offset, up to its terminator or the field's end.
std::u16string PeekText(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                        std::size_t units);
void Poke8(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint8_t value);
void Poke16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void Poke32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int32_t value);
void PokeDouble(std::vector<std::uint8_t>& bytes, std::size_t offset, double value);
// Writes the text and its terminator; the units after it stay.
void PokeText(std::vector<std::uint8_t>& bytes, std::size_t offset, std::u16string_view text);
void Fill(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t count,
          std::uint8_t value);

} // namespace zq::test
