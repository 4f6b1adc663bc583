// Operations made of several exchanges: erase, identification, lock, and the
// read, write and verify of a whole processor.
#include "link/picprog.h"

namespace korvex {

// Each part of a composite operation clears the fault record as it starts;
// the operation reports the first part's fault, which is where it went wrong.
class TPPicProg::TFirstFault {
public:
    explicit TFirstFault(TPPicProg& prog) : prog_(prog) {}
    void Keep() {
        if (!first_.IsFault()) {
            first_ = prog_.lastFault_;
        }
    }
    // A part that failed fails the whole, whose next try starts again from
    // its mode select: the parts after it would only cost time, on a
    // programmer gone silent seconds of it.
    bool GoOn() const { return !prog_.abortRequested_ && !first_.IsFault(); }
    void Restore() { prog_.lastFault_ = first_; }

private:
    TPPicProg& prog_;
    TTransportFault first_;
};

// An erase carried out twice is still one erase, so it is sent again
// whatever went wrong, unless the card has gone.
bool TPPicProg::EraseChip(int kind) {
    if (!busy_) {
        ClearFault();
    }
    const TFrame frame = MakeFrame('H', DeviceDigit(kind), "");
    for (int send = 0; send < 6; ++send) {
        SendFrame(frame);
        if (WaitAck(150) == TReplyResult::rrSuccess) {
            return true;
        }
        if (lastAnswer_ == TTransportFaultKind::tfNoAnswer) {
            Answering();
        }
        if (lastAnswer_ == TTransportFaultKind::tfNoCard ||
            lastAnswer_ == TTransportFaultKind::tfNoAnswer) {
            break;
        }
    }
    SetFault(lastAnswer_, 'H', 0);
    return false;
}

bool TPPicProg::CheckDeviceId(std::string_view idA, std::string_view idB, int kind) {
    int mode = 3;
    int tries = 0;
    std::string text;
    do {
        if (kind >= 8) {
            mode = 4;
        }
        SelectMode(mode, kind);
        text = ReadConfigArea(kind);
        Pause(40);
        ++tries;
    } while (text == "FFFFF" && tries <= 4);
    // A read that brought nothing back identifies nothing, even where the
    // catalogue leaves an identification empty.
    const bool matches = !text.empty() && (text == idA || text == idB);
    SelectMode(0, kind);
    return matches;
}

// Whether a fault leaves nobody to try again with: the card has gone, or the
// programmer did not answer and does not answer a poll either.
bool TPPicProg::Silenced(const TTransportFault& fault) {
    if (fault.kind == TTransportFaultKind::tfNoAnswer && !Answering()) {
        return true;
    }
    return fault.kind == TTransportFaultKind::tfNoCard;
}

// A lock counts once the programmer acknowledged its frame and the card then
// identifies itself as locked; a lock given twice is one lock, so the rounds
// repeat it freely. What went wrong in the last round is the fault, unless
// the card went.
bool TPPicProg::LockCard(int kind, std::string_view identification) {
    if (!BeginTransfer()) {
        return false;
    }
    bool locked = false;
    TTransportFault fault;
    for (int round = 0; round < 10 && !locked && !abortRequested_; ++round) {
        bool acknowledged = false;
        {
            TBusyHold hold(busy_);
            SelectMode(4, kind);
            SendFrame(MakeFrame('D', '8', ""));
            acknowledged = WaitAck(600) == TReplyResult::rrSuccess;
            fault = {acknowledged ? TTransportFaultKind::tfNone : lastAnswer_, 'D', 0};
            Pause(10);
        }
        if (Silenced(fault)) {
            break;
        }
        if (!acknowledged) {
            continue;
        }
        // Where a part reads the same identification locked and unlocked,
        // the check alone proves nothing: the programmer must have taken the
        // lock as well. The check's read is guarded itself; nothing runs
        // between the two holds that could start another transfer.
        locked = CheckDeviceId(identification, identification, kind);
        fault = lastFault_;
        if (Silenced(fault)) {
            break;
        }
    }
    if (!locked && abortRequested_) {
        fault = {TTransportFaultKind::tfAborted, 'D', 0};
    }
    TBusyHold hold(busy_);
    SelectMode(0, 0);
    lastFault_ = locked ? TTransportFault{} : fault;
    return locked;
}

TPicReadResult TPPicProg::ReadPic(int kind, int programCount, int dataCount, TProgressSink* gauge) {
    const int mode = ProcessorMode(kind);
    TPicReadResult result;
    TFirstFault first(*this);
    SelectMode(mode, kind);
    Pause(20);
    result.config = ReadConfigArea(kind);
    bool complete = LastReadComplete();
    first.Keep();
    // Once a stop is requested or the card has gone no further part starts.
    if (first.GoOn()) {
        SelectMode(mode, kind);
        result.program = ReadProgramArea(kind, programCount, 0, gauge);
        complete = complete && LastReadComplete();
        first.Keep();
    }
    if (first.GoOn()) {
        SelectMode(mode, kind);
        result.data = ReadDataArea(kind, dataCount);
        complete = complete && LastReadComplete();
        first.Keep();
    }
    SelectMode(0, kind);
    first.Restore();
    // A read cut short (card pulled, line lost) is a failed read, not a
    // smaller card: nobody should save or trust a truncated image.
    result.ok = !result.program.empty() && complete && !abortRequested_;
    // A read stopped on request ends quietly, as a stopped write does.
    if (!result.ok && !abortRequested_) {
        ShowError("Failed to read Pic");
    }
    return result;
}

bool TPPicProg::WritePic(int kind, int dataSize, std::string_view program, std::string_view data,
                         TProgressSink* gauge) {
    const int mode = ProcessorMode(kind);
    auto fail = [&] {
        SelectMode(0, kind);
        // A write stopped because the program is closing ends quietly.
        if (!abortRequested_) {
            ShowError("Failed to write card !");
        }
        ShowProgress(gauge, 0);
        return false;
    };
    // A card erased by a write that will not happen would be lost for nothing.
    if (abortRequested_) {
        SetFault(TTransportFaultKind::tfAborted, 'H', 0);
        return fail();
    }
    SelectMode(mode, kind);
    // Flash bits only clear: a program written over an erase that did not
    // happen would be the old one ANDed with the new, and said written.
    if (!EraseChip(kind)) {
        return fail();
    }
    Pause(10);
    SelectMode(0, kind);
    Pause(10);
    SelectMode(mode, kind);
    Pause(10);

    if (!WriteProgramArea(program, kind, gauge)) {
        return fail();
    }
    SelectMode(mode, kind);
    Pause(10);
    if (!data.empty() && !WriteDataArea(data, kind, dataSize)) {
        return fail();
    }
    SelectMode(0, kind);
    return true;
}

bool TPPicProg::VerifyPic(std::string_view program, std::string_view data, int kind,
                          TProgressSink* gauge, TPicReadResult* back) {
    const int mode = ProcessorMode(kind);
    // Exactly the program given, as a read of the processor asks for it: a
    // unit is two words up to kind 8, one word from kind 9 on.
    const int words = static_cast<int>((program.size() + 3) / 4);
    const int count = kind > 8 ? 2 * words : words;
    TFirstFault first(*this);
    SelectMode(mode, kind);
    const std::string programBack = ReadProgramArea(kind, count, count, gauge);
    first.Keep();
    std::string dataBack;
    if (first.GoOn()) {
        SelectMode(mode, kind);
        dataBack = ReadDataArea(kind, static_cast<int>(data.size() / 2));
        first.Keep();
    }
    // Every character counts, and the data EEPROM is compared as well: a
    // wrong last byte or a wrong EEPROM must not pass as verified.
    const bool same = !abortRequested_ && programBack.size() >= program.size() &&
                      programBack.compare(0, program.size(), program) == 0 &&
                      dataBack.size() >= data.size() && dataBack.compare(0, data.size(), data) == 0;
    SelectMode(0, kind);
    first.Restore();
    if (!same) {
        ShowProgress(gauge, 0);
    }
    if (back != nullptr) {
        back->program = programBack;
        back->data = dataBack;
        back->ok = same;
    }
    return same;
}

} // namespace korvex
