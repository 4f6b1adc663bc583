#include "cli/output/messageline.h"

#include "support/errors.h"

namespace korvex::cli {

std::string ErrorLine(std::string_view text) {
    return std::string(kProgram) + ": error: " + OneLine(std::string(text));
}

std::string WarningLine(std::string_view text) {
    return std::string(kProgram) + ": warning: " + OneLine(std::string(text));
}

} // namespace korvex::cli
