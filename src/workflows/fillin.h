#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A language entry with %1, %2 ... in it, those filled in: a translation may
// put the values where its sentence needs them. A number with no value, and
// every other character, stays as it is.
std::string FillIn(std::string_view pattern, const std::vector<std::string>& values);

} // namespace korvex
