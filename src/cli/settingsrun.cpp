// Commands that change what is stored beside the program: the options, a
// card type's fuse choices, the card types themselves.
#include "catalogue/carderrors.h"
#include "cli/cardrun.h"
#include "cli/commands.h"
#include "support/errors.h"
#include "support/optionreader.h"
#include "support/textconv.h"
#include "workflows/cardtypeeditor.h"
#include "workflows/fuses.h"
#include "workflows/optionsdialog.h"

#include <algorithm>
#include <stdexcept>

namespace korvex::cli {

namespace {

const char* const kOscillators[] = {"LP", "XT", "HS", "RC"};

std::string OnOff(int item) {
    return item == 0 ? "on" : item == 1 ? "off" : "none";
}

// "on" is item 0 (Enabled) of a fuse group, "off" item 1.
bool SetSwitch(const std::string& value, const char* name, int& item, TCardSession& session) {
    if (value.empty()) {
        return true;
    }
    const std::string lower = AsciiLower(value);
    if (lower != "on" && lower != "off") {
        session.Fail(std::string("--") + name + " takes on or off, not \"" + value + "\"");
        return false;
    }
    item = lower == "on" ? 0 : 1;
    return true;
}

void PrintFuses(TCardSession& session) {
    TPWorkbench& bench = session.Work().Bench();
    const TFuseChoices& fuses = bench.fuses;
    std::ostream& out = session.Out();
    out << "Card type: " << bench.cardBox.Text() << '\n';
    if (!bench.AvrKind()) {
        out << "Watchdog: " << OnOff(fuses.watchDog) << '\n';
        out << "Power-up timer: " << OnOff(fuses.powerUp) << '\n';
        out << "Code protection: " << OnOff(fuses.protection) << '\n';
        out << "Oscillator: "
            << (fuses.oscillator >= 0 && fuses.oscillator < 4 ? kOscillators[fuses.oscillator]
                                                              : "none")
            << '\n';
        const std::string config = BuildConfigText(bench);
        out << "Configuration word: "
            << (config.size() >= 4 ? config.substr(config.size() - 4) : "none") << '\n';
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
    TPWorkbench& bench = session.Work().Bench();
    TFuseChoices& fuses = bench.fuses;
    if (!SetSwitch(request.watchdog, "watchdog", fuses.watchDog, session) ||
        !SetSwitch(request.powerup, "powerup", fuses.powerUp, session) ||
        !SetSwitch(request.protection, "protection", fuses.protection, session) ||
        !SetSwitch(request.lock, "lock", fuses.lock, session)) {
        return session.Finish(kExitUsage);
    }
    if (!request.oscillator.empty()) {
        const std::string upper = AsciiUpper(request.oscillator);
        const auto* found = std::find(std::begin(kOscillators), std::end(kOscillators), upper);
        if (found == std::end(kOscillators)) {
            session.Fail("--oscillator takes LP, XT, HS or RC, not \"" + request.oscillator + "\"");
            return session.Finish(kExitUsage);
        }
        fuses.oscillator = static_cast<int>(found - std::begin(kOscillators));
    }
    const bool changing = !request.watchdog.empty() || !request.powerup.empty() ||
                          !request.protection.empty() || !request.lock.empty() ||
                          !request.oscillator.empty();
    if (changing) {
        bench.storeCardDefaults = true;
        try {
            session.Work().CardTypes().SaveCardDefaults();
        } catch (const EKorvex& error) {
            session.Fail(DescribeError(error));
            return session.Finish(kExitFailed);
        }
    }
    PrintFuses(session);
    return session.Finish(kExitOk);
}

int RunOptions(const TPDataFolders& folders, const std::vector<std::string>& settings,
               std::ostream& out, std::ostream& err) {
    TPOptionReader reader(folders);
    std::vector<TOptionSetting> parsed;
    try {
        for (const std::string& text : settings) {
            parsed.push_back(TPOptionsDialog::ParseSetting(text));
        }
    } catch (const std::invalid_argument& error) {
        err << "korvex-cli: " << error.what() << '\n';
        return kExitUsage;
    }
    try {
        for (const TOptionSetting& setting : parsed) {
            setting.field->Set(reader, setting.on);
        }
        // Every value is read before anything is printed: a file that cannot be
        // read leaves no half line behind.
        std::string listing;
        for (const TOptionField& field : TPOptionsDialog::Fields()) {
            listing += field.Name() + '=' + (field.Get(reader) ? "on" : "off") + '\n';
        }
        out << listing;
    } catch (const EKorvex& error) {
        err << "korvex-cli: " << OneLine(DescribeError(error)) << '\n';
        return kExitFailed;
    }
    return kExitOk;
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

bool CheckParts(TCardTypeFields& fields, const TPCardTypeEditor& editor, std::ostream& err) {
    const std::string processor = CatalogueName(editor.ProcessorNames(), fields.processor);
    if (processor.empty()) {
        err << "korvex-cli: unknown processor \"" << fields.processor
            << "\"; cards/pics.cfg lists: " << Listing(editor.ProcessorNames()) << '\n';
        return false;
    }
    const std::string eeprom = CatalogueName(editor.EepromNames(), fields.eeprom);
    if (eeprom.empty()) {
        err << "korvex-cli: unknown eeprom \"" << fields.eeprom
            << "\"; cards/eeproms.cfg lists: " << Listing(editor.EepromNames()) << '\n';
        return false;
    }
    fields.processor = processor;
    fields.eeprom = eeprom;
    return true;
}

int IndexOfCard(const TPDataFolders& folders, const std::string& name) {
    TPCardIni store;
    store.SetBaseDir(folders);
    store.ScanCardTypes();
    for (int i = 0; i < store.GetCardCount(); ++i) {
        if (store.GetCardInfo(i)->CardName == name) {
            return i;
        }
    }
    return -1;
}

int AddOrEdit(const TPDataFolders& folders, const TCardRequest& request, std::ostream& out,
              std::ostream& err) {
    const bool add = request.action == "add";
    const int index = IndexOfCard(folders, request.name);
    if (add && index >= 0) {
        err << "korvex-cli: card type \"" << request.name << "\" exists already\n";
        return kExitFailed;
    }
    if (!add && index < 0) {
        err << "korvex-cli: no card type named \"" << request.name << "\"\n";
        return kExitUsage;
    }
    const TPCardTypeEditor editor =
        add ? TPCardTypeEditor::ForAdd(folders) : TPCardTypeEditor::ForEdit(folders, index);
    TCardTypeFields fields = editor.InitialFields();
    fields.name = request.name;
    if (!request.description.empty() || add) {
        fields.description = request.description;
    }
    if (!request.processor.empty() || add) {
        fields.processor = request.processor;
    }
    if (!request.eeprom.empty()) {
        fields.eeprom = request.eeprom;
    } else if (!add && fields.eeprom.empty()) {
        fields.eeprom = editor.EditedRecord().EepromName;
    }
    if (fields.description.empty()) {
        err << "korvex-cli: a card type needs a description (--description)\n";
        return kExitUsage;
    }
    if (!add && fields.processor.empty()) {
        fields.processor = editor.EditedRecord().PicName;
    }
    if (!CheckParts(fields, editor, err)) {
        return kExitUsage;
    }
    if (!editor.Accept(fields)) {
        err << "korvex-cli: the card type was not written\n";
        return kExitFailed;
    }
    out << (add ? "Added" : "Changed") << " card type " << request.name << '\n';
    return kExitOk;
}

} // namespace

int RunCardType(const TPDataFolders& folders, const TGlobalOptions& options,
                const TCardRequest& request) {
    try {
        if (request.action != "delete") {
            return AddOrEdit(folders, request, std::cout, std::cerr);
        }
        if (IndexOfCard(folders, request.name) < 0) {
            std::cerr << "korvex-cli: no card type named \"" << request.name << "\"\n";
            return kExitUsage;
        }
        TGlobalOptions chosen = options;
        chosen.card = request.name;
        TCardSession session(folders, chosen, false);
        if (const int code = session.Start(false); code != kExitOk) {
            return session.Finish(code);
        }
        if (!session.Work().CardTypes().DeleteCardType()) {
            return session.Finish(kExitFailed);
        }
        session.Out() << "Deleted card type " << request.name << '\n';
        return session.Finish(kExitOk);
    } catch (const ECardName& error) {
        // A name no card type can have is bad usage, like an unknown processor.
        std::cerr << "korvex-cli: " << OneLine(error.what()) << '\n';
        return kExitUsage;
    } catch (const EKorvex& error) {
        std::cerr << "korvex-cli: " << OneLine(DescribeError(error)) << '\n';
        return kExitFailed;
    }
}

} // namespace korvex::cli
