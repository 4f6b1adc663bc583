#include "link/baudrate.h"

#include <array>

namespace korvex {

int BaudOfOrdinal(int ordinal) {
    static constexpr std::array<int, 8> kRates = {300, 600, 1200, 2400, 4800, 9600, 19200, 115200};
    if (ordinal < 0 || ordinal >= static_cast<int>(kRates.size())) {
        return 9600;
    }
    return kRates[static_cast<std::size_t>(ordinal)];
}

int BaudOf(TBaudRate rate) {
    return BaudOfOrdinal(static_cast<int>(rate));
}

} // namespace korvex
