#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace zq::test {

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    FPath = std::filesystem::temp_directory_path() /
            ("zqmon-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(FPath);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

std::filesystem::path TempFolder::WithSeparator() const {
    auto folder = FPath;
    folder += std::filesystem::path::preferred_separator;
    return folder;
}

std::filesystem::path TempFolder::Write(const std::filesystem::path& relative,
                                        std::string_view bytes) const {
    const auto file = FPath / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

} // namespace zq::test
