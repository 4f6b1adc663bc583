#pragma once

#include <string>

namespace korvex::cli {

// The log of one programmer of a run with several: the --log file's name
// with the port put before its extension, the port made one file name
// ("line.log" and /dev/ttyUSB0: "line-dev_ttyUSB0.log"; COM3: "line-COM3.log").
std::string SlotLogFile(const std::string& log, const std::string& port);

} // namespace korvex::cli
