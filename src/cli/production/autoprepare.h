#pragma once

#include "cli/session/cardsession.h"
#include "serials/blockclaims.h"
#include "serials/pgwait.h"

#include <string>

namespace korvex::cli {

// What auto is asked for: its files and, for the production line, the run.
struct TAutoRequest {
    std::string pic;
    std::string eeprom;
    std::string intEeprom;
    // The production line: every card put in is programmed, until `count`
    // cards (0: until a signal), each one a line in `record` when named.
    bool watch = false;
    int count = 0;
    std::string record;
    std::string database; // a shared PostgreSQL database; empty: none
    std::string station;  // this station's name in it; empty: the host name
    double databaseWait = TPgWait::kDefaultLimitMs / 1000.0; // seconds
    int reserve = TPBlockClaims::kDefaultBlock;
};

// What auto does before its card, on a session of its own: the record and
// --log usable (false, the reason shown), then the session started and given
// the request's files (kExitOk, or the exit code with the reason shown).
bool AutoDestinationsUsable(TCardSession& session, const TGlobalOptions& options,
                            const TAutoRequest& request);
int PrepareAuto(TCardSession& session, const TAutoRequest& request);

} // namespace korvex::cli
