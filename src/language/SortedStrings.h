#pragma once
// A sorted list of text lines without duplicates, compared with case (code unit
// by code unit). The source texts of a translation table are one; each language's
// translation list is another, whose lines read source text, "=", translation.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

// The lines of a text ended by CR LF, CR or LF, empty lines left out.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);
// The text holds a line break, so it cannot be one line.
bool BreaksLine(std::u16string_view text);
// The text can be the name of a name "=" value line: not empty, no "=", no line break.
bool IsLineName(std::u16string_view text);

class TSortedStrings {
public:
    // Adds the line in its sorted place; false when it is already there.
    bool Add(std::u16string line);
    bool Remove(std::u16string_view line);
    bool Contains(std::u16string_view line) const;
    void Clear() { FLines.clear(); }

    std::size_t Count() const { return FLines.size(); }
    bool Empty() const { return FLines.empty(); }
    const std::u16string& operator[](std::size_t index) const { return FLines[index]; }
    const std::vector<std::u16string>& Lines() const { return FLines; }

    // The lines, each ended by CR LF.
    std::u16string Text() const;
    // Replaces the lines by those of the text (ended by CR LF, CR or LF). Empty
    // lines carry nothing and are left out.
    void SetText(std::u16string_view text);

    // Lines of the form name "=" value, the name being the part before the first "=".
    // The value of the first line with this name; empty when there is none.
    std::u16string Value(std::u16string_view name) const;
    // The name of the first line whose value is this text; empty when there is none.
    std::u16string NameOfValue(std::u16string_view value) const;
    // Replaces the lines of this name by name "=" value; an empty value removes them.
    // A name that is empty or holds "=", and a name or value that would break the
    // line, cannot be looked up again and are refused (false).
    bool SetValue(std::u16string_view name, std::u16string_view value);

    bool operator==(const TSortedStrings&) const = default;

private:
    std::vector<std::u16string> FLines;
};

} // namespace zq
