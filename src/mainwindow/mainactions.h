#pragma once

#include "link/portmap.h"
#include "workflows/presenter/snapshot.h"

#include <QObject>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace korvex::gui {

class TCaptionTargets;

// Every action of the main window's menus and of the big buttons' pop-ups,
// typed, under the names the workflows' caption tables give them, and the
// menus that hold them. Render sets what is checked and enabled from the
// snapshot; the window connects the actions to what they do.
class TMainActions final : public QObject {
    Q_OBJECT
public:
    explicit TMainActions(QWidget* owner);

    // The menu bar's menus in their order.
    void FillMenuBar(QMenuBar& bar) const;
    void AddCaptions(TCaptionTargets& captions) const;
    void Render(const TMainSnapshot& shot);
    // The serial devices there are now, listed under the port items.
    void ListDevices(const std::vector<std::string>& devices, const TMainSnapshot& shot);

    // --- File
    QAction* loadPic;
    QAction* loadIntEeprom;
    QAction* loadEeprom;
    QAction* firmware;
    QAction* exit;
    // --- Edit
    QAction* readPic;
    QAction* writePic;
    QAction* verifyPic;
    QAction* erasePic;
    QAction* readEeprom;
    QAction* writeEeprom;
    QAction* verifyEeprom;
    QAction* eraseEeprom;
    QAction* autoProgram;
    QAction* production;
    // --- Setup: one port among the items 1..8 and the devices, a speed
    QAction* offline;
    std::array<QAction*, TPortMap::kPortCount> ports;
    QAction* speed19200;
    QAction* speed115200;
    QAction* addCardType;
    QAction* editCardType;
    QAction* deleteCardType;
    QAction* options;
    // --- Help
    QAction* index;
    QAction* bugReport;
    QAction* about;
    // --- the big buttons' pop-ups
    QAction* picItem;
    QAction* eepromItem;
    QAction* writePicItem;
    QAction* writeEepromItem;
    QAction* autoItem;
    // Spare port actions that no menu shows; kept for keyboard users' macros.
    QAction* spareOffline;
    std::array<QAction*, 4> sparePorts;

    QMenu* fileMenu;
    QMenu* editMenu;
    QMenu* setupMenu;
    QMenu* portMenu;
    QMenu* speedMenu;
    QMenu* languageMenu;
    QMenu* helpMenu;
    QMenu* popRead;
    QMenu* popWrite;

    // The actions that choose a device or the simulator by name, and the
    // languages; made afresh as the lists change.
    std::function<void(const std::string& path)> onDevice;
    std::function<void(const std::string& name)> onLanguage;

private:
    void MakeActions();
    void MakeMenus();
    QAction* NewAction(const char* name, const QString& text);
    void RenderPorts(const TMainSnapshot& shot);
    void RenderLanguages(const TMainSnapshot& shot);

    QWidget* owner_;
    QActionGroup* portGroup_;
    QActionGroup* speedGroup_;
    QActionGroup* languageGroup_;
    std::vector<QAction*> devices_;
    std::vector<std::string> languagesShown_;
};

} // namespace korvex::gui
