#pragma once

#include "mainwindow/production/gangparts.h"
#include "workflows/production/gangboard.h"
#include "workflows/production/gangrun.h"
#include "workflows/production/slotrelay.h"
#include "workflows/production/slotsession.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

// A production run over several programmers from the production window:
// each slot a session on a thread of its own (TPGangRun), whose news come
// to the board on the window's thread by a queued signal. While it runs, the
// main window leaves the ports it drives alone.
class TGangStation final : public QObject {
    Q_OBJECT
public:
    TGangStation(TPMainWorkflows& main, TGangParts parts, QObject* parent = nullptr);
    ~TGangStation() override;

    // Starts a slot on each device, with what the main window shows; the
    // window's thread goes on at once.
    void Start(const std::vector<std::string>& devices, const TProductionPlan& plan);
    // Every slot ends after its card in hand.
    void Stop();
    bool Running() const { return run_ != nullptr; }
    TPGangBoard& Board() { return board_; }
    const TGangParts& Parts() const { return parts_; }
    // A device as the window names it: "Simulator" for the simulator.
    static std::string Caption(const std::string& device);

    // Told on the window's thread after changes of the board, a burst of
    // them once, and once every slot has ended (Running() is false then).
    std::function<void()> OnChange;

signals:
    // A call from a slot's thread, made on the window's.
    void News(std::function<void()> call);

private:
    void Changed();
    void Finish();

    TPMainWorkflows& main_;
    TGangParts parts_;
    TPGangBoard board_;
    std::vector<std::unique_ptr<TPSlotRelay>> relays_;
    std::vector<std::unique_ptr<TPSlotSession>> sessions_;
    std::unique_ptr<TPGangRun> run_;
    bool mainPortTaken_ = false;
    bool drawDue_ = false;
};

} // namespace korvex::gui
