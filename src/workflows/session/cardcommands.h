#pragma once

#include "link/clock.h"
#include "serials/cardserials.h"
#include "serials/claims/localclaims.h"
#include "support/datafolders.h"
#include "support/lang.h"
#include "support/optionreader.h"
#include "workflows/cardtype/cardchoice.h"
#include "workflows/entries.h"
#include "workflows/faultwords.h"
#include "workflows/filerows/filerows.h"
#include "workflows/fillin.h"
#include "workflows/presenter/statuspanel.h"
#include "workflows/session/commandnotes.h"
#include "workflows/session/difference.h"
#include "workflows/session/faceterms.h"
#include "workflows/session/failstep.h"
#include "workflows/session/line.h"
#include "workflows/session/promptrelay.h"
#include "workflows/session/runstate.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// How a card command ended, for a face that reports it beyond the messages
// (the command-line tool's exit code).
enum class TOutcome {
    ocSucceeded, // reached its success message, or its result window
    ocFailed,    // an error message, a difference, a failed transfer
    ocRefused,   // not started: card not ready, no such memory, the user said No
    ocNothing,   // nothing to work on: no usable file, no loader, options that leave
                 // nothing to do; the message said which
    ocAborted,   // stopped on request (the window closing, an interrupt); nothing shown
};

// The images a card command sent to the card or compared it with, as hex
// text, for a production record and a command's result: empty where the
// command had none.
struct TSentImages {
    std::string program;
    std::string eeprom;
    std::string intEeprom;
};

// What a verify's read-back says of the card: where it first differs from
// the image, or that the line failed before the card was read whole, and
// then nothing is known of it. As a condition it is true unless the card was
// read whole and matches, so a check that forgets the unread case still
// fails its command.
struct TVerifyFinding {
    std::optional<TPDifference> difference;
    bool unread = false;

    explicit operator bool() const { return unread || difference.has_value(); }
};

// What the last card command found, beyond its messages: the step of Auto
// program it failed at, where a verify first differed, and the images it used.
struct TCommandReport {
    TFailStep failStep = TFailStep::fsNone;
    std::optional<TPDifference> difference;
    TSentImages sent;
    // The images as the files gave them, before the card's serial values.
    TSentImages fileImages;
    int retries = 0; // steps run again after a fault on the line
    // The card's serial values, as the record names them ("serial Serial1").
    TRecordLine serials;
    // Why the store of serial values failed after the card (the shared
    // database lost); empty when it did not.
    std::string claimsProblem;
    // The fault on the line that ended the last step that failed there, and
    // that in words (the command's message says it too): the programmer
    // fell silent, its port went away, or the step and its last fault;
    // empty when no step failed on the line.
    TTransportFault lineFault;
    std::string lineProblem;
    // What the card was found to hold as the command went: the memories
    // written and those read back matching, the configuration word it took,
    // whether it was locked.
    struct TDone {
        bool eepromWritten = false, eepromVerified = false;
        bool processorWritten = false, processorVerified = false;
        bool locked = false;
        std::string configWord;
    } done;
    // The message the command ended with, as its box showed it; empty when
    // it ended without one (a read shows what it read instead).
    std::string message;
};

// How a card ended as its serial values are spent with: the record's words,
// "good", "failed" or "interrupted".
std::string_view OutcomeWord(TOutcome outcome);
// The word a value whose card was never touched is spent with.
inline constexpr std::string_view kUnusedOutcome = "unused";

// A card's serial values on one line, "Serial1 1000, Serial2 00AB", each
// worded by `pattern` (entry kSerialValue: %1 the field, %2 its value).
std::string SerialValuesLine(const TRecordLine& serials, std::string_view pattern);

// The memories of the card type chosen, as its serial fields are placed in
// them; the external EEPROM only when `eepromPart` (a run that reaches it).
TCardMemories CardMemories(const TPCardChoice& card, bool eepromPart);

// What a production run learns of its card as Auto program goes, for the
// journal of the card in hand.
class TCardProgress {
public:
    virtual ~TCardProgress() = default;
    // The card's serial values are claimed; nothing has been sent to it yet.
    // False stops the card before it is touched: its values go unused.
    virtual bool Claimed(const std::vector<TSerialValue>& values) = 0;
    // The card's writes went through; the verify follows.
    virtual void Written() = 0;
    // Auto program ended so, before its serial values are spent.
    virtual void Finished(TOutcome outcome) = 0;
};

