#pragma once

#include <string>

namespace korvex::cli {

// Why a file named on the command line as an image cannot be read as one, in
// the tool's own words; empty when it can. Not there, no file, of no image
// kind (.hex or .bin), or empty: an empty file would leave a command nothing
// to say but the window's words about an empty row, or a view nothing to show.
std::string ImageFileProblem(const std::string& file);

} // namespace korvex::cli
