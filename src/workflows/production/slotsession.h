#pragma once

#include "link/baudrate.h"
#include "link/serialbackend.h"
#include "support/datafolders.h"
#include "workflows/presenter/mainview.h"
#include "workflows/production/productionrun.h"

#include <array>
#include <filesystem>
#include <string>

namespace korvex {

class TPSlotRelay;

// What a slot's session starts with: the programmer's port, and what the
// main window shows (its card type, speed, language and files), so every
// slot programs the cards the main window would.
struct TSlotStart {
    std::string device; // a device path, or TPortMap::kSimulator
    std::string cardType;
    TBaudRate speed = TBaudRate::br19200;
    std::string language;
    std::array<std::string, kFileRowCount> files;
};

// One programmer of a run with several: a session of its own, made, run and
// let go on the slot's thread, whose face is the slot's relay. It keeps
// nothing in the settings or the card type's file.
class TPSlotSession {
public:
    // `factory` opens the slot's device for any port name it is given.
    TPSlotSession(TPDataFolders folders, std::filesystem::path settingsFolder,
                  TBackendFactory factory, TSlotStart start, TPSlotRelay& relay)
        : folders_(std::move(folders)), settingsFolder_(std::move(settingsFolder)),
          factory_(std::move(factory)), start_(std::move(start)), relay_(relay) {}

    // On the slot's thread: opens the programmer, runs `plan` on it and lets
    // it go. reRefused, the reason told, when the programmer cannot be
    // opened or does not answer.
    TProductionSummary Run(const TProductionPlan& plan);

private:
    TPDataFolders folders_;
    std::filesystem::path settingsFolder_;
    TBackendFactory factory_;
    TSlotStart start_;
    TPSlotRelay& relay_;
};

} // namespace korvex
