#include "cli/commands/commandlist.h"
#include "cli/commands/memoryargument.h"
#include "cli/session/destinations.h"
#include "workflows/session/readback.h"

#include <filesystem>

namespace korvex::cli {

namespace {

// Reads the processor or the external EEPROM into Intel HEX files.
class TReadCommand : public TSessionCommand {
public:
    TReadCommand() : TSessionCommand(true) {}

    void Declare(CLI::App& app) override {
        CLI::App* command = Add(app, "read", "Read the card into an Intel HEX file");
        memory_.Declare(*command);
        command
            ->add_option("-o,--out", out_,
                         "File to save the read to (\".hex\" is added to a name not ending in it)")
            ->required();
        command->add_option("--data-out", dataOut_,
                            "AVR kinds: file for the internal EEPROM, the second part of the read");
    }

private:
    std::string ResultName() const override { return "read " + memory_.Name(); }

    int RunOn(TCardSession& session, const TGlobalOptions& options) override {
        // Before the card is read, not after: a read of minutes for a file
        // that cannot be written is lost.
        if (out_.empty()) {
            session.Fail("-o needs the name of the file to save the read to");
            return kExitUsage;
        }
        // The files the read is saved to, as the save names them.
        std::vector<std::filesystem::path> saved{TPReadBack::SaveName(out_)};
        if (!dataOut_.empty()) {
            saved.push_back(TPReadBack::SaveName(dataOut_));
        }
        std::vector<std::string> destinations{options.link.logFile};
        for (const std::filesystem::path& file : saved) {
            destinations.push_back(file.string());
        }
        if (!DestinationsUsable(session, destinations)) {
            return kExitFailed;
        }
        // Asked before the card is touched: a read of the eeprom writes the
        // loader into the processor first.
        if (!session.View().AskOverwrites(saved)) {
            return kExitFailed;
        }
        if (const int code = session.Start(); code != kExitOk) {
            return code;
        }
        return Read(session, saved);
    }

    int Read(TCardSession& session, const std::vector<std::filesystem::path>& saved) {
        const bool avr = session.Work().AvrKind();
        if (!dataOut_.empty() && (!memory_.Processor() || !avr)) {
            session.Fail("--data-out belongs to \"read pic\" on AVR-kind card types");
            return kExitUsage;
        }
        TReadTargets targets;
        targets.main = out_;
        if (!dataOut_.empty()) {
            targets.avrData = dataOut_;
        }
        session.View().SetReadTargets(targets);
        const TOutcome outcome =
            session.Run(memory_.Processor() ? TCardCommand::ccReadPic : TCardCommand::ccReadEeprom);
        int code = ExitCodeOf(outcome);
        if (code == kExitOk && !session.View().Saved()) {
            code = kExitFailed;
        }
        if (code == kExitOk) {
            session.Wrote("read", saved[0]);
            if (saved.size() > 1) {
                session.Wrote("read internal eeprom", saved[1]);
            }
        }
        return code;
    }

    TMemoryArgument memory_;
    std::string out_;     // -o
    std::string dataOut_; // --data-out, AVR kinds
};

} // namespace

std::unique_ptr<TCommand> NewReadCommand() {
    return std::make_unique<TReadCommand>();
}

} // namespace korvex::cli
