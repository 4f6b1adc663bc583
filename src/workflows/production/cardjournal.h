#pragma once

#include "serials/record/recordsink.h"
#include "serials/serialvalue.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// How far the card in hand came, in the order a card goes.
enum class TJournalStep {
    jsBegun,    // the run took the card; nothing is claimed or sent yet
    jsClaimed,  // its serial values are claimed; the card is not touched yet
    jsWritten,  // the writes went through; the verify follows
    jsFinished, // Auto program ended; its record line is in the journal
    jsRecorded, // the line is in the local record
    jsLetGo,    // the run is done with it
    jsTakenOut, // a poll found the slot empty afterwards
};

// What the journal says of the last card a run had in hand.
struct TJournalCard {
    std::string run;
    int sequence = 0;
    std::filesystem::path record; // the record of its run; empty: none
    std::string station;
    TJournalStep step = TJournalStep::jsBegun;
    std::string cardType;              // of the values claimed
    std::vector<TSerialValue> serials; // the values claimed
    TRecordLine line;                  // the card's record line, once finished
    std::string outcome;               // "good", "failed" or "interrupted", once finished
};

// The journal of the card in hand: a small file a production run appends a
// line to, synced, at each point a restart needs to know about (see
// TJournalStep), so a run that starts after a crash or a kill knows what
// became of the card in the slot.
//
//   begun,<run>,<sequence>,<record file>,<station>
//   claimed,<run>,<sequence>,<card type>,<field>,<position>,<value>,...
//   finished,<run>,<sequence>,<column>,<value>,<column>,<value>,...
//   written|recorded|let go|taken out,<run>,<sequence>
//
// Each line is a CSV record (see CsvLine) on one line: a field's '%', CR and
// LF stand as %25, %0D and %0A.
class TPCardJournal {
public:
    explicit TPCardJournal(std::filesystem::path file) : file_(std::move(file)) {}
    ~TPCardJournal();
    TPCardJournal(const TPCardJournal&) = delete;
    TPCardJournal& operator=(const TPCardJournal&) = delete;

    const std::filesystem::path& File() const { return file_; }

    // The last card, nothing for a journal that is missing or empty. Only
    // what a crash leaves is forgiven (see TPAppendedLines); any other line
    // it cannot read throws EInOutError naming the file and line.
    std::optional<TJournalCard> LastCard() const;

    // Starts the journal afresh, replacing the file atomically: it keeps the
    // lines of `keep`, the card still in the slot, or none. Then lines may
    // be added. Throws EInOutError.
    void Restart(const std::optional<TJournalCard>& keep);

    // Appends a line of the card and syncs it. Throws EInOutError.
    void Begin(const std::string& run, int sequence, const std::filesystem::path& record,
               const std::string& station);
    void Claimed(const std::string& run, int sequence, const std::string& cardType,
                 const std::vector<TSerialValue>& values);
    void Finished(const std::string& run, int sequence, const TRecordLine& line);
    void Reached(TJournalStep step, const std::string& run, int sequence);

private:
    void Append(const std::vector<std::string>& fields);

    std::filesystem::path file_;
    int fd_ = -1;
};

// The journal's file for a programmer port: journal/<port>.journal under
// `folder`, the port's path made one file name.
std::filesystem::path JournalFileOf(const std::filesystem::path& folder, const std::string& port);

} // namespace korvex
