// Commands that change what is stored beside the program: a card type's
// fuse choices.
#include "catalogue/carderrors.h"
#include "catalogue/serialfield.h"
#include "cli/commands/commandlist.h"
#include "cli/output/messageline.h"
#include "support/errors.h"
#include "support/inifile.h"
#include "support/textconv.h"
#include "workflows/presenter/optionsdialog.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace korvex::cli {

namespace {

std::string OnOff(int item) {
    return item == 0 ? "on" : item == 1 ? "off" : "none";
}

// One fuse named on the command line.
struct TFuseSetting {
    const std::string* value;
    const char* option;
    TFuse fuse;
    bool avr; // the choice exists for AVR-kind card types, else for PIC kinds
};

// "on" is item 0 (Enabled) of a fuse group, "off" item 1; the oscillator
// takes its item's name.
std::optional<int> ItemOf(const TFuseSetting& setting, TCardSession& session) {
    const std::string& value = *setting.value;
    if (setting.fuse == TFuse::fuOscillator) {
        const std::string upper = AsciiUpper(value);
        const auto found = std::find(kOscillatorNames.begin(), kOscillatorNames.end(), upper);
        if (found == kOscillatorNames.end()) {
            session.Fail("--oscillator takes LP, XT, HS or RC, not \"" + value + "\"");
            return std::nullopt;
        }
        return static_cast<int>(found - kOscillatorNames.begin());
    }
    const std::string lower = AsciiLower(value);
    if (lower != "on" && lower != "off") {
        session.Fail(std::string("--") + setting.option + " takes on or off, not \"" + value +
                     "\"");
        return std::nullopt;
    }
    return lower == "on" ? 0 : 1;
}

// The choices the card type keeps, and the word a write would send: a
// program file that carries a configuration word of its own takes
// precedence over them, and the user is told so.
void PrintFuses(TCardSession& session) {
    const TPSession& work = session.Work();
    const TFuseChoices fuses = work.StoredFuses();
    std::ostream& out = session.Out();
    out << "Card type: " << work.CardTypeName() << '\n';
    if (!work.AvrKind()) {
        out << "Watchdog: " << OnOff(fuses.watchDog) << '\n';
        out << "Power-up timer: " << OnOff(fuses.powerUp) << '\n';
        out << "Code protection: " << OnOff(fuses.protection) << '\n';
        out << "Oscillator: "
            << (fuses.oscillator >= 0 && fuses.oscillator < std::ssize(kOscillatorNames)
                    ? kOscillatorNames[static_cast<std::size_t>(fuses.oscillator)]
                    : "none")
            << '\n';
        const std::string config = work.ConfigText();
        out << "Configuration word: "
            << (config.size() >= 4 ? config.substr(config.size() - 4) : "none") << '\n';
        if (work.FuseOrigin() == TFuseOrigin::foProgramFile) {
            out << "The program file " << work.FileRow(TFileRow::frProgram).field
                << " carries a configuration word of its own, which takes precedence over "
                   "these choices\n";
        }
    } else {
        out << "Lock: " << OnOff(fuses.lock) << '\n';
    }
}

// Prints the card type's fuse choices and the configuration word, or
// stores the choices named first.
class TFusesCommand : public TSessionCommand {
public:
    TFusesCommand() : TSessionCommand(false) {}

    void Declare(CLI::App& app) override {
        CLI::App* command = Add(
            app, "fuses", "Print the card type's fuse choices and configuration word, or set them");
        command->add_option("--watchdog", request_.watchdog, "on or off");
        command->add_option("--powerup", request_.powerup, "on or off");
        command->add_option("--protection", request_.protection, "on or off");
        command->add_option("--oscillator", request_.oscillator, "LP, XT, HS or RC");
        command->add_option("--lock", request_.lock, "AVR kinds: on or off");
    }

private:
    bool PrintsJson() const override { return false; }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = session.Start(); code != kExitOk) {
            return code;
        }
        TPSession& work = session.Work();
        const bool avr = work.AvrKind();
        const TFuseSetting settings[] = {
            {&request_.watchdog, "watchdog", TFuse::fuWatchDog, false},
            {&request_.powerup, "powerup", TFuse::fuPowerUp, false},
            {&request_.protection, "protection", TFuse::fuProtection, false},
            {&request_.oscillator, "oscillator", TFuse::fuOscillator, false},
            {&request_.lock, "lock", TFuse::fuLock, true},
        };
        bool changing = false;
        for (const TFuseSetting& setting : settings) {
            if (setting.value->empty()) {
                continue;
            }
            if (setting.avr != avr) {
                session.Fail(std::string("--") + setting.option + " is a choice of " +
                             (setting.avr ? "AVR" : "PIC") + "-kind card types; \"" +
                             work.CardTypeName() + "\" is of the " + (avr ? "AVR" : "PIC") +
                             " kind" + (avr ? " (its choice is --lock)" : ""));
                return kExitUsage;
            }
            const auto item = ItemOf(setting, session);
            if (!item) {
                return kExitUsage;
            }
            work.SetFuse(setting.fuse, *item);
            changing = true;
        }
        if (changing) {
            if (work.StoreCardSettings() != TIntentResult::irDone) {
                return kExitFailed;
            }
            // Shown again as the next command will find it, the program file's
            // word laid over the choices just stored.
            work.ChooseCardType(work.CardTypeName());
        }
        PrintFuses(session);
        return kExitOk;
    }

    struct {
        std::string watchdog, powerup, protection, oscillator, lock; // empty: unchanged
    } request_;
};

} // namespace

std::unique_ptr<TCommand> NewFusesCommand() {
    return std::make_unique<TFusesCommand>();
}

} // namespace korvex::cli
