// Arbitrary bytes as the programmer's answers, arriving in arbitrary pieces
// at arbitrary times: judging them must never crash, never hang and always
// give one of the five results.
#include "common/fakeclock.h"
#include "link/picprog.h"
#include "link/scriptedline.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace korvex;

namespace {

// The input after its first two bytes, cut into pieces: a length byte, a
// delay byte (ms after the request), then that many answer bytes.
void ScriptPieces(testing::TScriptedLine& line, const std::uint8_t* data, std::size_t size) {
    line.Answer("", 0);
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::size_t length = data[at];
        const int delay = data[at + 1];
        at += 2;
        const std::size_t take = std::min(length, size - at);
        line.ThenAnswer(std::string(reinterpret_cast<const char*>(data + at), take), delay);
        at += take;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    testing::TFakeClock clock;
    testing::TScriptedLine line(clock);
    TLogMemo memo; // outlives the driver, which logs its closing frames
    TPPicProg prog(LendLine(line), {&clock, nullptr, nullptr, nullptr});
    prog.SetComPort(1);
    prog.Connect();
    prog.SetLogMemo(&memo);
    ScriptPieces(line, data + 2, size - 2);

    const int count = 1 + data[1] % 16;
    TReplyResult result = TReplyResult::rrSuccess;
    std::string payload;
    switch (data[0] % 3) {
    case 0:
        prog.SendFrame(MakeFrame('P', '0', ""));
        result = prog.WaitAck(50 + data[1]);
        break;
    case 1:
        result = prog.ReadBlock('E', 3, count, payload);
        // A payload comes only from a reply that ended with its CR.
        if (!payload.empty() && std::memchr(data, '\r', size) == nullptr) {
            std::abort();
        }
        break;
    default:
        result = prog.WriteBlock('B', 3, std::string(static_cast<std::size_t>(count) * 2, 'A'),
                                 count * 2);
        break;
    }
    if (static_cast<int>(result) < 0 || static_cast<int>(result) > 4) {
        std::abort();
    }
    // Every wait is bounded by its deadline plus the latest piece.
    if (clock.NowMs() - 1000 > 2000) {
        std::abort();
    }
    return 0;
}
