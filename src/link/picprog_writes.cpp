// Block writes: the text goes out in packets of 16 or 32 characters, each
// answered before the next is sent. A packet answered negatively is sent
// again, at most kNegativeAnswerLimit times in a row, so a card that always
// refuses cannot hold the program forever.
#include "link/picprog.h"

#include <algorithm>
#include <cmath>

namespace korvex {

struct TPPicProg::TWritePlan {
    char command = 0;
    int device = 0;
    std::size_t packetSize = 32;
    bool pausesForDelay = true;
    bool delayBeforeMessages = false;
    bool showsProgress = false;
    // External EEPROM packets: an unknown answer is retried like a negative
    // one, with a pause between the tries.
    bool patientRetries = false;
};

bool TPPicProg::AbortSeen() {
    if (!abortRequested_) {
        return false;
    }
    SelectMode(0, 0);
    return true;
}

bool TPPicProg::RunWrite(const TWritePlan& plan, std::string_view text, TProgressSink* gauge) {
    TBusyHold hold(busy_);
    // Positions count from 1, and the loop runs while the position is below
    // the length: a padded data text keeps its last character unsent.
    std::size_t position = 1;
    int retries = 0;
    while (position < text.size()) {
        if (AbortSeen()) {
            // Aborted, not written: callers must not announce this card as done.
            return false;
        }
        if (plan.delayBeforeMessages) {
            if (plan.pausesForDelay) {
                Pause(delay_);
            }
            ProcessMessages();
        } else {
            ProcessMessages();
            if (plan.pausesForDelay) {
                Pause(delay_);
            }
        }
        const std::string_view packet = text.substr(position - 1, plan.packetSize);
        const TReplyResult result =
            WriteBlock(plan.command, plan.device, packet, static_cast<int>(packet.size()));
        const bool retry = result == TReplyResult::rrNegative ||
                           (plan.patientRetries && result == TReplyResult::rrUnknown);
        if (result == TReplyResult::rrSuccess) {
            position += packet.size();
            retries = 0;
        } else if (retry) {
            if (++retries > kNegativeAnswerLimit) {
                return false;
            }
            if (plan.patientRetries) {
                Pause(100);
            }
        } else {
            return false;
        }
        if (plan.showsProgress) {
            const double percent = static_cast<double>(position) * 100.0 / text.size();
            ShowProgress(gauge, std::min(100, static_cast<int>(std::lround(percent))));
        }
    }
    return true;
}

bool TPPicProg::WriteProgramArea(std::string_view text, int kind, TProgressSink* gauge) {
    if (!Guarded()) {
        return false;
    }
    TWritePlan plan;
    plan.command = 'B';
    plan.device = kind;
    plan.showsProgress = true;
    return RunWrite(plan, text, gauge);
}

bool TPPicProg::WriteDataArea(std::string_view text, int kind, int size) {
    if (!Guarded()) {
        return false;
    }
    std::string padded(text);
    if (size >= 0 && static_cast<std::size_t>(size) >= padded.size()) {
        padded.resize(static_cast<std::size_t>(size) + 1, 'F');
    }
    TWritePlan plan;
    plan.command = 'C';
    plan.device = kind >= 7 ? 8 : 0;
    plan.packetSize = 16;
    plan.delayBeforeMessages = true;
    return RunWrite(plan, padded, nullptr);
}

bool TPPicProg::WriteConfigArea(std::string_view text, int kind) {
    if (!Guarded()) {
        return false;
    }
    TWritePlan plan;
    plan.command = 'D';
    plan.device = kind;
    plan.delayBeforeMessages = true;
    return RunWrite(plan, text, nullptr);
}

bool TPPicProg::WriteExtEeprom(std::string_view text, int kind, TProgressSink* gauge) {
    Pause(100);
    if (!Guarded()) {
        return false;
    }
    TWritePlan plan;
    plan.command = 'I';
    plan.device = kind;
    plan.pausesForDelay = false;
    plan.showsProgress = true;
    plan.patientRetries = true;
    return RunWrite(plan, text, gauge);
}

} // namespace korvex
