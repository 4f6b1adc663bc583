#include "workflows/production/cardnumbers.h"

namespace korvex {

std::optional<int> TPCardNumbers::Take() {
    int taken = taken_.load();
    do {
        if (count_ > 0 && taken >= count_) {
            return std::nullopt;
        }
    } while (!taken_.compare_exchange_weak(taken, taken + 1));
    return taken + 1;
}

} // namespace korvex
