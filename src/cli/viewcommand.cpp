#include "catalogue/cardbox.h"
#include "catalogue/processorkind.h"
#include "cli/commands.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "support/textconv.h"
#include "workflows/fileview.h"

namespace korvex::cli {

namespace {

bool IsAvrCard(const TPDataFolders& folders, const std::string& cardName) {
    TPCardTypeBox box;
    box.SetBaseDir(folders);
    box.RefreshCardTypes();
    const int item = FindCardItem(box.Items(), cardName);
    if (item < 0) {
        throw EKorvex("no card type named \"" + cardName + "\" in " +
                      (folders.program / "cards").string() + " (see: korvex-cli cards)");
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
    if (const std::string problem = InputFileProblem(name); !problem.empty()) {
        throw EKorvex(name + ": " + problem);
    }
    if (!EndsWithNoCase(name, ".hex") && !EndsWithNoCase(name, ".bin")) {
        throw EKorvex(name + ": not an image file (give a .hex or .bin file)");
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
