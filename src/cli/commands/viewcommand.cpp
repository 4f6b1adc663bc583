#include "catalogue/cardbox.h"
#include "catalogue/processorkind.h"
#include "cli/commands/commandlist.h"
#include "cli/session/imagefile.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "support/textconv.h"
#include "workflows/filerows/fileview.h"

#include <filesystem>
#include <iostream>

namespace korvex::cli {

namespace {

bool IsAvrCard(const TPDataFolders& folders, const std::string& cardName) {
    TPCardTypeBox box;
    box.SetBaseDir(folders);
    box.RefreshCardTypes();
    const int item = FindCardItem(box.Items(), cardName);
    if (item < 0) {
        // In the words every other command uses for a name no card type has.
        std::string list;
        for (const std::string& name : box.Items()) {
            list += (list.empty() ? "" : ", ") + name;
        }
        throw EKorvex("no card type named \"" + cardName +
                      "\"; the card types are: " + (list.empty() ? std::string("none") : list));
    }
    box.SetItemIndex(item);
    box.CardChanged();
    if (box.GetPicKind() < 0) {
        throw EKorvex("card type \"" + cardName + "\" names processor \"" +
                      box.SelectedCard().PicName + "\", which cards/pics.cfg does not list");
    }
    return TProcessorKind(box.GetPicKind()).IsAvr();
}

// The file view window's memo lines for a file.
class TViewCommand : public TCommand {
public:
    void Declare(CLI::App& app) override {
        CLI::App* command = Add(app, "view", "Show an image file as a hex dump");
        command->add_option("FILE", request_.file, "Intel HEX or binary image file")->required();
        auto* card = command->add_option("--card", request_.cardName,
                                         "Card type whose processor kind applies");
        command->add_flag("--avr", request_.avr, "Read the file as an AVR-kind program file")
            ->excludes(card);
        command->add_flag("--eeprom", request_.eeprom, "Read the file as an EEPROM image");
    }

    int Run(const TPDataFolders& folders, const TGlobalOptions& options) override {
        // The tool's --card, given before the command, is view's as well.
        if (request_.cardName.empty() && !request_.avr) {
            request_.cardName = options.card;
        }
        return Show(folders);
    }

private:
    bool PrintsJson() const override { return false; }

    int Show(const TPDataFolders& folders) const {
        // The window shows an empty view for any other file; a script would take
        // that empty dump for an empty image.
        const std::string name = request_.file.string();
        if (const std::string problem = ImageFileProblem(name); !problem.empty()) {
            throw EKorvex(name + ": " + problem);
        }
        bool avr = request_.avr;
        if (!request_.cardName.empty()) {
            avr = IsAvrCard(folders, request_.cardName);
        }
        TPFileView view(request_.file, request_.eeprom ? TViewKind::vkEeprom : TViewKind::vkProgram,
                        avr);
        for (const std::string& line : view.MemoLines()) {
            std::cout << line << '\n';
        }
        return kExitOk;
    }

    struct {
        std::filesystem::path file;
        std::string cardName; // empty: none named
        bool avr = false;
        bool eeprom = false;
    } request_;
};

} // namespace

std::unique_ptr<TCommand> NewViewCommand() {
    return std::make_unique<TViewCommand>();
}

} // namespace korvex::cli
