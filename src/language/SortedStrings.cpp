#include "language/SortedStrings.h"

#include <algorithm>

namespace zq {

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        // CR LF ends one line, not two.
        start = end + 1;
        if (end < text.size() && text[end] == u'\r' && start < text.size() && text[start] == u'\n')
            ++start;
    }
    return lines;
}

bool BreaksLine(std::u16string_view text) {
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

bool IsLineName(std::u16string_view text) {
    return !text.empty() && text.find_first_of(u"=\r\n") == std::u16string_view::npos;
}

namespace {

// The first line that begins with name "=": lines sharing a prefix sit together in
// sorted order, so the search starts where that prefix would be.
std::vector<std::u16string>::const_iterator FindName(const std::vector<std::u16string>& lines,
                                                     std::u16string_view name) {
    std::u16string prefix(name);
    prefix += u'=';
    auto it = std::lower_bound(lines.begin(), lines.end(), prefix);
    if (it != lines.end() && std::u16string_view(*it).starts_with(prefix))
        return it;
    return lines.end();
}

} // namespace

bool TSortedStrings::Add(std::u16string line) {
    const auto it = std::lower_bound(FLines.begin(), FLines.end(), line);
    if (it != FLines.end() && *it == line)
        return false;
    FLines.insert(it, std::move(line));
    return true;
}

bool TSortedStrings::Remove(std::u16string_view line) {
    const auto it = std::lower_bound(FLines.begin(), FLines.end(), line);
    if (it == FLines.end() || *it != line)
        return false;
    FLines.erase(it);
    return true;
}

bool TSortedStrings::Contains(std::u16string_view line) const {
    return std::binary_search(FLines.begin(), FLines.end(), line);
}

std::u16string TSortedStrings::Text() const {
    std::u16string text;
    for (const auto& line : FLines) {
        text += line;
        text += u"\r\n";
    }
    return text;
}

void TSortedStrings::SetText(std::u16string_view text) {
    std::vector<std::u16string> lines;
    for (const auto line : SplitLines(text))
        lines.emplace_back(line);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    FLines = std::move(lines);
}

std::u16string TSortedStrings::Value(std::u16string_view name) const {
    const auto it = FindName(FLines, name);
    if (it == FLines.end())
        return {};
    return it->substr(name.size() + 1);
}

std::u16string TSortedStrings::NameOfValue(std::u16string_view value) const {
    for (const auto& line : FLines) {
        const auto equals = line.find(u'=');
        if (equals != std::u16string::npos && std::u16string_view(line).substr(equals + 1) == value)
            return line.substr(0, equals);
    }
    return {};
}

bool TSortedStrings::SetValue(std::u16string_view name, std::u16string_view value) {
    if (!IsLineName(name) || BreaksLine(value))
        return false;
    for (auto it = FindName(FLines, name); it != FLines.end(); it = FindName(FLines, name))
        FLines.erase(it);
    if (!value.empty()) {
        std::u16string line(name);
        line += u'=';
        line += value;
        Add(std::move(line));
    }
    return true;
}

} // namespace zq
