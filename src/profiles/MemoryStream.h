#pragma once
// A growable block of bytes with a read/write position: the in-memory copy of one
// stored blob.

#include <cstdint>
#include <span>
#include <vector>

namespace zq {

class TMemoryStream {
public:
    std::int64_t Size() const { return static_cast<std::int64_t>(FData.size()); }
    // Keeps the bytes that still fit; new bytes are zero. The position stays.
    void SetSize(std::int64_t size);
    std::int64_t Position() const { return FPosition; }
    void SetPosition(std::int64_t position) { FPosition = position < 0 ? 0 : position; }

    // Writes count bytes at the position, growing the stream when needed (never
    // shrinking it), and moves the position past them.
    std::int64_t Write(const void* buffer, std::int64_t count);
    // Copies up to count bytes from the position and moves past them; the number copied.
    std::int64_t Read(void* buffer, std::int64_t count);
    // Replaces the whole content, position at the start. The memory is kept when the
    // new content fits it.
    void Assign(std::span<const std::uint8_t> bytes);

    std::uint8_t* Memory() { return FData.data(); }
    const std::uint8_t* Memory() const { return FData.data(); }
    std::span<const std::uint8_t> Bytes() const { return FData; }

private:
    std::vector<std::uint8_t> FData;
    std::int64_t FPosition = 0;
};

} // namespace zq
