#pragma once

#include <string_view>

namespace korvex {

// data/lang/English.lang as it was when the program was built: the texts a
// language table falls back to when no language file can be used, so a
// broken or missing file never leaves the program without words. Made from
// the file itself, so the two never differ.
std::string_view BuiltInEnglishText();

} // namespace korvex
