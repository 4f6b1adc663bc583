// What the menus, the big buttons and the file rows' open buttons do.
#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "mainwindow/cardpanel.h"
#include "mainwindow/mainactions.h"
#include "mainwindow/mainwindow.h"
#include "workflows/presenter/mainworkflows.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QPushButton>

namespace korvex::gui {

namespace {

struct TRowDialog {
    const char* title;
    std::string_view filter;
};

TRowDialog DialogOf(TFileRow row) {
    static constexpr std::string_view kHexOrBin =
        "Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin";
    static constexpr std::string_view kHex = "Hex Files (*.hex)|*.hex";
    switch (row) {
    case TFileRow::frProgram:
        return {"Open - pic", kHexOrBin};
    case TFileRow::frEeprom:
        return {"Open - eeprom", kHexOrBin};
    case TFileRow::frIntEeprom:
        return {"Open - Internal Eeprom", kHex};
    case TFileRow::frLoader:
        break;
    }
    return {"Open - loader", kHex};
}

} // namespace

void Tfrmmain::ConnectActions() {
    TMainActions& a = *actions_;
    TPMainWorkflows& work = work_;
    // Whatever an action did, the window then shows it as it is.
    const auto on = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, [this, handler] {
            handler();
            Render();
        });
    };
    const auto run = [&work, &on](QAction* action, TCardCommand command) {
        on(action, [&work, command] { work.RunCommand(command); });
    };
    using C = TCardCommand;
    on(a.loadPic, [this] { OpenRowFile(TFileRow::frProgram); });
    on(a.loadIntEeprom, [this] { OpenRowFile(TFileRow::frIntEeprom); });
    on(a.loadEeprom, [this] { OpenRowFile(TFileRow::frEeprom); });
    run(a.firmware, C::ccFirmwareVersion);
    on(a.exit, [this] { close(); });
    run(a.readPic, C::ccReadPic);
    run(a.writePic, C::ccWritePic);
    run(a.verifyPic, C::ccVerifyPic);
    run(a.erasePic, C::ccErasePic);
    run(a.readEeprom, C::ccReadEeprom);
    run(a.writeEeprom, C::ccWriteEeprom);
    run(a.verifyEeprom, C::ccVerifyEeprom);
    run(a.eraseEeprom, C::ccEraseEeprom);
    run(a.autoProgram, C::ccAutoProgram);
    on(a.production, [this] { ShowProduction(); });
    on(a.offline, [&work] { work.ChooseOffline(); });
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        on(a.ports[static_cast<std::size_t>(n - 1)], [&work, n] { work.ChoosePort(n); });
    }
    a.onDevice = [this](const std::string& path) {
        work_.ChooseDevice(path);
        Render();
    };
    // The machine's devices change while the program runs: listed afresh
    // each time the menu opens.
    connect(a.portMenu, &QMenu::aboutToShow, this, &Tfrmmain::RefreshPortMenu);
    on(a.speed19200, [&work] { work.ChooseSpeed(TBaudRate::br19200); });
    on(a.speed115200, [&work] { work.ChooseSpeed(TBaudRate::br115200); });
    on(a.addCardType, [this] { AddCardType(); });
    on(a.editCardType, [this] { EditCardType(); });
    on(a.deleteCardType, [&work] { work.DeleteCardType(); });
    on(a.options, [this] { ShowOptions(); });
    a.onLanguage = [this](const std::string& name) {
        work_.ChooseLanguage(name);
        Render();
    };
    on(a.index, [&work] { work.OpenHelp(); });
    on(a.bugReport, [&work] { work.OpenBugReport(); });
    on(a.about, [this] { ShowAbout(); });
    on(a.picItem, [&work] { work.PicItemClick(); });
    on(a.eepromItem, [&work] { work.EepromItemClick(); });
    on(a.writePicItem, [&work] { work.WritePicItemClick(); });
    on(a.writeEepromItem, [&work] { work.WriteEepromItemClick(); });
    on(a.autoItem, [&work] { work.AutoItemClick(); });
    on(a.spareOffline, [&work] { work.ComPortAction(0); });
    for (int n = 1; n <= 4; ++n) {
        on(a.sparePorts[static_cast<std::size_t>(n - 1)], [&work, n] { work.ComPortAction(n); });
    }
}

void Tfrmmain::PressBigButton(TBigButton button) {
    QPushButton* pressed = card_->BigButton(button);
    work_.PressButton(button);
    // At the mouse pointer when the mouse pressed it; under the button when
    // the keyboard did.
    QPoint at = QCursor::pos();
    if (!pressed->rect().contains(pressed->mapFromGlobal(at))) {
        at = pressed->mapToGlobal(QPoint(0, pressed->height()));
    }
    (button == TBigButton::bbWrite ? actions_->popWrite : actions_->popRead)->exec(at);
    Render();
}

void Tfrmmain::OpenRowFile(TFileRow row) {
    if (row == TFileRow::frLoader && !work_.ConfirmLoaderChoice()) {
        return;
    }
    const TRowDialog dialog = DialogOf(row);
    const auto file = files_.OpenFile(this, QString::fromLatin1(dialog.title), dialog.filter,
                                      Q(work_.FileDialogFolder(row)));
    if (file) {
        work_.SetFileField(row, file->string());
    }
    Render();
}

void Tfrmmain::RefreshPortMenu() {
    actions_->ListDevices(deviceLister_ ? deviceLister_() : std::vector<std::string>{},
                          work_.Snapshot());
}

} // namespace korvex::gui
