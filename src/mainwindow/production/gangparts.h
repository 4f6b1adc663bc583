#pragma once

#include "link/serialbackend.h"
#include "support/datafolders.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace korvex::gui {

class TPortsInUse;

// What the production window needs to drive programmers of its own beside
// the main window's: without a device list it drives the main window's only.
struct TGangParts {
    TPDataFolders folders;
    std::filesystem::path settingsFolder;
    // The programmers there are: the serial devices (/dev/serial/by-id names
    // first) and the simulator ("sim").
    std::function<std::vector<std::string>()> listDevices;
    // Opens a slot's device, whatever port name its session asks for; the
    // simulator holds a card of `cardType`.
    std::function<TBackendFactory(const std::string& device, const std::string& cardType)> opener;
    // The device the main window's programmer is on now; empty offline.
    std::function<std::string()> mainDevice;
    TPortsInUse* inUse = nullptr;
};

} // namespace korvex::gui
