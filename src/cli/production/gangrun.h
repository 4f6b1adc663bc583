#pragma once

#include "cli/production/autoprepare.h"
#include "cli/session/cardsession.h"
#include "workflows/production/gangrun.h"

#include <string>
#include <vector>

namespace korvex::cli {

// How one slot of a run with several programmers ended.
struct TSlotEnd {
    std::string port; // as named on the command line
    bool started = false;
    TRunEnd end = TRunEnd::reRefused;
    TProductionCounters counters;
};

// Why a slot stopped, in a few words for its summary line; empty for a slot
// that ended as asked (its count, a stop).
std::string SlotStopReason(const TSlotEnd& slot);
// The run's summary: a line per slot, its port first, and the counts over
// all of them in the words of a run with one programmer; `elapsedMs` is the
// run's own time.
std::vector<std::string> GangSummaryLines(const std::vector<TSlotEnd>& slots,
                                          std::int64_t elapsedMs);
// 0 when every slot ended as asked with every card good, 1 otherwise.
int GangExitCode(const std::vector<TSlotEnd>& slots);

// `auto --watch` with several --port: a production run on each programmer,
// each on a thread of its own, that share one run, its count, the serial
// claims and the record. A slot whose programmer fails stops, saying which
// and why; the others go on.
int RunGang(const TPDataFolders& folders, const TGlobalOptions& options,
            const TAutoRequest& request);

} // namespace korvex::cli
