#include "driver/SystemInfo.h"

namespace zq {

namespace {
constexpr std::uint16_t ProcessorAmd64 = 9;
constexpr std::uint16_t ProcessorIa64 = 6;
constexpr std::uint16_t ProcessorX86 = 0;
constexpr std::uint8_t VerNtWorkstation = 1;
} // namespace

bool IsWin64(const SystemArchitecture& architecture) {
    const bool nativeIs64 = architecture.NativeProcessor == ProcessorAmd64 ||
                            architecture.NativeProcessor == ProcessorIa64;
    return architecture.Process64 || (architecture.Wow64 && nativeIs64);
}

bool IsWindowsXP64(const OsVersion& version, const SystemArchitecture& architecture) {
    return version.PlatformId == 2 && version.Major == 5 && version.Minor == 2 &&
           !architecture.ServerR2 && architecture.NativeProcessor != ProcessorX86 &&
           architecture.ProductType == VerNtWorkstation;
}

} // namespace zq
