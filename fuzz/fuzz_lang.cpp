// Arbitrary bytes as a language file: splitting into entries and looking
// them up must never crash, and every entry is a single line.
#include "support/lang.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvex::TPLang lang;
    lang.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));
    const int count = lang.EntryCount();
    if (count < 0 || static_cast<std::size_t>(count) > size) {
        std::abort();
    }
    for (int entry = -2; entry <= 150; ++entry) {
        const std::string text = lang.GetText(entry);
        if (text.find_first_of("\r\n") != std::string::npos) {
            std::abort();
        }
        if ((entry < 0 || entry >= count) && text != korvex::TPLang::kUndefined) {
            std::abort();
        }
    }
    return 0;
}
