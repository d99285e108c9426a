#include "profiles/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace zq {

void TMemoryStream::SetSize(std::int64_t size) {
    FData.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0)
        return 0;
    const auto end = static_cast<std::size_t>(FPosition + count);
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition += count;
    return count;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t available = std::max<std::int64_t>(Size() - FPosition, 0);
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, available);
    if (n > 0)
        std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

void TMemoryStream::Assign(std::span<const std::uint8_t> bytes) {
    FData.assign(bytes.begin(), bytes.end());
    FPosition = 0;
}

} // namespace zq
