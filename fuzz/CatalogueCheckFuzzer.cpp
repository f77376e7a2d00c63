// The board checker's catalogue reader on arbitrary bytes: it must report,
// never crash, and every finding must name the catalogue.
#include "Classes/Boards/CatalogueCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CatalogueCheck check = CatalogueCheck::ofText(text);
    for (const auto& problem : check.problems) {
        if (problem.file != "Data.XML" || problem.line < 0) std::abort();
        (void)problem.text();
    }
    for (const auto& entry : check.entries) {
        if (!CatalogueCheck::isPlainAudioNumber(entry.audioNumber)) std::abort();
    }
    return 0;
}
