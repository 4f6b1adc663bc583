// Block writes: the text goes out in packets of 16 or 32 characters, each
// answered before the next is sent. A packet the programmer refused (0x16)
// was not carried out and is sent again, at most kNegativeAnswerLimit times in
// a row, so a card that always refuses cannot hold the program forever. Any
// other failed answer leaves the packet's fate unknown: the programmer may
// have stored it and moved its running address on, so a copy sent now would
// land one packet further and shift everything after it. The write ends
// there; only a new start from the mode select can put it right.
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
    // External EEPROM packets: the EEPROM may still be busy with the packet
    // before, so a refused packet waits a moment before it goes again.
    bool pausesAfterRefusal = false;
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
    int packet = 1;
    int refusals = 0;
    while (position < text.size()) {
        if (AbortSeen()) {
            // Aborted, not written: callers must not announce this card as done.
            SetFault(TTransportFaultKind::tfAborted, plan.command, packet);
            return false;
        }
        if (plan.delayBeforeMessages) {
            if (plan.pausesForDelay) {
                PauseBetweenBlocks();
            }
            ProcessMessages();
        } else {
            ProcessMessages();
            if (plan.pausesForDelay) {
                PauseBetweenBlocks();
            }
        }
        const std::string_view data = text.substr(position - 1, plan.packetSize);
        const TReplyResult result =
            WriteBlock(plan.command, plan.device, data, static_cast<int>(data.size()));
        // An ACK whose EOT was lost: the programmer took the packet, unless
        // the DLE of a card gone was what got lost, and then the next
        // packet's answer says so. The last packet has no next one: there
        // the fate stays unknown.
        const bool ackOnly = lastAnswerAckOnly_ && position + data.size() < text.size();
        if (result == TReplyResult::rrSuccess || ackOnly) {
            position += data.size();
            ++packet;
            refusals = 0;
        } else if (lastAnswer_ == TTransportFaultKind::tfRefused) {
            if (++refusals > kNegativeAnswerLimit) {
                SetFault(TTransportFaultKind::tfRefused, plan.command, packet);
                return false;
            }
            if (plan.pausesAfterRefusal) {
                Pause(100);
            }
        } else {
            SetFault(lastAnswer_, plan.command, packet);
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
    if (!BeginTransfer()) {
        return false;
    }
    TWritePlan plan;
    plan.command = 'B';
    plan.device = kind;
    plan.showsProgress = true;
    return RunWrite(plan, text, gauge);
}

bool TPPicProg::WriteDataArea(std::string_view text, int kind, int size) {
    if (!BeginTransfer()) {
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
    if (!BeginTransfer()) {
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
    if (!BeginTransfer()) {
        return false;
    }
    TWritePlan plan;
    plan.command = 'I';
    plan.device = kind;
    plan.pausesForDelay = false;
    plan.showsProgress = true;
    plan.pausesAfterRefusal = true;
    return RunWrite(plan, text, gauge);
}

} // namespace korvex
