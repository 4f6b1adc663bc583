#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Splits catalogue bytes into lines: LF ends a line, CR is dropped wherever it
// stands (so CR LF and LF both work), and a Ctrl-Z (26) ends the text. A last
// line without LF still counts. A UTF-8 byte order mark at the start is skipped.
std::vector<std::string> SplitCatalogueLines(std::string_view bytes);

} // namespace korvex
