#pragma once

#include "workflows/session/line.h"

namespace korvex {

// What runs: a card command, a production run, a close waiting for either to
// end. The one place that answers whether the workflows are busy, for the
// intents, the commands and the production run alike.
class TPRunState {
public:
    explicit TPRunState(const TPLine& line) : line_(line) {}

    // A command, a production run (between its cards too) or a transfer.
    bool Busy() const { return command_ || production_ || line_.TransferBusy(); }
    bool CommandRunning() const { return command_; }
    bool ProductionRunning() const { return production_; }
    bool ClosePending() const { return closePending_; }
    void SetClosePending() { closePending_ = true; }

    // False, changing nothing, while a command or a transfer runs; a
    // production run starts its cards' commands itself.
    bool BeginCommand() {
        if (command_ || line_.TransferBusy()) {
            return false;
        }
        command_ = true;
        return true;
    }
    void EndCommand() { command_ = false; }
    bool BeginProduction() {
        if (Busy()) {
            return false;
        }
        production_ = true;
        return true;
    }
    void EndProduction() { production_ = false; }

private:
    const TPLine& line_;
    bool command_ = false;
    bool production_ = false;
    bool closePending_ = false;
};

} // namespace korvex
