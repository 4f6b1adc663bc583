#pragma once

#include "serials/postgres/pgwait.h"

#include <chrono>
#include <memory>
#include <string>

namespace korvex {

class TPSharedDatabase;

// A station's way to the database the stations of a line share, through
// outages: connected when the station asks for it, dropped when a call
// fails, and tried again only after a pause, so a database that is away
// costs the line one bounded wait now and then, not one per card.
class TPStationDatabase {
public:
    // How long a failed connection is left alone, in waits of the limit.
    static constexpr int kPauseInLimits = 2;

    TPStationDatabase(std::string uri, std::string station, TPgWait wait);
    ~TPStationDatabase();

    const std::string& Station() const { return station_; }
    // The URI as messages show it.
    const std::string& Where() const { return where_; }
    const TPgWait& Wait() const { return wait_; }

    // Connects now, whatever the pause. Throws EDatabase.
    std::shared_ptr<TPSharedDatabase> Open();
    // The database, connected again when the pause after a failure is over
    // (at once with `now`); nullptr while it cannot be reached.
    std::shared_ptr<TPSharedDatabase> Reach(bool now = false);
    // A call failed: the connection goes, and the reason stays for Problem.
    void Lost(const std::exception& why);

    bool Away() const;
    // Why the database was lost last; empty when it never was.
    const std::string& Problem() const { return problem_; }
    // Whether the database was reached again after a loss, once per return.
    bool CameBack();

private:
    std::string uri_;
    std::string where_;
    std::string station_;
    TPgWait wait_;
    std::shared_ptr<TPSharedDatabase> database_;
    std::string problem_;
    std::chrono::steady_clock::time_point retryAt_{};
    bool cameBack_ = false;
};

} // namespace korvex
