#include "cli/output/cliview.h"

#include "support/errors.h"
#include "workflows/session/readback.h"

namespace korvex::cli {

TSessionEvents TCliView::Events() {
    TSessionEvents events;
    events.step = [this](const std::string& caption) { progress_.SetStep(caption); };
    events.note = [this](const std::string& text) { ShowNote(text); };
    events.progress = [this](int percent) { progress_.SetProgress(percent); };
    events.readBack = [this](TPReadBack& readBack) { ShowReadBack(readBack); };
    return events;
}

void TCliView::ShowNote(const std::string& text) {
    progress_.EndLine();
    err_ << text << '\n' << std::flush;
}

bool TCliView::SaveStage(TPReadBack& readBack, const std::optional<std::filesystem::path>& file,
                         const char* what) {
    bool declined = false;
    const auto ask = [this, &declined](const std::filesystem::path& existing) {
        if (overwriteAllowed_.count(existing) != 0) {
            return true;
        }
        const bool yes =
            prompts_.Ask(-1, "File exists overwrite ? " + existing.string(), TAnswer::anNo);
        declined = !yes;
        return yes;
    };
    try {
        readBack.Save(file, ask);
    } catch (const EKorvex& error) {
        prompts_.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
        return false;
    }
    if (!file) {
        return true;
    }
    const std::filesystem::path target = TPReadBack::SaveName(file->string());
    if (declined) {
        prompts_.ShowMessage(TMessageKind::mkError, -1, target.string() + ": not overwritten");
        return false;
    }
    progress_.EndLine();
    out_ << "Saved " << what << " to " << target.string() << '\n';
    return true;
}

bool TCliView::AskOverwrites(const std::vector<std::filesystem::path>& targets) {
    for (const std::filesystem::path& target : targets) {
        std::error_code error;
        if (!std::filesystem::exists(target, error)) {
            continue;
        }
        if (!prompts_.Ask(-1, "File exists overwrite ? " + target.string(), TAnswer::anNo)) {
            prompts_.ShowMessage(TMessageKind::mkError, -1, target.string() + ": not overwritten");
            return false;
        }
        overwriteAllowed_.insert(target);
    }
    return true;
}

void TCliView::ShowReadBack(TPReadBack& readBack) {
    saved_ = SaveStage(readBack, targets_.main, "the read");
    if (!saved_ || !readBack.SecondStage()) {
        return;
    }
    // An AVR's internal EEPROM comes with the read: it is never dropped unsaid.
    if (targets_.avrData) {
        saved_ = SaveStage(readBack, targets_.avrData, "the internal eeprom");
        return;
    }
    prompts_.ShowMessage(TMessageKind::mkWarning, -1,
                         "the internal eeprom was read but not saved; give --data-out FILE "
                         "to save it");
}

} // namespace korvex::cli
