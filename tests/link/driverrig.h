#pragma once

#include "common/fakeclock.h"
#include "link/picprog.h"
#include "link/scriptedline.h"

#include <string>
#include <vector>

namespace korvex::testing {

class TRecordedPrompts final : public TLinkPrompts {
public:
    void ShowLinkError(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> errors;
};

class TRecordedGauge final : public TProgressSink {
public:
    void SetProgress(int percent) override { values.push_back(percent); }
    std::vector<int> values;
};

class TCountingPump final : public TMessagePump {
public:
    void ProcessMessages() override {
        ++count;
        if (during) {
            during();
        }
    }
    int count = 0;
    std::function<void()> during;
};

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
