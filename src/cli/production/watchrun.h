#pragma once

#include "cli/production/autoprepare.h"
#include "cli/session/cardsession.h"
#include "workflows/production/productionrun.h"

#include <string>

namespace korvex::cli {

// The line a card of a production run gets on stdout: sequence, outcome,
// failing step, first difference and seconds, in words that stay the same
// whatever the language, for scripts.
std::string WatchCardLine(const TCardResult& result);
// The run's last line: the counters and the pace.
std::string WatchSummaryLine(const TProductionCounters& counters);

// The production run the request asks for.
TProductionPlan WatchPlan(const TAutoRequest& request);

// `auto --watch`: runs the production line on the session, which has been
// started and given its files; `configWord`: the configuration word is said
// when the run goes ahead. 0 when every card was good, 1 when any was not,
// 2 when the files give nothing to program.
int RunWatch(TCardSession& session, const TAutoRequest& request, bool configWord);

} // namespace korvex::cli
