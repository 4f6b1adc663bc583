#pragma once

#include "sim/simcardmodel.h"

#include <cstdio>
#include <string>

namespace korvex::simtest {

// The bytes followed by the low byte of their sum in uppercase hex, worked
// out here on its own so a wrong checksum rule in the simulator cannot hide
// behind the same rule in the test.
inline std::string WithChecksum(const std::string& bytes) {
    unsigned sum = 0;
    for (unsigned char c : bytes) {
        sum += c;
    }
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", sum & 0xFF);
    return bytes + checksum + "\r";
}

// A host frame: 0x01, command, device digit ('\0': none), data, checksum, CR.
inline std::string Frame(char command, char device, const std::string& data) {
    std::string bytes = std::string("\x01") + command;
    if (device != '\0') {
        bytes += device;
    }
    return WithChecksum(bytes + data);
}

// A framed reply as the host expects it: 0x02, payload, checksum, CR.
inline std::string Reply(const std::string& payload) {
    return WithChecksum("\x02" + payload);
}

inline const std::string kAckEot = "\x06\x04";
inline const std::string kNakByte = "\x16";
inline const std::string kDleByte = "\x10";

// A small PIC card: 4 program words, 2 data bytes, identification 0560 and a
// 3-byte external EEPROM.
inline sim::TSimCardModel SmallPicModel() {
    sim::TSimCardModel model;
    model.processor = "tiny PIC";
    model.kind = 3;
    model.programWords = 4;
    model.dataBytes = 2;
    model.idA = "0560";
    model.eepromBytes = 3;
    return model;
}

} // namespace korvex::simtest
