#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex {

// Builds Intel HEX text record by record. Addresses are full addresses: an
// extended linear address record goes out whenever the upper 16 bits change
// (never for data below 64 KiB, so small images carry none).
class THexRecordWriter {
public:
    // `hexData` is an even number of hexadecimal digits; a record never
    // crosses a 64 KiB boundary. Throws EConvertError for a non-hex digit.
    void Data(std::uint32_t address, std::string_view hexData);
    // Adds the end-of-file record and hands over the text.
    std::string Finish();

private:
    void Record(int type, std::uint32_t address, std::string_view hexData);

    std::string text_;
    std::uint32_t upper_ = 0;
};

} // namespace korvex
