// Names printed on a terminal: whatever bytes a file name or a catalogue
// holds, what is printed holds no control character and no byte that is not UTF-8.
#include "Classes/CommandLine/TerminalText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string out =
        TerminalText::escaped(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7f) std::abort();
        // No C1 control (U+0080 to U+009F) either.
        if (byte == 0xC2 && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) < 0xA0)
            std::abort();
        if (byte >= 0x80) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
            if (length == 0 || i + length > out.size()) std::abort();
            for (std::size_t k = 1; k < length; ++k) {
                if ((static_cast<unsigned char>(out[i + k]) & 0xC0) != 0x80) std::abort();
            }
            i += length - 1;
        }
    }
    return 0;
}
