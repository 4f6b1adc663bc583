#include "serials/postgres/stationdatabase.h"

#include "serials/postgres/pgconnection.h"
#include "serials/postgres/shareddatabase.h"
#include "serials/serialerrors.h"
#include "support/errors.h"

#include <utility>

namespace korvex {

TPStationDatabase::TPStationDatabase(std::string uri, std::string station, TPgWait wait)
    : uri_(std::move(uri)), where_(RedactDatabaseUri(uri_)), station_(std::move(station)),
      wait_(std::move(wait)) {}

TPStationDatabase::~TPStationDatabase() = default;

std::shared_ptr<TPSharedDatabase> TPStationDatabase::Open() {
    try {
        database_ = std::make_shared<TPSharedDatabase>(uri_, wait_);
    } catch (const EKorvex& error) {
        Lost(error);
        throw;
    }
    if (!problem_.empty()) {
        cameBack_ = true;
    }
    return database_;
}

std::shared_ptr<TPSharedDatabase> TPStationDatabase::Reach(bool now) {
    if (!Away()) {
        return database_;
    }
    if (!now && std::chrono::steady_clock::now() < retryAt_) {
        return nullptr;
    }
    try {
        return Open();
    } catch (const EKorvex&) {
        return nullptr;
    }
}

void TPStationDatabase::Lost(const std::exception& why) {
    database_.reset();
    problem_ = DescribeError(why);
    cameBack_ = false;
    retryAt_ = std::chrono::steady_clock::now() +
               std::chrono::milliseconds(kPauseInLimits * wait_.limitMs);
}

bool TPStationDatabase::Away() const {
    return !database_ || !database_->Connection().Usable();
}

bool TPStationDatabase::CameBack() {
    return std::exchange(cameBack_, false);
}

} // namespace korvex