// The owners and services the card commands work with.
struct TCommandParts {
    TPCardChoice& card;
    TPFileRows& rows;
    TPLine& line;
    TPRunState& runState;
    TPStatusPanel& status;
    TPromptRelay& prompts;
    TPOptionReader& options;
    TPCommandNotes& notes;
    TSessionView& view;
    TProgressSink& gauge;
    TClock& clock;
    const TPLang& lang;
    const TPDataFolders& folders;
};

// The card commands: read, write, verify and erase of the processor and of
// the external EEPROM, auto program, lock and the firmware query. Each reads
// the files it works from afresh at its start, checks before anything is sent
// that its options leave it something sound to do, stops at its first
// failing step with one message and releases the programmer; none reports
// success unless the card holds what was asked. However a command ends, the
// status panel shows the programmer state's caption again.
class TPCardCommands {
public:
    explicit TPCardCommands(const TCommandParts& parts)
        : card_(parts.card), rows_(parts.rows), line_(parts.line), runState_(parts.runState),
          status_(parts.status), prompts_(parts.prompts), options_(parts.options),
          notes_(parts.notes), view_(parts.view), gauge_(parts.gauge), clock_(parts.clock),
          lang_(parts.lang), folders_(parts.folders) {}

    TOutcome Run(TCardCommand command);
    const TCommandReport& LastReport() const { return run_.report; }
    // Where the serial values of a card type's fields are claimed: the shared
    // database of a production run, or (nullptr) the station's own files.
    void UseClaims(TSerialClaims* claims) { claims_ = claims; }
    // Who is told of the card's progress in Auto program; nullptr: nobody.
    void UseProgress(TCardProgress* progress) { progress_ = progress; }
    // Told once Auto program or Write pic has passed every check and is about
    // to change the card.
    std::function<void()> OnGoingAhead;

    // Everything Auto program checks before it sends anything but the card
    // itself (files, options, images, the serial fields and the values they
    // would get next), with the message shown when it would not go ahead:
    // what a production run checks before its first card. ocSucceeded when
    // it may go ahead; nothing is sent and nothing claimed.
    TOutcome CheckAuto();

    // The language entry of why Auto program refuses to start with the
    // options as they are now: nothing to do, or the loader would stay in
    // the processor; with `everyFile`, also a named file the options leave
    // neither written nor verified (a production run, whose good cards must
    // hold every file it names). nullopt when it may start.
    std::optional<int> AutoOptionsProblem(bool everyFile) const;
    // Whether Auto program, with the options as they are now, writes or
    // verifies the card's external EEPROM: never for a card type without one.
    bool AutoReachesEeprom() const;

    // The line that says where a verify found the card first differing, in
    // the language shown.
    std::string DifferenceLine(const TPDifference& difference) const;

    // The configuration word of a PIC a write would send now, composed by
    // the fuse rule; empty for a processor without one.
    std::string ConfigText() const;

private:
    class TRun;
    using TSteps = TOutcome (TPCardCommands::*)();
    // Runs a command's steps unless another command runs; a file, catalogue
    // or options error ends the command with its message, like any failing step.
    TOutcome Run(TSteps steps);

    TOutcome ReadPicSteps();
    TOutcome ReadEepromSteps();
    TOutcome FirmwareSteps();
    TOutcome WritePicSteps();
    TOutcome VerifyPicSteps();
    TOutcome ErasePicSteps();
    TOutcome WriteEepromSteps();
    TOutcome VerifyEepromSteps();
    TOutcome EraseEepromSteps();
    // What Auto program will do, worked out before anything is sent.
    struct TAutoPlan {
        bool eepromWrite = false, eepromVerify = false, picWrite = false, picVerify = false;
        bool eepromPart = false;
        TCardImages images;
        std::optional<TPCardSerials> serials;
    };
    // The checks of Auto program before the card; an outcome when it ends
    // there, the message shown. With `card`, a card must be ready.
    std::optional<TOutcome> PlanAuto(TAutoPlan& plan, bool card);
    TOutcome AutoSteps();
    TOutcome CheckAutoSteps();
    TOutcome AutoCard(const TCardImages& images, bool eepromPart, bool eepromWrite,
                      bool eepromVerify, bool picWrite, bool picVerify);
    TOutcome AutoEepromPart(bool write, bool verify, const std::string& data);
    TOutcome AutoProcessorPart(bool write, bool verify, const std::string& program,
                               const std::string& data);

