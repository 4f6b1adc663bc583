#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvex {

// Serial devices present on this machine: /dev/serial/by-id/*, then
// /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS*, each in natural order (ttyS2
// before ttyS10).
// `root` stands in for "/" so the listing can be tried on a made-up tree.
std::vector<std::string> ListSerialDevices(const std::filesystem::path& root = "/");

// Why opening `path` failed, in one line a user can act on. The device list
// is only consulted when the device is missing.
std::string DescribeOpenError(int errnoValue, const std::string& path);
std::string DescribeOpenError(int errnoValue, const std::string& path,
                              const std::vector<std::string>& devices);

} // namespace korvex
