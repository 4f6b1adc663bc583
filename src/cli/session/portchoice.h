#pragma once

#include "cli/session/linkoptions.h"
#include "link/baudrate.h"
#include "link/portmap.h"
#include "workflows/session/portname.h"

namespace korvex {
class TPSettingsStore;
}

namespace korvex::cli {

// The port and speed a run uses: --port and --speed when given, else the
// values remembered in the user's settings. A device path or "sim" is put
// in the place of COM1 for this run only.
struct TPortChoice {
    int comNumber = 0;
    TBaudRate rate = TBaudRate::br19200;
    TPortMap map;
    TPortName name;
};

// Throws EKorvex with a line for the user when no port is given or stored,
// or a value is not one of the accepted ones.
TPortChoice ChoosePort(const LinkOptions& options, const TPSettingsStore& store);

} // namespace korvex::cli
