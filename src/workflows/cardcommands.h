#pragma once

#include "workflows/difference.h"
#include "workflows/filepanel.h"
#include "workflows/intents.h"
#include "workflows/workbench.h"

#include <optional>
#include <string>

namespace korvex {

// How a card command ended, for a face that reports it beyond the messages
// (the command-line tool's exit code).
enum class TOutcome {
    ocSucceeded, // reached its success message, or its result window
    ocFailed,    // an error message, a difference, a failed transfer
    ocRefused,   // not started: card not ready, no such memory, the user said No
    ocNothing,   // nothing to work on: no image to write or compare with, no loader;
                 // the message said which
    ocAborted,   // stopped on request (the window closing, an interrupt); nothing shown
};

// The card commands: read, write, verify and erase of the processor and of
// the external EEPROM, auto program, lock and the firmware query. Each stops
// at its first failing step with one message and releases the programmer;
// none reports success unless the card holds what was asked. A command asked
// for while another runs is refused at once. However a command ends, the
// status panel shows the programmer state's caption again.
class TPCardCommands {
public:
    TPCardCommands(TPWorkbench& bench, TPFilePanel& panel) : bench_(bench), panel_(panel) {}

    TOutcome Run(TCardCommand command);

    // Writes the loader into the processor so the programmer can reach the
    // EEPROM behind it. A failure has been shown by the driver; the EEPROM
    // command goes on regardless and fails on its own. False when the
    // programmer did not take the loader.
    bool WriteLoader();

    // The line that says where a verify found the card first differing, in
    // the language shown.
    std::string DifferenceLine(const TPDifference& difference) const;

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
    TOutcome AutoSteps();
    TOutcome AutoEepromPart();
    TOutcome AutoProcessorPart();
    TOutcome LockSteps();

    // The start the EEPROM commands share: the question, then the loader.
    // An outcome when the command ends there.
    std::optional<TOutcome> ReachEeprom(int question);
    // The two checks every card command makes first (entries 81 and 82).
    bool CardReady();
    bool HasEeprom();
    bool DeviceIdMatches();
    // Whether the images hold a file to write or compare with; when not, the
    // message naming the row has been shown.
    bool HasImage(const THexFileBuffer& image, int entry);
    // The loader the EEPROM commands write first exists and was loaded; when
    // not, the message naming the file has been shown.
    bool LoaderReady();
    // The program image as a write sends it: P words.
    std::string ProgramText() const;
    // The external EEPROM image as the whole memory: padded with blank bytes.
    std::string PaddedEepromText() const;
    int EepromDevice() const;
    TPPicProg& Prog() { return *bench_.prog; }
    int Kind() const { return bench_.picKind; }

    void Status(int entry);
    void Gauge(int percent);
    // Shows the message unless the window is closing.
    void Report(TMessageKind kind, int entry);
    void ReportText(TMessageKind kind, int entry, const std::string& text);
    bool Stopping() const;
    // Releases the programmer after a stop for the window's closing.
    TOutcome Abort();
    TOutcome Fail(int entry);
    // A failing step of Auto program: noted for a production run, then Fail.
    TOutcome FailAt(TFailStep step, int entry);
    // A verify's message with where the card first differs as its second
    // line (logged too, when the log runs); the difference is kept for a
    // production run's record.
    void ReportDifference(TMessageKind kind, int entry,
                          const std::optional<TPDifference>& difference);
    TOutcome FailWithDifference(TFailStep step, int entry,
                                const std::optional<TPDifference>& difference);
    // The end of a command that ran through: the programmer released, the
    // success message, the gauge at 0.
    TOutcome Finish(int entry, TOutcome outcome);
    // Writes the configuration word; false when the programmer did not take it.
    bool WriteConfigWord(const std::string& config, int mode);
    // Reads the external EEPROM back over the length of `data` and compares:
    // where it first differs, nullopt when it holds `data`.
    std::optional<TPDifference> EepromDifference(const std::string& data);
    // Where the processor's program and data read back differ from the
    // images, program first.
    static std::optional<TPDifference> ProcessorDifference(const std::string& program,
                                                           const std::string& data,
                                                           const TPicReadResult& back);

    TPWorkbench& bench_;
    TPFilePanel& panel_;
};

} // namespace korvex
