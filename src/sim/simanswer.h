#pragma once

#include "sim/simfaults.h"

#include <optional>
#include <string>

namespace korvex::sim {

// An answer of the device before a fault may spoil it on its way back.
struct TSimAnswer {
    enum class TKind { None, Short, Framed };

    TKind kind = TKind::None;
    std::string bytes;   // as sent when nothing goes wrong
    std::string payload; // framed replies: the characters between leading byte and checksum

    static TSimAnswer Nothing() { return {}; }
    static TSimAnswer Short(std::string bytes) { return {TKind::Short, std::move(bytes), {}}; }
    // 0x02, the payload, the checksum of both, 0x0D.
    static TSimAnswer Framed(std::string payload);
};

// ACK EOT, the answer of every command that went well.
TSimAnswer AckEot();

// The bytes that reach the host when `fault` strikes the answer. Faults that
// do not act on the answer (nack, silent, pull, hangup) leave it as it is.
std::string SpoilAnswer(const TSimAnswer& answer, std::optional<TSimFaultKind> fault);

} // namespace korvex::sim
