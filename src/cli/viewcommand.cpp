#include "catalogue/cardbox.h"
#include "catalogue/processorkind.h"
#include "cli/commands.h"
#include "cli/imagefile.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "support/textconv.h"
#include "workflows/filerows/fileview.h"

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

} // namespace

int RunView(const TPDataFolders& folders, const ViewRequest& request, std::ostream& out) {
    // The window shows an empty view for any other file; a script would take
    // that empty dump for an empty image.
    const std::string name = request.file.string();
    if (const std::string problem = ImageFileProblem(name); !problem.empty()) {
        throw EKorvex(name + ": " + problem);
    }
    bool avr = request.avr;
    if (!request.cardName.empty()) {
        avr = IsAvrCard(folders, request.cardName);
    }
    TPFileView view(request.file, request.eeprom ? TViewKind::vkEeprom : TViewKind::vkProgram, avr);
    for (const std::string& line : view.MemoLines()) {
        out << line << '\n';
    }
    return kExitOk;
}

} // namespace korvex::cli
