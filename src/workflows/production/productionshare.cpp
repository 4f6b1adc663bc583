#include "workflows/production/productionshare.h"

#include "serials/postgres/shareddatabase.h"
#include "support/errors.h"

namespace korvex {

namespace {

TShareChange ChangeOf(bool wasAway, bool away) {
    if (away == wasAway) {
        return TShareChange::scNone;
    }
    return away ? TShareChange::scAway : TShareChange::scBack;
}

} // namespace

TPProductionShare::TPProductionShare(const std::string& uri, const std::string& station,
                                     const std::filesystem::path& record, TPLocalSerialClaims& own,
                                     int block, TPgWait wait,
                                     std::shared_ptr<TPStationReserve> reserve)
    : database_(uri, station, std::move(wait)), outbox_(record, station),
      claims_(database_, own, block, std::move(reserve)) {}

TShareStart TPProductionShare::Open(const std::vector<TPSerialSequence>& fields,
                                    std::optional<int> cards) {
    TShareStart start;
    claims_.ExpectCards(cards);
    const auto database = database_.Open();
    // Lines and values of earlier runs first: the blocks taken below are
    // this run's own.
    start.linesSent = outbox_.Send(*database);
    claims_.Reconcile();
    for (const TPSerialSequence& sequence : fields) {
        if (const auto after = claims_.Prepare(sequence)) {
            start.counters.push_back({sequence.Field().name, sequence.CardType(), *after});
        }
    }
    return start;
}

TShareChange TPProductionShare::AfterCard(std::optional<int> cardsLeft) {
    claims_.ExpectCards(cardsLeft);
    const bool wasAway = away_;
    linesSent_ = 0;
    if (const auto database = database_.Reach()) {
        try {
            linesSent_ = outbox_.Send(*database);
            if (wasAway) {
                // What the station did meanwhile: values spent, and any
                // whose card was cut off.
                claims_.Reconcile();
            }
            claims_.TopUp();
        } catch (const EKorvex& error) {
            database_.Lost(error);
        }
    }
    away_ = database_.Away();
    return ChangeOf(wasAway, away_);
}

void TPProductionShare::Close() {
    claims_.ReleaseUnused();
}

std::string TPProductionShare::Held() const {
    std::string held;
    for (const auto& [field, count] : claims_.Held()) {
        held += (held.empty() ? "" : ", ") + field + " " + std::to_string(count);
    }
    return held;
}

} // namespace korvex
