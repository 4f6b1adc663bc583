#pragma once

#include "serials/blockclaims.h"
#include "serials/pgwait.h"

#include "cli/cardsession.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvex::cli {

// The memory a card command works on.
enum class TMemory { mPic, mEeprom };

struct TReadRequest {
    TMemory memory = TMemory::mPic;
    std::string out;     // -o
    std::string dataOut; // --data-out, AVR kinds
};

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

enum class TCardAction { caWrite, caVerify, caErase };

// Write, verify or erase; `file` (write and verify) names the image instead
// of the card type's stored one, `intEeprom` (write and verify pic, AVR
// kinds) the internal EEPROM file.
struct TActionRequest {
    TCardAction action = TCardAction::caWrite;
    TMemory memory = TMemory::mPic;
    std::string file;
    std::string intEeprom;
};

int RunRead(const TPDataFolders& folders, const TGlobalOptions& options,
            const TReadRequest& request);
int RunCardAction(const TPDataFolders& folders, const TGlobalOptions& options,
                  const TActionRequest& request);
int RunAuto(const TPDataFolders& folders, const TGlobalOptions& options,
            const TAutoRequest& request);
int RunLock(const TPDataFolders& folders, const TGlobalOptions& options);
// What auto does before its card, on a session of its own: the record and
// --log usable (false, the reason shown), then the session started and given
// the request's files (kExitOk, or the exit code with the reason shown).
bool AutoDestinationsUsable(TCardSession& session, const TGlobalOptions& options,
                            const TAutoRequest& request);
int PrepareAuto(TCardSession& session, const TAutoRequest& request);
// Whether auto writes the processor, and so its configuration word is said.
bool AutoWritesProcessor(TCardSession& session);

struct TFuseRequest {
    std::string watchdog, powerup, protection, oscillator, lock; // empty: unchanged
};
int RunFuses(const TPDataFolders& folders, const TGlobalOptions& options,
             const TFuseRequest& request);
int RunOptions(const TPDataFolders& folders, const TGlobalOptions& options,
               const std::vector<std::string>& settings);

struct TCardRequest {
    std::string action; // add, edit, delete
    std::string name;
    std::string description;
    std::string processor;
    std::string eeprom;
    // edit: serial fields set ("Serial1:memory=eeprom,...") and removed.
    std::vector<std::string> serials;
    std::vector<std::string> removeSerials;
};
int RunCardType(const TPDataFolders& folders, const TGlobalOptions& options,
                const TCardRequest& request);

// The summary of the local record (--record) or of the shared one (--db):
// cards per station and per hour, good and failed with the failing steps,
// the yield at the end and at the first pass, where failed cards first
// differed, cards an hour, the last value of each serial field; of the cards
// from `since` until `until` and of the tool's --card only, when given.
struct TRecordsRequest {
    std::string record;
    std::string database;
    std::string station;
    double databaseWait = TPgWait::kDefaultLimitMs / 1000.0; // seconds
    // Send the record's lines the database does not hold.
    bool sync = false;
    // What the record cannot account for, instead of the summary.
    bool audit = false;
    bool csv = false;         // the audit as CSV
    std::string since, until; // as RangeTimeSeconds reads them; empty: no bound
};
int RunRecords(const TPDataFolders& folders, const TGlobalOptions& options,
               const TRecordsRequest& request);
// Every wait of records for the database bounded by --db-wait, and given up
// at a signal; the station of a local record's lines that name none.
TPgWait RecordsDatabaseWait(const TRecordsRequest& request);
std::string RecordsStation(const TRecordsRequest& request);
// records --sync: the record's lines the database does not hold, sent.
int RunRecordsSync(const TRecordsRequest& request);
// records --audit: what the record cannot account for.
int RunRecordsAudit(const TPDataFolders& folders, const TGlobalOptions& options,
                    const TRecordsRequest& request);

} // namespace korvex::cli
