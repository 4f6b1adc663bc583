// The dialogs the main window opens.
#include "dialogs/about.h"
#include "dialogs/addcard.h"
#include "dialogs/editcard.h"
#include "dialogs/gethexview.h"
#include "dialogs/hexview.h"
#include "dialogs/options.h"
#include "dialogs/widgettools.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/production/productionwindow.h"
#include "workflows/entries.h"
#include "workflows/filerows/fileview.h"
#include "workflows/presenter/mainworkflows.h"

namespace korvex::gui {

void Tfrmmain::ShowReadBack(TPReadBack& readBack) {
    TfrmGetHexView dialog(readBack, files_, prompts_, HexViewWords(work_), this);
    dialog.exec();
}

void Tfrmmain::ShowFileView(const std::filesystem::path& file, bool eepromKind, bool avrKind) {
    const TPFileView view(file, eepromKind ? TViewKind::vkEeprom : TViewKind::vkProgram, avrKind);
    TfrmHexView dialog(view, HexViewWords(work_), this);
    dialog.exec();
}

void Tfrmmain::ShowProduction() {
    // One production window, kept while the program runs, so its counters
    // and last card stay when it is closed and opened again.
    if (production_ == nullptr) {
        production_ = new TfrmProduction(work_, prompts_, files_, this, gangParts_);
    }
    production_->show();
    production_->raise();
    production_->activateWindow();
}

// A catalogue that cannot be read makes a card type dialog's construction
// throw: the user is told, and the window goes on.
void Tfrmmain::AddCardType() {
    Handle(prompts_, [this] {
        TfrmAddCard dialog(work_, prompts_, this);
        if (dialog.exec() != QDialog::Accepted) {
            work_.RefreshCardTypes();
        }
    });
    ScheduleRender();
}

void Tfrmmain::EditCardType() {
    Handle(prompts_, [this] {
        TfrmEditCardType dialog(work_, prompts_, files_, this);
        if (dialog.exec() != QDialog::Accepted) {
            work_.RefreshCardTypes();
        }
    });
    ScheduleRender();
}

void Tfrmmain::ShowOptions() {
    TfrmOptions dialog(work_, this);
    dialog.exec();
}

void Tfrmmain::ShowAbout() {
    TfrmAbout dialog(work_, work_.FirmwareVersion(), this);
    dialog.exec();
}

} // namespace korvex::gui
