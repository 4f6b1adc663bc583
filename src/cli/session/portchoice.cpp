#include "cli/session/portchoice.h"

#include "support/errors.h"
#include "support/settingsstore.h"

namespace korvex::cli {

namespace {

// Stored speed codes: 9600 stands for the "19200 baud" item.
TBaudRate StoredRate(const TPSettingsStore& store) {
    const auto code = store.ReadInteger(TPSettingsStore::kSpeed);
    return code && *code == 115200 ? TBaudRate::br115200 : TBaudRate::br19200;
}

} // namespace

TPortChoice ChoosePort(const LinkOptions& options, const TPSettingsStore& store) {
    TPortChoice choice;
    choice.map = TPortMap::Load(store);
    if (options.port.empty()) {
        const int stored = store.ReadInteger(TPSettingsStore::kComPort).value_or(0);
        if (stored < 1 || stored > TPortMap::kPortCount) {
            throw EKorvex("no port chosen: " + std::string(TPortMap::kArgumentHelp));
        }
        choice.comNumber = stored;
        choice.name = TPortName::OfItem(choice.map, stored);
    } else if (const auto port = TPortMap::ReadArgument(options.port); !port) {
        throw EKorvex("unknown port \"" + options.port +
                      "\": " + std::string(TPortMap::kArgumentHelp));
    } else {
        choice.comNumber = port->comNumber;
        if (port->device.empty()) {
            choice.name = TPortName::OfItem(choice.map, port->comNumber);
        } else {
            choice.map.Override(choice.comNumber, port->device);
            choice.name = port->device == TPortMap::kSimulator
                              ? TPortName{TPortName::kSimulator, true}
                              : TPortName{port->device, false};
        }
    }

    if (options.speed.empty()) {
        choice.rate = StoredRate(store);
    } else if (options.speed == "115200") {
        choice.rate = TBaudRate::br115200;
    } else if (options.speed == "19200") {
        choice.rate = TBaudRate::br19200;
    } else {
        throw EKorvex("unknown speed \"" + options.speed + "\": give 19200 or 115200");
    }
    return choice;
}

} // namespace korvex::cli