    // --- serial values
    // The serial fields of the card type chosen, with their list files read;
    // nothing for a card type without any.
    void CardTypeSerials(std::optional<TPCardSerials>& serials);
    // Claims the card's values and lays them into the images; false, with
    // the message shown and nothing sent, when they cannot be had.
    bool ClaimSerials(TPCardSerials& serials, TCardImages& images);
    void SpendSerials(TPCardSerials& serials, std::string_view outcome);
    TSerialClaims& Claims();
    TOutcome LockSteps();

    // --- checks before anything is sent
    // The two checks every card command makes first (entries 81 and 82).
    bool CardReady();
    bool HasEeprom();
    bool DeviceIdMatches();
    // Whether the card in the slot is one of the card type's, checked once a
    // command before anything erases or writes an AVR processor (the loader
    // before the EEPROM commands included): a card of another kind is never
    // wiped. False once the message has said why.
    bool Identified();
    // Reads the rows afresh; false, with the message naming the row and why,
    // when one whose field names a file cannot be used.
    bool LoadFiles(std::initializer_list<TFileRow> rows);
    // Whether the image holds a file to write or compare with; when not, the
    // message naming the row has been shown.
    bool HasImage(const THexFileBuffer& image, int entry);
    // The loader the EEPROM commands write first was loaded; when not, the
    // message naming the file has been shown.
    bool LoaderReady();
    // Refuses with the message of `entry`: nothing to work on.
    TOutcome Nothing(int entry);

    // --- the data a command sends
    // The program image as a write sends it: P words.
    std::string ProgramText() const;
    // The internal EEPROM: a PIC's E bytes from its program file, an AVR's
    // file as loaded.
    std::string DataText() const;
    // The external EEPROM image as the whole memory: padded with blank bytes.
    std::string PaddedEepromText() const;

    // --- steps
    // Writes the loader into the processor so the programmer can reach the
    // EEPROM behind it; false when the programmer did not take it.
    bool WriteLoader();
    // The question, then the loader; an outcome when the command ends there.
    std::optional<TOutcome> ReachEeprom(int question);
    // Reads program memory and data back and compares: where the card first
    // differs, no finding when it holds both.
    TVerifyFinding ProcessorDifference(const std::string& program, const std::string& data);
    // Writes the configuration word; false when the programmer did not take it.
    bool WriteConfigWord(const std::string& config);
    // Reads the configuration area back: where its word differs from the
    // one written, nullopt when it holds it. Once, and as a step that is
    // tried again.
    std::optional<TPDifference> ReadConfigDifference(const std::string& config);
    TVerifyFinding ConfigDifference(const std::string& config);
    // Reads the external EEPROM back over the length of `data` and compares.
    TVerifyFinding EepromDifference(const std::string& data);
    // The external EEPROM written from its start, its mode already selected.
    bool WriteEeprom(const std::string& text);
    // Erase, program memory and data, as the driver's composite write does.
    bool WriteProcessor(const std::string& program, const std::string& data);
    bool Lock();
    // Runs a step, and again from its start while it fails by a fault on
    // the line worth another try (TTransportFault::MayRetry), at most the
    // options' number of times; each try again is logged and told to the
    // face. `step` returns whether it went through; a verify's step goes
    // through when its read did, whatever it found. True when it went
    // through. `name` is the entry that names the step.
    template <typename Step>
    bool Retrying(int name, Step step);
    void Note(const std::string& text);
    // The step `name` failed for good by `fault`: the report says how, in
    // words (the programmer fell silent, its port went away, or the last
    // try's fault), and so will the message.
    void NoteLineFault(int name, const TTransportFault& fault);
    // The mode select that releases the programmer, unless its port is gone
    // or it is released already.
    void Release();

