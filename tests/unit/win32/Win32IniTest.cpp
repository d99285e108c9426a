// The INI cases once more, against the Windows private-profile reader.
#include "platform/win32/Win32Ini.h"
#include "support/IniReaderCases.h"

namespace zq::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Win32Reader, IniReaderCases, ::testing::Values(IniReaderFactory([] {
                             return std::unique_ptr<IIniReader>(
                                 std::make_unique<win32::Win32IniReader>());
                         })),
                         [](const auto&) { return std::string("Win32"); });

} // namespace
} // namespace zq::test
