#include "workflows/production/cardjournal.h"

#include "support/appendedlines.h"
#include "support/atomicfile.h"
#include "support/csvread.h"
#include "support/errors.h"
#include "support/readfile.h"
#include "workflows/production/productionrecord.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

// The journal is started afresh at a card's beginning once it is this long.
constexpr off_t kCompactBytes = 64 * 1024;

constexpr std::array<std::string_view, 7> kStepWords = {
    "begun", "claimed", "written", "finished", "recorded", "let go", "taken out"};

std::optional<TJournalStep> StepOf(std::string_view word) {
    const auto found = std::find(kStepWords.begin(), kStepWords.end(), word);
    return found == kStepWords.end()
               ? std::nullopt
               : std::optional(static_cast<TJournalStep>(found - kStepWords.begin()));
}

std::string_view WordOf(TJournalStep step) {
    return kStepWords[static_cast<std::size_t>(step)];
}

// A line of the journal: a CSV record kept on one line whatever its fields
// hold (a file name with a line break), so the reader of append-only files
// can tell a whole line; a field's '%', CR and LF stand as %25, %0D and %0A.
std::string JournalLine(const std::vector<std::string>& fields) {
    std::vector<std::string> kept;
    for (const std::string& field : fields) {
        std::string& one = kept.emplace_back();
        for (const char c : field) {
            one += c == '%' ? "%25" : c == '\r' ? "%0D" : c == '\n' ? "%0A" : std::string(1, c);
        }
    }
    return CsvLine(kept);
}

// The fields of a line JournalLine wrote; nothing for any other line.
std::optional<std::vector<std::string>> JournalFields(std::string_view line) {
    std::vector<std::vector<std::string>> records;
    try {
        records = ParseCsv(line);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
    if (records.size() != 1) {
        return std::nullopt;
    }
    for (std::string& field : records[0]) {
        std::string plain;
        for (std::size_t at = 0; at < field.size(); ++at) {
            const std::string_view code = std::string_view(field).substr(at, 3);
            if (field[at] != '%') {
                plain += field[at];
                continue;
            }
            if (code != "%25" && code != "%0D" && code != "%0A") {
                return std::nullopt;
            }
            plain += code == "%25" ? '%' : code == "%0D" ? '\r' : '\n';
            at += 2;
        }
        field = std::move(plain);
    }
    return std::move(records[0]);
}

// Takes one line of the journal into the card it is about; false for a
// line that is none of the journal's.
bool TakeLine(const std::vector<std::string>& fields, std::optional<TJournalCard>& card) {
    const auto step = fields.size() >= 3 ? StepOf(fields[0]) : std::nullopt;
    int sequence = 0;
    if (!step ||
        std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), sequence).ec !=
            std::errc()) {
        return false;
    }
    if (*step == TJournalStep::jsBegun) {
        if (fields.size() != 5) {
            return false;
        }
        card = TJournalCard();
        card->run = fields[1];
        card->sequence = sequence;
        card->record = fields[3];
        card->station = fields[4];
        return true;
    }
    // A line of another card than the last begun is no journal's.
    if (!card || card->run != fields[1] || card->sequence != sequence) {
        return false;
    }
    card->step = std::max(card->step, *step);
    if (*step == TJournalStep::jsClaimed && fields.size() % 3 == 1) {
        card->cardType = fields[3];
        for (std::size_t at = 4; at + 2 < fields.size(); at += 3) {
            TSerialValue value{fields[at], 0, fields[at + 2]};
            const std::string& position = fields[at + 1];
            if (std::from_chars(position.data(), position.data() + position.size(), value.position)
                    .ec != std::errc()) {
                return false;
            }
            card->serials.push_back(std::move(value));
        }
    } else if (*step == TJournalStep::jsFinished && fields.size() % 2 == 1) {
        for (std::size_t at = 3; at + 1 < fields.size(); at += 2) {
            card->line.push_back({fields[at], fields[at + 1]});
            if (fields[at] == "outcome") {
                card->outcome = fields[at + 1];
            }
        }
    } else if (fields.size() != 3) {
        return false;
    }
    return true;
}

std::vector<std::string> ClaimedLine(const std::string& run, int sequence,
                                     const std::string& cardType,
                                     const std::vector<TSerialValue>& values) {
    std::vector<std::string> fields = {"claimed", run, std::to_string(sequence), cardType};
    for (const TSerialValue& value : values) {
        fields.insert(fields.end(), {value.field, std::to_string(value.position), value.text});
    }
    return fields;
}

