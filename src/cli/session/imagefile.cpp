#include "cli/session/imagefile.h"

#include "support/filetarget.h"
#include "support/textconv.h"

#include <filesystem>
#include <system_error>

namespace korvex::cli {

std::string ImageFileProblem(const std::string& file) {
    if (std::string problem = InputFileProblem(file); !problem.empty()) {
        return problem;
    }
    if (!EndsWithNoCase(file, ".hex") && !EndsWithNoCase(file, ".bin")) {
        return "not an image file (give a .hex or .bin file)";
    }
    std::error_code error;
    if (std::filesystem::file_size(file, error) == 0 && !error) {
        return "the file is empty: there is no image in it";
    }
    return {};
}

} // namespace korvex::cli