    // --- how a command ends
    TPPicProg& Prog() { return line_.Prog(); }
    TProcessorKind Kind() const { return card_.Kind(); }
    void Status(int entry);
    void Gauge(int percent);
    // Shows the message unless the window is closing.
    void Tell(TMessageKind kind, int entry);
    void TellText(TMessageKind kind, int entry, const std::string& text);
    bool Stopping() const;
    // Releases the programmer after a stop for the window's closing.
    TOutcome Abort();
    TOutcome Fail(int entry);
    // A failing step: noted for a production run, then Fail.
    TOutcome FailAt(TFailStep step, int entry);
    // After the processor's write: its configuration word, or its lock.
    // Nothing when that went through, else how the command ends.
    std::optional<TOutcome> ConfigOrLockStep(const std::string& config, bool verify, bool lock);
    // The processor written, its mode already selected, and compared with
    // what was written when `verify`: nothing when it holds it, else how the
    // command ends.
    std::optional<TOutcome> WriteProcessorChecked(bool verify, const std::string& program,
                                                  const std::string& data);
    // The processor and its configuration word compared with the files, as
    // a verify alone does: where the card first differs.
    TVerifyFinding ProcessorAndConfigDifference(const std::string& program, const std::string& data,
                                                const std::string& config);
    // The external EEPROM written when `write`, its mode already selected,
    // and compared with `text` when `verify`: nothing when it holds it,
    // else how the command ends.
    std::optional<TOutcome> WriteEepromChecked(bool write, bool verify, const std::string& text);
    // A verify's message with where the card first differs as its second
    // line (logged too, when the log runs); the difference is kept. A card
    // not read whole has no difference, and its message is an error that
    // says the line failed.
    void TellFinding(TMessageKind kind, int entry, const TVerifyFinding& finding);
    TOutcome FailWithDifference(TFailStep step, int entry, const TVerifyFinding& finding);
    // The end of a verify-only run: the card matches, where it differs, or
    // that it could not be read.
    TOutcome VerifyResult(const TVerifyFinding& finding);
    // The end of a command that ran through: the programmer released, the
    // success message over a full gauge.
    TOutcome Finish(int entry);

    std::string Text(int entry) const { return lang_.GetText(entry); }

    TPCardChoice& card_;
    TPFileRows& rows_;
    TPLine& line_;
    TPRunState& runState_;
    TPStatusPanel& status_;
    TPromptRelay& prompts_;
    TPOptionReader& options_;
    TPCommandNotes& notes_;
    TSessionView& view_;
    TProgressSink& gauge_;
    TClock& clock_;
    const TPLang& lang_;
    const TPDataFolders& folders_;
    // What one command knows of itself, begun afresh by each: nothing of a
    // command before it can decide one after it.
    struct TCommandRun {
        TCommandReport report;
        int retries = 0; // the options' bound, read as the command starts
        // The line problem has been said in a message of this command.
        bool lineProblemTold = false;
        std::optional<bool> identified; // this command's identification check
    };
    TCommandRun run_;
    TSerialClaims* claims_ = nullptr;
    std::unique_ptr<TPLocalSerialClaims> localClaims_;
    TCardProgress* progress_ = nullptr;
};

template <typename Step>
bool TPCardCommands::Retrying(int name, Step step) {
    prompts_.HoldLinkErrors();
    for (int attempt = 1;; ++attempt) {
        if (step()) {
            prompts_.ReleaseLinkErrors(false);
            return true;
        }
        const TTransportFault fault = Prog().LastFault();
        // A port gone away takes no try again: nothing would get through.
        // Nor does a programmer that did not answer and does not answer a
        // short poll either: each try would wait out its answer times again.
        if (!fault.MayRetry() || attempt > run_.retries || Stopping() || Prog().LineGone() ||
            (fault.kind == TTransportFaultKind::tfNoAnswer && !Prog().Answering())) {
            NoteLineFault(name, fault);
            // The failure ends the command: its box comes over the card's
            // state, not over the step's caption.
            Gauge(0);
            status_.Restore();
            run_.lineProblemTold = prompts_.ReleaseLinkErrors(true, run_.report.lineProblem);
            return false;
        }
        ++run_.report.retries;
        Note(FillIn(Text(entries::kStepTriedAgain),
                    {Text(name), FaultWords(lang_, fault), std::to_string(attempt + 1),
                     std::to_string(run_.retries + 1)}));
    }
}

} // namespace korvex
