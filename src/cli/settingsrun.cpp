// Commands that change what is stored beside the program: the options, a
// card type's fuse choices, the card types themselves.
#include "catalogue/carderrors.h"
#include "catalogue/serialfield.h"
#include "cli/cardrun.h"
#include "cli/commands.h"
#include "cli/messageline.h"
#include "support/errors.h"
#include "support/inifile.h"
#include "support/textconv.h"
#include "workflows/presenter/optionsdialog.h"

#include <algorithm>
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
    const TMainSnapshot shot = session.Work().Snapshot();
    const TFuseChoices& fuses = shot.storedFuses;
    std::ostream& out = session.Out();
    out << "Card type: " << shot.cardText << '\n';
    if (!shot.layout.avrKind) {
        out << "Watchdog: " << OnOff(fuses.watchDog) << '\n';
        out << "Power-up timer: " << OnOff(fuses.powerUp) << '\n';
        out << "Code protection: " << OnOff(fuses.protection) << '\n';
        out << "Oscillator: "
            << (fuses.oscillator >= 0 && fuses.oscillator < std::ssize(kOscillatorNames)
                    ? kOscillatorNames[static_cast<std::size_t>(fuses.oscillator)]
                    : "none")
            << '\n';
        const std::string config = session.Work().ConfigText();
        out << "Configuration word: "
            << (config.size() >= 4 ? config.substr(config.size() - 4) : "none") << '\n';
        if (shot.fuseOrigin == TFuseOrigin::foProgramFile) {
            out << "The program file " << shot.rows[0].field
                << " carries a configuration word of its own, which takes precedence over "
                   "these choices\n";
        }
    } else {
        out << "Lock: " << OnOff(fuses.lock) << '\n';
    }
}

} // namespace

int RunFuses(const TPDataFolders& folders, const TGlobalOptions& options,
             const TFuseRequest& request) {
    TCardSession session(folders, options, false);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    TPMainWorkflows& work = session.Work();
    const bool avr = work.Snapshot().layout.avrKind;
    const TFuseSetting settings[] = {
        {&request.watchdog, "watchdog", TFuse::fuWatchDog, false},
        {&request.powerup, "powerup", TFuse::fuPowerUp, false},
        {&request.protection, "protection", TFuse::fuProtection, false},
        {&request.oscillator, "oscillator", TFuse::fuOscillator, false},
        {&request.lock, "lock", TFuse::fuLock, true},
    };
    bool changing = false;
    for (const TFuseSetting& setting : settings) {
        if (setting.value->empty()) {
            continue;
        }
        if (setting.avr != avr) {
            session.Fail(std::string("--") + setting.option + " is a choice of " +
                         (setting.avr ? "AVR" : "PIC") + "-kind card types; \"" +
                         work.Snapshot().cardText + "\" is of the " + (avr ? "AVR" : "PIC") +
                         " kind" + (avr ? " (its choice is --lock)" : ""));
            return session.Finish(kExitUsage);
        }
        const auto item = ItemOf(setting, session);
        if (!item) {
            return session.Finish(kExitUsage);
        }
        work.SetFuse(setting.fuse, *item);
        changing = true;
    }
    if (changing) {
        if (work.StoreCardSettings() != TIntentResult::irDone) {
            return session.Finish(kExitFailed);
        }
        // Shown again as the next command will find it, the program file's
        // word laid over the choices just stored.
        work.ChooseCardType(work.Snapshot().cardText);
    }
    PrintFuses(session);
    return session.Finish(kExitOk);
}

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

} // namespace

int RunOptions(const TPDataFolders& folders, const TGlobalOptions& options,
               const std::vector<std::string>& settings) {
    std::vector<TOptionSetting> parsed;
    std::optional<int> retries;
    try {
        for (const std::string& text : settings) {
            if (const auto number = StepRetriesSetting(text)) {
                retries = number;
            } else {
                parsed.push_back(TPOptionsDialog::ParseSetting(text));
            }
        }
    } catch (const std::invalid_argument& error) {
        std::cerr << ErrorLine(error.what()) << '\n';
        return kExitUsage;
    }
    TCardSession session(folders, options, false);
    if (const int code = session.Start(TCardSession::TCardNeed::cnNone); code != kExitOk) {
        return session.Finish(code);
    }
    TPMainWorkflows& work = session.Work();
    TOptionBoxes boxes;
    if (const auto failure = work.ReadOptions(boxes)) {
        session.Fail(*failure);
        return session.Finish(kExitFailed);
    }
    if (!parsed.empty() || retries) {
        for (const TOptionSetting& setting : parsed) {
            boxes.*setting.field->box = setting.on;
        }
        boxes.stepRetries = retries.value_or(boxes.stepRetries);
        if (work.AcceptOptions(boxes) != TIntentResult::irDone) {
            return session.Finish(kExitFailed);
        }
        // What the file holds now, not what was asked for.
        if (const auto failure = work.ReadOptions(boxes)) {
            session.Fail(*failure);
            return session.Finish(kExitFailed);
        }
    }
    for (const TOptionField& field : TPOptionsDialog::Fields()) {
        session.Out() << field.Name() << '=' << (boxes.*field.box ? "on" : "off") << '\n';
    }
    session.Out() << kStepRetries << '=' << boxes.stepRetries << '\n';
    return session.Finish(kExitOk);
}

