// Commands that change what is stored beside the program: the card types.
#include "catalogue/carderrors.h"
#include "catalogue/serialfield.h"
#include "cli/commands/commandlist.h"
#include "cli/output/messageline.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <iostream>

namespace korvex::cli {

namespace {

struct TCardRequest {
    std::string action; // add, edit, delete
    std::string name;
    std::string description;
    std::string processor;
    std::string eeprom;
    // edit: serial fields set ("Serial1:memory=eeprom,...") and removed.
    std::vector<std::string> serials;
    std::vector<std::string> removeSerials;
};

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
    TPSession& work = session.Work();
    const std::vector<std::string> names = work.CardTypeNames();
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
    TPSession& work = session.Work();
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

// card add, edit and delete: the card types and their serial fields.
class TCardTypeCommand : public TSessionCommand {
public:
    TCardTypeCommand() : TSessionCommand(false) {}

    void Declare(CLI::App& app) override;

    int Run(const TPDataFolders& folders, const TGlobalOptions& options) override {
        if (request_.action == "add" && (request_.processor.empty() || request_.eeprom.empty())) {
            std::cerr << ErrorLine("card add needs --description, --processor and --eeprom")
                      << '\n';
            return kExitUsage;
        }
        return TSessionCommand::Run(folders, options);
    }

private:
    bool PrintsJson() const override { return false; }

    // The card type edited or deleted is the one the session chooses.
    TGlobalOptions SessionOptions(const TGlobalOptions& options) const override {
        TGlobalOptions chosen = options;
        chosen.card = request_.action == "add" ? std::string() : request_.name;
        return chosen;
    }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        const bool add = request_.action == "add";
        try {
            if (const int code = session.Start(add ? TCardSession::TCardNeed::cnNone
                                                   : TCardSession::TCardNeed::cnAny);
                code != kExitOk) {
                return code;
            }
            if (add) {
                return AddCardType(session, request_);
            }
            if (request_.action == "edit") {
                return EditCardType(session, request_);
            }
            const std::string name = session.Work().CardTypeName();
            if (session.Work().DeleteCardType() != TIntentResult::irDone) {
                return kExitFailed;
            }
            session.Out() << "Deleted card type " << name << '\n';
            return kExitOk;
        } catch (const ECardName& error) {
            // A name no card type can have is bad usage, like an unknown processor.
            session.Fail(error.what());
            return kExitUsage;
        } catch (const EKorvex& error) {
            session.Fail(DescribeError(error));
            return kExitFailed;
        }
    }

    TCardRequest request_;
};

void TCardTypeCommand::Declare(CLI::App& app) {
    CLI::App* command = Add(app, "card", "Add, change or delete a card type");
    command->add_option("ACTION", request_.action, "add, edit or delete")
        ->required()
        ->check(CLI::IsMember({"add", "edit", "delete"}));
    command->add_option("NAME", request_.name, "Card type name")->required();
    command->add_option("--description", request_.description, "Card description");
    command->add_option("--processor", request_.processor, "Processor, as cards/pics.cfg names it");
    command->add_option("--eeprom", request_.eeprom, "EEPROM, as cards/eeproms.cfg names it");
    command->add_option(
        "--serial", request_.serials,
        "edit: a serial field, set or added: NAME:KEY=VALUE,KEY=VALUE... with the keys memory "
        "(eeprom, int-eeprom or program), address, length, format (binary-be, binary-le, bcd, "
        "ascii-dec or ascii-hex), then first, step and last (a counter) or list (a file of one "
        "value a line), e.g. Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=1000");
    command->add_option("--remove-serial", request_.removeSerials,
                        "edit: a serial field to remove");
}

} // namespace

std::unique_ptr<TCommand> NewCardTypeCommand() {
    return std::make_unique<TCardTypeCommand>();
}

} // namespace korvex::cli
