// The eight write and verify options and the steps' retries, printed or set.
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

constexpr std::string_view kStepRetries = TPOptionsDialog::kStepRetriesName;

// The bound on a step's tries again is a number where the other options are
// on or off: "Line/StepRetries=N"; nullopt for any other setting.
std::optional<int> StepRetriesSetting(const std::string& text) {
    const std::string prefix = std::string(kStepRetries) + "=";
    if (AsciiLower(text.substr(0, prefix.size())) != AsciiLower(prefix)) {
        return std::nullopt;
    }
    const std::string value = text.substr(prefix.size());
    const auto number = ParseIniInteger(value);
    if (!number || *number < 0 || *number > TPOptionReader::kMostStepRetries) {
        throw std::invalid_argument(std::string(kStepRetries) + " takes a number from 0 to " +
                                    std::to_string(TPOptionReader::kMostStepRetries) + ", not \"" +
                                    value + "\"");
    }
    return *number;
}

class TOptionsCommand : public TSessionCommand {
public:
    TOptionsCommand() : TSessionCommand(false) {}

    void Declare(CLI::App& app) override {
        Add(app, "options",
            "Print the eight write and verify options and the steps' retries, or set them")
            ->add_option(
                "--set", settings_,
                "Section/Key=on|off, e.g. Auto/WriteEe=off, or Line/StepRetries=N (0 to 9)");
    }

    // The settings are read before the session opens: one it cannot take
    // is bad usage, and nothing is opened for it.
    int Run(const TPDataFolders& folders, const TGlobalOptions& options) override {
        try {
            for (const std::string& text : settings_) {
                if (const auto number = StepRetriesSetting(text)) {
                    retries_ = number;
                } else {
                    parsed_.push_back(TPOptionsDialog::ParseSetting(text));
                }
            }
        } catch (const std::invalid_argument& error) {
            std::cerr << ErrorLine(error.what()) << '\n';
            return kExitUsage;
        }
        return TSessionCommand::Run(folders, options);
    }

private:
    bool PrintsJson() const override { return false; }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = session.Start(TCardSession::TCardNeed::cnNone); code != kExitOk) {
            return code;
        }
        TPSession& work = session.Work();
        TOptionBoxes boxes;
        if (const auto failure = work.ReadOptions(boxes)) {
            session.Fail(*failure);
            return kExitFailed;
        }
        if (!parsed_.empty() || retries_) {
            for (const TOptionSetting& setting : parsed_) {
                boxes.*setting.field->box = setting.on;
            }
            boxes.stepRetries = retries_.value_or(boxes.stepRetries);
            if (work.AcceptOptions(boxes) != TIntentResult::irDone) {
                return kExitFailed;
            }
            // What the file holds now, not what was asked for.
            if (const auto failure = work.ReadOptions(boxes)) {
                session.Fail(*failure);
                return kExitFailed;
            }
        }
        for (const TOptionField& field : TPOptionsDialog::Fields()) {
            session.Out() << field.Name() << '=' << (boxes.*field.box ? "on" : "off") << '\n';
        }
        session.Out() << kStepRetries << '=' << boxes.stepRetries << '\n';
        return kExitOk;
    }

    std::vector<std::string> settings_;
    std::vector<TOptionSetting> parsed_;
    std::optional<int> retries_;
};

} // namespace

std::unique_ptr<TCommand> NewOptionsCommand() {
    return std::make_unique<TOptionsCommand>();
}

} // namespace korvex::cli
