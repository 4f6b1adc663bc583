// Block reads: one loop for the four memories, cut into requests of at most
// 8 or 16 units. A block the programmer refused (0x16) was not read and is
// asked for again, at most kNegativeAnswerLimit times in a row. A block whose
// reply was spoiled or missing is not: reading moves the programmer's running
// address on as writing does, so the same request now could bring the next
// block, and a read shifted by a block would be saved or compared as the
// card's. The read ends; a new start from the mode select reads it right.
#include "link/picprog.h"

#include <algorithm>
#include <cmath>

namespace korvex {

struct TPPicProg::TReadPlan {
    char command = 0;
    int device = 0;
    int total = 0;
    int maxBlock = 0;
    int advancePerUnit = 1;     // the done count moves by this many per unit asked for
    bool delayFirst = false;    // pause before processing messages
    bool showsProgress = false; // set the gauge after every block
};

std::string TPPicProg::RunRead(const TReadPlan& plan, TProgressSink* gauge) {
    lastReadComplete_ = false;
    if (!BeginTransfer()) {
        return {};
    }
    TBusyHold hold(busy_);
    std::string text;
    int done = 0;
    int blockNumber = 1;
    int refusals = 0;
    bool stop = false;
    while (done < plan.total && !stop) {
        if (AbortSeen()) {
            // What came before the request is returned, marked as incomplete.
            SetFault(TTransportFaultKind::tfAborted, plan.command, blockNumber);
            stop = true;
            break;
        }
        if (plan.delayFirst) {
            PauseBetweenBlocks();
            ProcessMessages();
        } else {
            ProcessMessages();
            PauseBetweenBlocks();
        }
        const int block = std::min(plan.total - done, plan.maxBlock);
        std::string payload;
        if (ReadBlock(plan.command, plan.device, block, payload) == TReplyResult::rrSuccess) {
            text += payload;
            done += plan.advancePerUnit * block;
            ++blockNumber;
            refusals = 0;
        } else if (lastAnswer_ != TTransportFaultKind::tfRefused ||
                   ++refusals > kNegativeAnswerLimit) {
            SetFault(lastAnswer_, plan.command, blockNumber);
            stop = true;
        }
        if (plan.showsProgress) {
            // The done count may run past the total by a block; the gauge stops at 100.
            const double percent = static_cast<double>(done) / plan.total * 100.0;
            ShowProgress(gauge, std::min(100, static_cast<int>(std::lround(percent))));
        }
    }
    lastReadComplete_ = !stop;
    return text;
}

std::string TPPicProg::ReadConfigArea(int kind) {
    TReadPlan plan;
    plan.command = 'G';
    plan.device = kind;
    plan.total = kind < 8 ? 8 : 3;
    plan.maxBlock = 8;
    return RunRead(plan, nullptr);
}

std::string TPPicProg::ReadDataArea(int kind, int count) {
    TReadPlan plan;
    plan.command = 'F';
    plan.device = kind;
    plan.total = count;
    plan.maxBlock = 8;
    plan.delayFirst = true;
    return RunRead(plan, nullptr);
}

// Program memory and external EEPROM: requests of up to 16 units, the done
// count moving by two per unit, the gauge following.
TPPicProg::TReadPlan TPPicProg::LargeReadPlan(char command, int kind, int count,
                                              int countOverride) {
    TReadPlan plan;
    plan.command = command;
    plan.device = kind;
    plan.total = countOverride > 0 ? countOverride : count;
    plan.maxBlock = 16;
    plan.advancePerUnit = 2;
    plan.showsProgress = true;
    return plan;
}

std::string TPPicProg::ReadProgramArea(int kind, int count, int countOverride,
                                       TProgressSink* gauge) {
    return RunRead(LargeReadPlan('E', kind, count, countOverride), gauge);
}

std::string TPPicProg::ReadExtEeprom(int kind, int count, int countOverride, TProgressSink* gauge) {
    return RunRead(LargeReadPlan('J', kind, count, countOverride), gauge);
}

} // namespace korvex
