#include "language/TableStream.h"

namespace zq {

namespace {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}

    std::size_t Left() const { return FBytes.size() - FPos; }

    std::optional<std::int32_t> ReadInt32() {
        if (Left() < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | FBytes[FPos + static_cast<std::size_t>(i)];
        FPos += 4;
        return static_cast<std::int32_t>(value);
    }

    std::optional<std::u16string> ReadText() {
        const auto count = ReadInt32();
        // The count is checked against the bytes that remain before anything is
        // allocated for it.
        if (!count || *count < 0 || static_cast<std::size_t>(*count) > Left() / 2)
            return std::nullopt;
        std::u16string text(static_cast<std::size_t>(*count), u'\0');
        for (auto& unit : text) {
            unit = static_cast<char16_t>(FBytes[FPos] | (FBytes[FPos + 1] << 8));
            FPos += 2;
        }
        if (!IsWellFormed(text))
            return std::nullopt;
        return text;
    }

private:
    // No zero code units (which would cut the text short wherever it is read as a
    // terminated string) and no surrogate outside a pair.
    static bool IsWellFormed(const std::u16string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i];
            if (unit == 0)
                return false;
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                    return false;
                ++i;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                return false;
            }
        }
        return true;
    }

    std::span<const std::uint8_t> FBytes;
    std::size_t FPos = 0;
};

void AppendInt32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendText(std::vector<std::uint8_t>& out, const std::u16string& text) {
    AppendInt32(out, static_cast<std::uint32_t>(text.size()));
    for (const char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

// A language needs at least its two counts.
constexpr std::size_t SmallestLanguage = 8;

} // namespace

std::optional<TTableStreamContent> ReadTableStream(std::span<const std::uint8_t> bytes) {
    Reader reader(bytes);
    TTableStreamContent content;
    auto originals = reader.ReadText();
    if (!originals)
        return std::nullopt;
    content.OriginalsText = std::move(*originals);

    const auto count = reader.ReadInt32();
    if (!count || *count < 0 || static_cast<std::size_t>(*count) > reader.Left() / SmallestLanguage)
        return std::nullopt;
    for (std::int32_t i = 0; i < *count; ++i) {
        auto shortId = reader.ReadText();
        if (!shortId)
            return std::nullopt;
        auto translations = reader.ReadText();
        if (!translations)
            return std::nullopt;
        content.Languages.push_back({std::move(*shortId), std::move(*translations)});
    }
    // Bytes after a complete table (a tool that pads the file, a stray byte from a
    // copy) are left unread: rejecting the file for them would drop every language
    // in it and move the embedded ones, so that the stored language index would
    // name another language.
    return content;
}

std::vector<std::uint8_t> WriteTableStream(const TTableStreamContent& content) {
    std::vector<std::uint8_t> out;
    AppendText(out, content.OriginalsText);
    AppendInt32(out, static_cast<std::uint32_t>(content.Languages.size()));
    for (const auto& language : content.Languages) {
        AppendText(out, language.ShortID);
        AppendText(out, language.TranslationText);
    }
    return out;
}

} // namespace zq
