#pragma once

#include "link/serialbackend.h"

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace korvex::gui {

// The ports a production run with several programmers drives now. The main
// window's line opens its port through Guard, so while a run drives the
// main window's programmer, the main window neither opens nor polls it, and
// says why; it takes the port up again when the run has given it back.
class TPortsInUse {
public:
    void Take(const std::vector<std::string>& devices);
    void GiveBack();
    bool Taken(const std::string& device) const;

    // A factory that opens through `factory`, unless the port's device
    // (`deviceOf` the port name) is taken: the port then only fails to open,
    // with `why()` as its reason.
    TBackendFactory Guard(TBackendFactory factory,
                          std::function<std::string(std::string_view port)> deviceOf,
                          std::function<std::string()> why) const;

private:
    mutable std::mutex mutex_;
    std::set<std::string> taken_;
};

} // namespace korvex::gui
