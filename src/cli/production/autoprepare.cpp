#include "cli/production/autoprepare.h"

#include "cli/session/commandfiles.h"
#include "cli/session/destinations.h"

#include <utility>

namespace korvex::cli {

bool AutoDestinationsUsable(TCardSession& session, const TGlobalOptions& options,
                            const TAutoRequest& request) {
    return DestinationsUsable(session, {options.link.logFile, request.record});
}

int PrepareAuto(TCardSession& session, const TAutoRequest& request) {
    if (const int code = session.Start(); code != kExitOk) {
        return code;
    }
    const std::pair<TFileRow, const std::string*> files[] = {
        {TFileRow::frProgram, &request.pic},
        {TFileRow::frEeprom, &request.eeprom},
    };
    for (const auto& [row, file] : files) {
        if (!file->empty() && !session.UseFile(row, *file)) {
            return kExitUsage;
        }
    }
    // A file named here that the run would leave out: the user would take the
    // card for one that holds it.
    const bool reachesEeprom = session.Work().AutoReachesEeprom();
    if (!request.eeprom.empty() && !reachesEeprom) {
        session.Fail(session.Work().HasEeprom()
                         ? "--eeprom names a file the options leave neither written nor "
                           "verified: switch on Auto/WriteEe or Auto/VerifyEe (korvex-cli "
                           "options --set Auto/WriteEe=on), or leave --eeprom out"
                         : "--eeprom names a file for an external EEPROM, which the card type "
                           "has none of: leave --eeprom out");
        return kExitUsage;
    }
    if ((request.pic.empty() && !session.StoredFileUsable(TFileRow::frProgram, "program")) ||
        !UseIntEepromFile(session, request.intEeprom) ||
        (request.eeprom.empty() && reachesEeprom &&
         !session.StoredFileUsable(TFileRow::frEeprom, "eeprom", false))) {
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace korvex::cli
