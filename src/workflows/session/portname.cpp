#include "workflows/session/portname.h"

#include "link/portmap.h"

#include <string_view>

namespace korvex {

TPortName TPortName::OfItem(const TPortMap& map, int comNumber) {
    const std::string path = map.PathOf(comNumber);
    const bool simulator = path == TPortMap::kSimulator;
    return {"COM" + std::to_string(comNumber) + " (" + (simulator ? kSimulator : path) + ")",
            simulator};
}

std::string TPortName::CannotOpen(const std::string& reason) const {
    if (!simulator) {
        return "cannot open " + text + ": " + reason;
    }
    // The reason says already that it is the simulator that cannot start.
    std::string_view why = reason;
    if (why.starts_with(kSimulatorCannotStart)) {
        why.remove_prefix(kSimulatorCannotStart.size());
    }
    return "cannot start " + text + ": " + std::string(why);
}

std::string TPortName::NotAnswering() const {
    return "the programmer on " + text +
           " does not answer: check that it is switched on, the cable and the speed (--speed)";
}

} // namespace korvex
