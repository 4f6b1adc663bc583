#pragma once

#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "gui/guitest.h"
#include "link/clock.h"
#include "mainwindow/gauge.h"
#include "mainwindow/korvexapp.h"
#include "sim/simbackend.h"
#include "sim/simcardmodel.h"
#include "sim/simdevice.h"
#include "workflows/workflowrig.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace korvex::testing {

// File dialogs that return the names a test has lined up; cancelled when
// none is left.
class TScriptedFiles final : public gui::TFileChooser {
public:
    std::optional<std::filesystem::path> OpenFile(QWidget*, const QString& title, std::string_view,
                                                  const QString&) override {
        return Next(title);
    }
    std::optional<std::filesystem::path> SaveFile(QWidget*, const QString& title, std::string_view,
                                                  const QString&) override {
        return Next(title);
    }
    std::deque<std::filesystem::path> names;
    std::vector<QString> titles;

private:
    std::optional<std::filesystem::path> Next(const QString& title) {
        titles.push_back(title);
        if (names.empty()) {
            return std::nullopt;
        }
        auto name = names.front();
        names.pop_front();
        return name;
    }
};

// Deals with the modal windows and pop-up menus a user would answer: a
// pop-up gets the item lined up for it, a dialog is closed; both are
// remembered by name. Works from the event loop, so a test can click a
// button whose handler opens one and waits in it.
class TModalWatcher final : public QObject {
public:
    TModalWatcher() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &TModalWatcher::Look);
        timer_.start();
    }
    std::deque<QString> menuItems; // the item each next pop-up gets
    std::vector<QString> seen;     // object names of the windows and menus met
    // Asked for each dialog before it is closed (e.g. to save a screenshot).
    std::function<void(QWidget&)> onDialog;

private:
    void Look() {
        // A menu or dialog met before may come again once it has gone.
        if (handled_ && !handled_->isVisible()) {
            handled_ = nullptr;
        }
        QWidget* popup = QApplication::activePopupWidget();
        QWidget* modal = popup != nullptr ? popup : QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal == handled_) {
            return;
        }
        handled_ = modal;
        seen.push_back(modal->objectName());
        if (auto* menu = qobject_cast<QMenu*>(modal)) {
            QPointer<QAction> item;
            if (!menuItems.empty()) {
                for (QAction* action : menu->actions()) {
                    if (action->objectName() == menuItems.front()) {
                        item = action;
                    }
                }
                menuItems.pop_front();
            }
            menu->hide();
            if (item) {
                QMetaObject::invokeMethod(item, &QAction::trigger, Qt::QueuedConnection);
            }
            return;
        }
        if (onDialog) {
            onDialog(*modal);
        }
        QMetaObject::invokeMethod(modal, &QWidget::close, Qt::QueuedConnection);
    }

    QTimer timer_;
    QPointer<QWidget> handled_;
};

// The program put together over a copy of the shipped data, the in-process
// simulated programmer with a card of the card type, scripted message boxes
// and file dialogs. `wireTime`: answers take as long as on a real line
// running at `speed`.
class TWindowRig {
public:
    explicit TWindowRig(const std::string& cardType = kPicCard, bool wireTime = false,
                        TBaudRate speed = TBaudRate::br19200)
        : folder(CopyProgramFolder(dir)),
          device(sim::TSimCard(sim::SimCardModelForCardType(folder, cardType))),
          app(TPDataFolders(folder, dir / "user"), Parts(wireTime)), cardType_(cardType),
          speed_(speed) {
        device.SetListeningBaud(BaudOf(speed));
        app.Window().SetDeviceLister([] { return std::vector<std::string>{"/dev/ttyUSB7"}; });
        app.Window().SetUrlOpener([this](const QUrl& url) { opened.push_back(url); });
    }

    // First showing on COM1 with the rig's card type; waits for the card.
    void Start() {
        TStartChoices choices;
        choices.comPort = 1;
        choices.speed = speed_;
        choices.cardName = cardType_;
        app.Start(choices);
        Window().show();
        if (!QTest::qWaitForWindowExposed(&Window())) {
            throw std::runtime_error("the window was never shown");
        }
        work().PollNow();
        Window().Render();
    }

    gui::Tfrmmain& Window() { return app.Window(); }
    TPMainWorkflows& work() { return app.Work(); }
    TMainSnapshot Shot() { return app.Work().Snapshot(); }

    template <typename T = QWidget>
    T* Find(const char* name) {
        return Window().findChild<T*>(QString::fromLatin1(name));
    }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    std::string Sample(const char* name) const { return (folder / "samples" / name).string(); }

    TempDir dir;
    std::filesystem::path folder;
    sim::TSimDevice device;
    TRecordingPrompts prompts;
    TRecordedPrompts linkPrompts;
    TScriptedFiles files;
    std::vector<QUrl> opened;
    // The programmers the production window may drive, and how each opens.
    std::vector<std::string> gangDevices;
    std::function<TBackendFactory(const std::string& device)> gangOpener;
    gui::TKorvexApp app;

private:
    gui::TAppParts Parts(bool wireTime) {
        gui::TAppParts parts;
        parts.settingsFolder = dir / "settings";
        parts.prompts = &prompts;
        parts.linkPrompts = &linkPrompts;
        parts.files = &files;
        parts.factory = sim::SimulatorBackendFactory(device, TSteadyClock::Instance(), wireTime);
        parts.gangDevices = [this] { return gangDevices; };
        parts.gangOpener = [this](const std::string& device, const std::string&) {
            return gangOpener(device);
        };
        return parts;
    }
    std::string cardType_;
    TBaudRate speed_;
};

} // namespace korvex::testing
