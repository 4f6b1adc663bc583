#include "catalogue/cardbox.h"
#include "cli/commands.h"
#include "support/errors.h"

namespace korvex::cli {

int RunCards(const TPDataFolders& folders, std::ostream& out, std::ostream& err) {
    TPCardTypeBox box;
    box.SetBaseDir(folders);
    box.RefreshCardTypes();
    for (const TPSkippedCardFile& skipped : box.CardStore().SkippedFiles()) {
        err << "korvex-cli: warning: " << skipped.file.string() << ": " << OneLine(skipped.reason)
            << "; it is left out of the card types\n";
    }
    out << "Name\tDescription\tProcessor\tEEPROM\tProcessor kind\tProgram size\t"
           "Internal EEPROM size\tEEPROM kind\tEEPROM size\n";
    for (int i = 0; i < static_cast<int>(box.Items().size()); ++i) {
        box.SetItemIndex(i);
        box.CardChanged();
        const TPCardInfo& card = box.SelectedCard();
        out << card.CardName << '\t' << card.CardDescription << '\t' << card.PicName << '\t'
            << card.EepromName << '\t' << box.GetPicKind() << '\t' << box.GetPicSize() << '\t'
            << box.GetPicIntEeSize() << '\t' << box.GetEepromKind() << '\t' << box.GetEepromSize()
            << '\n';
    }
    return kExitOk;
}

} // namespace korvex::cli
