// The "ui.local" reader on arbitrary bytes: it must never crash, read out of
// bounds or allocate beyond what the input holds, and a stream it accepts must
// come back the same through the table and a second reading.
#include "language/LanguageTable.h"
#include "language/TableStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto content = zq::ReadTableStream(bytes);

    zq::TLanguageTable table;
    const bool loaded = table.LoadFromStream(bytes);
    if (loaded != content.has_value())
        std::abort();
    if (!content)
        return 0;

    // The stream writer gives back the bytes it was read from, up to the end of
    // the table (what follows it is ignored).
    const auto written = zq::WriteTableStream(*content);
    if (written.size() > bytes.size() || !std::equal(written.begin(), written.end(), bytes.begin()))
        std::abort();

    // The table keeps its lists sorted; what it writes it reads again unchanged.
    const auto saved = table.SaveToStream();
    zq::TLanguageTable again;
    if (!again.LoadFromStream(saved) || !(again == table) || again.SaveToStream() != saved)
        std::abort();

    for (const auto& language : table.Languages()) {
        table.FindLanguage(language.ShortID);
        for (const auto& source : table.Originals().Lines())
            language.Translations.Value(source);
    }
    return 0;
}
