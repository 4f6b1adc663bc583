#pragma once

#include "common/fakeclock.h"
#include "common/linkfakes.h"
#include "link/picprog.h"
#include "link/scriptedline.h"

#include <string>
#include <vector>

namespace korvex::testing {

// A driver on a scripted line with a clock that moves only when it waits.
struct TDriverRig {
    TFakeClock clock;
    TScriptedLine line{clock};
    TRecordedPrompts prompts;
    TCountingPump pump;
    TManualPollScheduler scheduler;
    TLogMemo memo;
    TPPicProg prog{LendLine(line), {&clock, &pump, &prompts, &scheduler}};

    TDriverRig() { memo.SetMaxLines(100000); }

    // Connected on COM1 with the log attached.
    void ConnectLogged() {
        prog.SetComPort(1);
        prog.Connect();
        prog.SetLogMemo(&memo);
    }
    std::string LastLog() const { return memo.Lines().empty() ? "" : memo.Lines().back(); }
};

inline std::string Bytes(std::initializer_list<int> values) {
    std::string text;
    for (const int v : values) {
        text += static_cast<char>(v);
    }
    return text;
}

inline const std::string kAckEot = Bytes({0x06, 0x04});

} // namespace korvex::testing
