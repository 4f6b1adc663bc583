#include "catalogue/cfgreader.h"

#include "catalogue/carderrors.h"
#include "catalogue/cfglines.h"
#include "catalogue/cfgrules.h"
#include "support/readfile.h"
#include "support/textconv.h"

#include <cstring>
#include <exception>

namespace korvex {

namespace {

// Failure locations: one fixed code per place that raises.
constexpr std::uint32_t kTooManyEntries = 0x00C31001;
constexpr std::uint32_t kFieldTooLong = 0x00C31002;
constexpr std::uint32_t kFieldOutOfRange = 0x00C31003;
constexpr std::uint32_t kFindNameFailed = 0x00C31004;

[[noreturn]] void ThrowLoadOutOfBounds(const std::string& path, int line, const std::string& what,
                                       std::uint32_t location) {
    throw ECfgOutOfBounds(path + " line " + std::to_string(line) + ": " + what + " (" +
                          FailureLocation(location) + ")");
}

bool IsEntryLine(std::string_view line) {
    return line.size() > 2 && !line.starts_with("//");
}

} // namespace

TPCardReader::TPCardReader(const std::filesystem::path& file) : TPCfgReader(file.string()) {
    Load(ReadWholeFile(file));
}

TPCardReader::TPCardReader(const TPDataFolders& folders, const std::filesystem::path& relative)
    : TPCardReader(folders.FindFile(relative)) {
    CheckCatalogueEntries(*this, CatalogueKindOf(relative));
}

TPCardReader::TPCardReader(std::string path, std::string_view text) : TPCfgReader(std::move(path)) {
    Load(text);
}

TPCardReader TPCardReader::FromText(std::string_view text, std::string nameForMessages) {
    return TPCardReader(std::move(nameForMessages), text);
}

void TPCardReader::Load(std::string_view bytes) {
    count_ = 0;
    int lineNumber = 0;
    for (const std::string& line : SplitCatalogueLines(bytes)) {
        ++lineNumber;
        if (!IsEntryLine(line)) {
            continue;
        }
        if (count_ >= kMaxEntries) {
            ThrowLoadOutOfBounds(path_, lineNumber,
                                 "more than " + std::to_string(kMaxEntries) + " entries",
                                 kTooManyEntries);
        }
        ++count_;
        const auto index = static_cast<std::size_t>(count_ - 1);
        sources_[index] = {lineNumber, ParseLine(line, lineNumber, table_[index])};
    }
}

// Fields fill their cells from the start; a "," closes the field, the end of
// the line closes the entry. Cells are already zero, so an unclosed last field
// is terminated too. A NUL byte in the text is stored like any other byte and
// so ends that field early when it is read back; nothing past the cell is
// touched.
int TPCardReader::ParseLine(std::string_view line, int lineNumber, Entry& entry) {
    std::size_t position = 0;
    int fields = 0;
    for (Cell& cell : entry) {
        std::size_t length = 0;
        if (position >= line.size()) {
            return fields;
        }
        ++fields;
        for (;;) {
            if (position >= line.size()) {
                return fields;
            }
            const char c = line[position++];
            if (c == ',') {
                cell[length] = '\0';
                break;
            }
            if (length + 1 >= cell.size()) {
                ThrowLoadOutOfBounds(path_, lineNumber,
                                     "field " + std::to_string(fields) + " is longer than " +
                                         std::to_string(kCellSize - 1) + " characters",
                                     kFieldTooLong);
            }
            cell[length++] = c;
        }
    }
    return fields;
}

int TPCardReader::GetCount() const {
    return count_;
}

std::string TPCardReader::GetField(int entry, int field) const {
    if (entry < 1 || entry > kMaxEntries || field < 1 || field > kMaxFields) {
        throw ECfgOutOfBounds("Cfg out of bounds " + std::to_string(field) + " " +
                              std::to_string(entry) + "  " + FailureLocation(kFieldOutOfRange));
    }
    const Cell& cell = table_[entry - 1][field - 1];
    return std::string(cell.data(), ::strnlen(cell.data(), cell.size()));
}

int TPCardReader::FindName(std::string_view name, int defaultResult, int& entry) const {
    try {
        for (int index = 1; index <= count_; ++index) {
            if (SameTextAscii(GetField(index, 1), name)) {
                const int result = StrToInt(GetField(index, 2));
                entry = index;
                return result;
            }
        }
    } catch (const std::exception&) {
        throw EErrorsInCfg("Error in cfg file " + path_ + "\r\n" +
                           FailureLocation(kFindNameFailed));
    }
    entry = 0;
    return defaultResult;
}

} // namespace korvex