namespace {

// The catalogue's own spelling of a name typed in any letter case; empty
// when the catalogue does not list it.
std::string CatalogueName(const std::vector<std::string>& names, const std::string& typed) {
    for (const std::string& name : names) {
        if (AsciiLower(name) == AsciiLower(typed)) {
            return name;
        }
    }
    return {};
}

std::string Listing(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

bool CheckParts(TCardTypeFields& fields, const TPCardTypeEditor& editor, TCardSession& session) {
    const std::string processor = CatalogueName(editor.ProcessorNames(), fields.processor);
    if (processor.empty()) {
        session.Fail("unknown processor \"" + fields.processor +
                     "\"; cards/pics.cfg lists: " + Listing(editor.ProcessorNames()));
        return false;
    }
    const std::string eeprom = CatalogueName(editor.EepromNames(), fields.eeprom);
    if (eeprom.empty()) {
        session.Fail("unknown eeprom \"" + fields.eeprom +
                     "\"; cards/eeproms.cfg lists: " + Listing(editor.EepromNames()));
        return false;
    }
    fields.processor = processor;
    fields.eeprom = eeprom;
    return true;
}

int AddCardType(TCardSession& session, const TCardRequest& request) {
    // A name no card type can have is bad usage; the workflows would only
    // say the card type was not written.
    TPCardIni::CheckCardName(request.name);
    TPMainWorkflows& work = session.Work();
    const std::vector<std::string> names = work.Snapshot().cardTypes;
    if (const int existing = FindCardItem(names, request.name); existing >= 0) {
        session.Fail("card type \"" + names[static_cast<std::size_t>(existing)] +
                     "\" exists already");
        return kExitFailed;
    }
    const TPCardTypeEditor editor = work.AddCardTypeEditor();
    TCardTypeFields fields{request.name, request.description, request.processor, request.eeprom};
    if (fields.description.empty()) {
        session.Fail("a card type needs a description (--description)");
        return kExitUsage;
    }
    if (!CheckParts(fields, editor, session)) {
        return kExitUsage;
    }
    if (work.AddCardType(fields) != TIntentResult::irDone) {
        session.Fail("the card type was not written");
        return kExitFailed;
    }
    session.Out() << "Added card type " << request.name << '\n';
    return kExitOk;
}

// Changes what the options give; the rest stays as the card type has it.
// "Serial1: eeprom 0x0010, 4 bytes, bcd, 1000 to 99999999 by 1".
std::string SerialFieldLine(const TSerialField& field) {
    std::string line = field.name + ": " + std::string(SerialMemoryName(field.memory)) + " 0x" +
                       HexUpper(field.address, 4) + ", " + std::to_string(field.length) +
                       " bytes, " + std::string(SerialFormatName(field.format)) + ", ";
    if (field.source == TSerialSource::ssList) {
        return line + "the lines of " + field.list.string();
    }
    return line + std::to_string(field.first) + " to " + std::to_string(field.last) + " by " +
           std::to_string(field.step);
}

int EditCardType(TCardSession& session, const TCardRequest& request) {
    TPMainWorkflows& work = session.Work();
    // Before the card type list is read again, which would choose the
    // remembered card type.
    if (!request.serials.empty() || !request.removeSerials.empty()) {
        if (work.EditSerialFields(request.serials, request.removeSerials) !=
            TIntentResult::irDone) {
            return kExitUsage;
        }
        for (const TSerialField& field : work.SerialFields()) {
            session.Out() << SerialFieldLine(field) << '\n';
        }
    }
    const TPCardTypeEditor editor = work.EditCardTypeEditor();
    const TPCardInfo& record = editor.EditedRecord();
    TCardTypeFields fields{record.CardName, record.CardDescription, record.PicName,
                           record.EepromName};
    if (!request.description.empty()) {
        fields.description = request.description;
    }
    if (!request.processor.empty()) {
        fields.processor = request.processor;
    }
    if (!request.eeprom.empty()) {
        fields.eeprom = request.eeprom;
    }
    if (fields.description.empty()) {
        session.Fail("a card type needs a description (--description)");
        return kExitUsage;
    }
    if (!CheckParts(fields, editor, session)) {
        return kExitUsage;
    }
    if (work.EditCardType(fields) != TIntentResult::irDone) {
        session.Fail("the card type was not written");
        return kExitFailed;
    }
    session.Out() << "Changed card type " << record.CardName << '\n';
    return kExitOk;
}

} // namespace

int RunCardType(const TPDataFolders& folders, const TGlobalOptions& options,
                const TCardRequest& request) {
    const bool add = request.action == "add";
    TGlobalOptions chosen = options;
    chosen.card = add ? std::string() : request.name;
    TCardSession session(folders, chosen, false);
    try {
        if (const int code = session.Start(add ? TCardSession::TCardNeed::cnNone
                                               : TCardSession::TCardNeed::cnAny);
            code != kExitOk) {
            return session.Finish(code);
        }
        if (add) {
            return session.Finish(AddCardType(session, request));
        }
        if (request.action == "edit") {
            return session.Finish(EditCardType(session, request));
        }
        const std::string name = session.Work().Snapshot().cardText;
        if (session.Work().DeleteCardType() != TIntentResult::irDone) {
            return session.Finish(kExitFailed);
        }
        session.Out() << "Deleted card type " << name << '\n';
        return session.Finish(kExitOk);
    } catch (const ECardName& error) {
        // A name no card type can have is bad usage, like an unknown processor.
        session.Fail(error.what());
        return session.Finish(kExitUsage);
    } catch (const EKorvex& error) {
        session.Fail(DescribeError(error));
        return session.Finish(kExitFailed);
    }
}

} // namespace korvex::cli
