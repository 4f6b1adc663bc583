#pragma once

#include "workflows/filepanel.h"
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
    ocNothing,   // nothing to do: no image to write, no file to compare with
    ocAborted,   // stopped because the window is closing; nothing was shown
};

// The card commands: read, write, verify and erase of the processor and of
// the external EEPROM, auto program, lock and the firmware query. Each stops
// at its first failing step with one message and releases the programmer.
// A command asked for while another runs is refused at once.
class TPCardCommands {
public:
    TPCardCommands(TPWorkbench& bench, TPFilePanel& panel) : bench_(bench), panel_(panel) {}

    TOutcome ReadPic();
    TOutcome ReadEeprom();
    TOutcome GetFirmwareVersion();
    TOutcome WritePic();
    TOutcome VerifyPic();
    TOutcome ErasePic();
    TOutcome WriteEeprom();
    TOutcome VerifyEeprom();
    TOutcome EraseEeprom();
    TOutcome AutoProgram();
    TOutcome LockCard();

    // Writes the loader into the processor so the programmer can reach the
    // EEPROM behind it. A failure has been shown by the driver; the EEPROM
    // command goes on regardless and fails on its own.
    void WriteLoader();

private:
    class TRun;
    using TSteps = TOutcome (TPCardCommands::*)();
    // Runs a command's steps unless another command runs; a file, catalogue
    // or options error ends the command with its message, like any failing step.
    TOutcome Run(TSteps steps);

    TOutcome ReadPicSteps();
    TOutcome ReadEepromSteps();
    TOutcome WritePicSteps();
    TOutcome VerifyPicSteps();
    TOutcome ErasePicSteps();
    TOutcome WriteEepromSteps();
    TOutcome VerifyEepromSteps();
    TOutcome EraseEepromSteps();
    TOutcome AutoSteps();
    TOutcome AutoEepromPart(const std::string& saved);
    TOutcome AutoProcessorPart();
    TOutcome LockSteps();

    // The start the EEPROM commands share: the question, then the loader.
    // An outcome when the command ends there.
    std::optional<TOutcome> ReachEeprom(int question);
    // The two checks every card command makes first (entries 81 and 82).
    bool CardReady();
    bool HasEeprom();
    bool DeviceIdMatches();
    // The program image as a write sends it: P words of a PIC, 2P characters of an AVR.
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
    // The end of a command that ran through: the programmer released, the
    // success message, the status caption put back, the gauge at 0.
    TOutcome Finish(int entry, const std::string& savedStatus, TOutcome outcome);
    // Reads the external EEPROM back over the length of `data` and compares.
    bool EepromReadsBack(const std::string& data);

    TPWorkbench& bench_;
    TPFilePanel& panel_;
};

// Whether `back` holds `expected` from its start, character by character; a
// shorter read-back differs.
bool SameText(const std::string& expected, const std::string& back);

} // namespace korvex
