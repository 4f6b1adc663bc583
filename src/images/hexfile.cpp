#include "images/hexfile.h"

#include "images/hexrecordline.h"
#include "support/errors.h"
#include "support/linecutter.h"
#include "support/readfile.h"
#include "support/textconv.h"

#include <algorithm>

namespace korvex {

namespace {

enum : int {
    kData = 0x00,
    kEndOfFile = 0x01,
    kSegmentAddress = 0x02,
    kStartSegment = 0x03,
    kLinearAddress = 0x04,
    kStartLinear = 0x05,
};

// Editors leave trailing blanks behind; they carry no data.
std::string_view TrimTrailingBlanks(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

THexFile::THexFile(std::string content, std::string name)
    : content_(std::make_unique<const std::string>(std::move(content))), name_(std::move(name)) {}

THexFile THexFile::Read(const std::filesystem::path& file) {
    return Parse(TReadOnlyFile(file).ReadAll(), file.string());
}

THexFile THexFile::Parse(std::string content, std::string name) {
    THexFile file(std::move(content), std::move(name));
    TLineCutter lines(*file.content_);
    std::string_view line;
    int lineNumber = 0;
    std::int64_t upper = 0;
    bool sawData = false;
    bool sawEnd = false;
    while (lines.Next(line)) {
        ++lineNumber;
        line = TrimTrailingBlanks(line);
        if (line.empty()) {
            continue;
        }
        const THexRecordLine record = ParseHexRecordLine(line, file.name_, lineNumber);
        if (record.type == kEndOfFile) {
            sawEnd = true;
            break;
        }
        if (record.type == kSegmentAddress || record.type == kLinearAddress) {
            if (record.count != 2) {
                ThrowHexLineError(file.name_, lineNumber,
                                  "address record carries " + std::to_string(record.count) +
                                      " bytes, not 2");
            }
            upper = static_cast<std::int64_t>(HexRecordValue(record))
                    << (record.type == kSegmentAddress ? 4 : 16);
            continue;
        }
        if (record.type == kStartSegment || record.type == kStartLinear) {
            continue;
        }
        if (record.type != kData) {
            ThrowHexLineError(file.name_, lineNumber,
                              "unsupported record type " + HexUpper(record.type, 2));
        }
        if (record.count == 0) {
            continue;
        }
        sawData = true;
        file.records_.push_back({upper + record.address, record.data, lineNumber});
    }
    if (!sawData) {
        throw EImageFileError(file.name_ + ": no data records");
    }
    // Every tool ends a file with this record; a file without it was cut off
    // (a copy broken off, a disk that filled up), and what is missing would
    // go to the card as blank.
    if (!sawEnd) {
        throw EImageFileError(file.name_ +
                              ": ends without an end-of-file record: the file may be cut short");
    }
    return file;
}

std::int64_t THexFile::HighestAddressIn(std::int64_t from, std::int64_t below) const {
    std::int64_t highest = -1;
    for (const THexDataRecord& record : records_) {
        const std::int64_t first = record.address;
        const auto last = first + static_cast<std::int64_t>(record.digits.size() / 2) - 1;
        if (last >= from && first < below) {
            highest = std::max(highest, std::min(last, below - 1));
        }
    }
    return highest;
}

} // namespace korvex
