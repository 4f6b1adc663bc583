#include "serials/claims/claimhistory.h"

#include "serials/claims/claimfile.h"
#include "support/errors.h"
#include "support/readfile.h"

namespace korvex {

TClaimHistory ReadClaimHistory(const std::filesystem::path& file) {
    const std::string field = file.stem().string();
    TClaimHistory history;
    const TClaimsReading reading = ReadClaims(
        ReadFileIfExists(file).value_or(std::string()), field, {}, [&](const TClaimLine& line) {
            TClaimEntry& entry = history.values[line.value.position];
            entry.text = line.value.text;
            entry.time = line.time;
            if (!line.outcome.empty()) {
                entry.outcome = line.outcome;
            }
        });
    if (reading.unreadable) {
        throw EInOutError(DamagedClaimsMessage(field, reading), file.string());
    }
    // The highest as a claim takes it, so the next value is the one a claim gets.
    if (reading.read.highest) {
        history.highest = reading.read.highest->position;
    }
    return history;
}

} // namespace korvex
