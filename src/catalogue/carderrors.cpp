#include "catalogue/carderrors.h"

#include "support/textconv.h"

namespace korvex {

std::string FailureLocation(std::uint32_t code) {
    return HexUpper(code, 8);
}

} // namespace korvex
