#pragma once

#include <string>
#include <string_view>

namespace korvex::cli {

inline constexpr const char* kProgram = "korvex-cli";

// Every error and warning the tool prints has one shape, so a script or a
// person scanning stderr finds them: "korvex-cli: error: ..." and
// "korvex-cli: warning: ...", on one line. Information has no prefix.
std::string ErrorLine(std::string_view text);
std::string WarningLine(std::string_view text);

} // namespace korvex::cli
