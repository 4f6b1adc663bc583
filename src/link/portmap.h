#pragma once

#include "link/serialbackend.h"
#include "support/settingsstore.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Which device each of the port items "COM1".."COM8" stands for. Unless the
// user says otherwise COMn is /dev/ttyS(n-1); any entry may name another
// device node or the built-in simulator.
class TPortMap {
public:
    static constexpr std::string_view kSimulator = "sim";
    static constexpr int kPortCount = 8;

    // Every entry at its default.
    TPortMap() = default;

    // Entries from the keys "Port1".."Port8"; an empty or missing value keeps
    // the default.
    static TPortMap Load(const TPSettingsStore& store);
    // All eight entries in one write. One-run overrides are not saved.
    void Save(TPSettingsStore& store) const;

    static std::string DefaultPath(int comNumber);
    static std::string KeyOf(int comNumber);
    // "COM1".."COM8" give 1..8, anything else 0.
    static int ComNumberOf(std::string_view portName);

    // A port as a user names it when starting either program (--port): a
    // port item "COM1".."COM8" in any letter case, the built-in simulator
    // ("sim"), or a device by its path (a name that holds a "/"), which
    // takes the place of COM1 for that run. nullopt for anything else.
    struct TArgument {
        int comNumber = 0;  // the item to choose
        std::string device; // the device or simulator in its place; empty: the item's own
    };
    static std::optional<TArgument> ReadArgument(std::string_view text);
    // What to say to a user whose --port ReadArgument does not take.
    static constexpr std::string_view kArgumentHelp =
        "give --port COM1..COM8, a device path or sim";

    // The device COMn opens: the override for this run, else the stored
    // entry, else the default. Empty outside 1..8.
    std::string PathOf(int comNumber) const;
    // The entry kept in the settings, without the override.
    std::string StoredPathOf(int comNumber) const;

    // Empty restores the default. Numbers outside 1..8 are ignored.
    void SetPath(int comNumber, std::string path);
    // Holds for this run only (a device given on the command line); empty
    // removes the override.
    void Override(int comNumber, std::string path);

private:
    static bool InRange(int comNumber) { return comNumber >= 1 && comNumber <= kPortCount; }

    std::array<std::string, kPortCount> paths_{};
    std::array<std::optional<std::string>, kPortCount> overrides_{};
};

// How the reason for a simulator port that cannot open begins, when setting
// the simulator up failed.
inline constexpr std::string_view kSimulatorCannotStart = "The simulator cannot start: ";

// Builds backends for port names through the map: the simulator entry gets
// what makeSimulator returns (a backend that cannot open when there is none),
// any other entry a device backend on its path.
TBackendFactory
MakePortFactory(TPortMap map, std::function<std::unique_ptr<TSerialBackend>()> makeSimulator = {});

} // namespace korvex
