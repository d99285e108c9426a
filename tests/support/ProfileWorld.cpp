#include "support/ProfileWorld.h"

#include "profiles/DateTime.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace zq::test {

double TestNow() {
    return EncodeDateTime(2024, 5, 17, 10, 30, 0, 0);
}

ProfileWorld::ProfileWorld()
    : ProgramFolder(Folder.Path() / "program"), Documents(Folder.Path() / "documents"),
      Log([] { return std::uint64_t{0}; }), System(Log, ProgramFolder) {
    std::filesystem::create_directories(ProgramFolder);
    std::filesystem::create_directories(Documents);
    System.SetDocumentsFolder(Documents);
}

std::unique_ptr<TDM> ProfileWorld::CreateDM() {
    return std::make_unique<TDM>(Registry, System, Ini, [] { return TestNow(); });
}

void ProfileWorld::WriteConfig(std::string_view content) const {
    Folder.Write("program/config.ini", content);
}

void ProfileWorld::Store(const std::u16string& name, std::vector<std::uint8_t> bytes,
                         std::uint32_t type) {
    Registry.SetValue(RegistryRoot::CurrentUser, Key, name, RegistryValue{type, std::move(bytes)});
}

std::optional<RegistryValue> ProfileWorld::Stored(const std::u16string& name) const {
    return Registry.GetValue(RegistryRoot::CurrentUser, Key, name);
}

std::u16string ProfileWorld::FolderText(const std::filesystem::path& folder) {
    std::u16string text = folder.u16string();
    text.push_back(static_cast<char16_t>(std::filesystem::path::preferred_separator));
    return text;
}

bool MakeUnreadableFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists("/proc/self/mem", ec))
        return false;
    std::filesystem::create_symlink("/proc/self/mem", file, ec);
    return !ec;
}

namespace {
template <typename T> T Peek(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}
template <typename T> void Poke(std::vector<std::uint8_t>& bytes, std::size_t offset, T value) {
    if (offset + sizeof(T) > bytes.size())
        throw std::out_of_range("poke past the end of the bytes");
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
}
} // namespace

std::uint16_t Peek16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return Peek<std::uint16_t>(bytes, offset);
}
std::int32_t Peek32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return Peek<std::int32_t>(bytes, offset);
}
std::vector<std::uint8_t> StreamBytes(const TuiProfile& profile) {
    const auto bytes = profile.Stream().Bytes();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::u16string PeekText(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                        std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = Peek16(bytes, offset + 2 * i);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

void Poke8(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint8_t value) {
    bytes.at(offset) = value;
}
void Poke16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    Poke(bytes, offset, value);
}
void Poke32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int32_t value) {
    Poke(bytes, offset, value);
}
void PokeDouble(std::vector<std::uint8_t>& bytes, std::size_t offset, double value) {
    Poke(bytes, offset, value);
}

void PokeText(std::vector<std::uint8_t>& bytes, std::size_t offset, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        Poke16(bytes, offset + 2 * i, text[i]);
    Poke16(bytes, offset + 2 * text.size(), 0);
}

void Fill(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t count,
          std::uint8_t value) {
    std::memset(bytes.data() + offset, value, count);
}

} // namespace zq::test