// The lines that make the card's state again.
std::vector<std::vector<std::string>> LinesOf(const TJournalCard& card) {
    const std::string sequence = std::to_string(card.sequence);
    std::vector<std::vector<std::string>> lines = {
        {"begun", card.run, sequence, card.record.string(), card.station}};
    if (card.step >= TJournalStep::jsClaimed && !card.serials.empty()) {
        lines.push_back(ClaimedLine(card.run, card.sequence, card.cardType, card.serials));
    }
    if (card.step >= TJournalStep::jsFinished) {
        lines.push_back({"finished", card.run, sequence});
        for (const TRecordColumn& column : card.line) {
            lines.back().push_back(column.name);
            lines.back().push_back(column.value);
        }
    }
    for (const TJournalStep step : {TJournalStep::jsRecorded, TJournalStep::jsLetGo}) {
        if (card.step >= step) {
            lines.push_back({std::string(WordOf(step)), card.run, sequence});
        }
    }
    return lines;
}

} // namespace

TPCardJournal::~TPCardJournal() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<TJournalCard> TPCardJournal::LastCard() const {
    const std::string text = ReadFileIfExists(file_).value_or(std::string());
    std::optional<TJournalCard> card;
    const std::optional<TUnreadableLine> bad =
        TPAppendedLines(text).Read([&, damaged = false](std::string_view line) mutable {
            const auto fields = damaged ? std::nullopt : JournalFields(line);
            damaged = !fields || !TakeLine(*fields, card);
            return !damaged;
        });
    if (bad) {
        throw EInOutError("The journal of the card in hand cannot be read at " +
                              UnreadableLineWords(*bad) +
                              ": see to the card in the slot yourself, then delete the file",
                          file_.string());
    }
    return card;
}

void TPCardJournal::Restart(const std::optional<TJournalCard>& keep) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    std::string text;
    if (keep) {
        for (const auto& fields : LinesOf(*keep)) {
            text += JournalLine(fields);
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    WriteFileAtomically(file_, text);
    fd_ = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0) {
        throw EInOutError(std::string("Cannot open the journal of the card in hand: ") +
                              std::strerror(errno),
                          file_.string());
    }
}

void TPCardJournal::Append(const std::vector<std::string>& fields) {
    const std::string line = JournalLine(fields);
    for (std::size_t done = 0; done < line.size();) {
        const ssize_t written = fd_ < 0 ? -1 : ::write(fd_, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            throw EInOutError(std::string("Cannot add to the journal of the card in hand: ") +
                                  std::strerror(fd_ < 0 ? EBADF : errno),
                              file_.string());
        }
        done += static_cast<std::size_t>(written);
    }
    if (::fdatasync(fd_) != 0) {
        throw EInOutError(std::string("Cannot flush the journal of the card in hand: ") +
                              std::strerror(errno),
                          file_.string());
    }
}

void TPCardJournal::Begin(const std::string& run, int sequence, const std::filesystem::path& record,
                          const std::string& station) {
    // A new card in the slot: what the journal said of the cards before it
    // is of no use any more.
    struct stat info {};
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && info.st_size > kCompactBytes) {
        Restart(std::nullopt);
    }
    // Found again by a run started from another folder.
    std::error_code ignored;
    const std::filesystem::path whole =
        record.empty() ? record : std::filesystem::absolute(record, ignored);
    Append({"begun", run, std::to_string(sequence), whole.string(), station});
}

void TPCardJournal::Claimed(const std::string& run, int sequence, const std::string& cardType,
                            const std::vector<TSerialValue>& values) {
    Append(ClaimedLine(run, sequence, cardType, values));
}

void TPCardJournal::Finished(const std::string& run, int sequence, const TRecordLine& line) {
    std::vector<std::string> fields = {"finished", run, std::to_string(sequence)};
    for (const TRecordColumn& column : line) {
        fields.push_back(column.name);
        fields.push_back(column.value);
    }
    Append(fields);
}

void TPCardJournal::Reached(TJournalStep step, const std::string& run, int sequence) {
    Append({std::string(WordOf(step)), run, std::to_string(sequence)});
}

std::filesystem::path JournalFileOf(const std::filesystem::path& folder, const std::string& port) {
    // "COM1 (/dev/ttyS0)" → "COM1_dev_ttyS0".
    std::string name;
    for (char c : port) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
        if (plain) {
            name += c;
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return folder / "journal" / ((name.empty() ? std::string("port") : name) + ".journal");
}

} // namespace korvex
