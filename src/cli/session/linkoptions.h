#pragma once

#include <string>

namespace korvex::cli {

// The line options every programmer command takes.
struct LinkOptions {
    std::string port;    // "COM1".."COM8", a device path, "sim"; empty: the stored port
    std::string speed;   // "19200" or "115200"; empty: the stored speed, else 19200
    std::string logFile; // empty: no log
};

} // namespace korvex::cli
