// Operations made of several exchanges: erase, identification, lock, and the
// read, write and verify of a whole processor.
#include "link/picprog.h"

namespace korvex {

bool TPPicProg::EraseChip(int kind) {
    const TFrame frame = MakeFrame('H', DeviceDigit(kind), "");
    for (int send = 0; send < 6; ++send) {
        SendFrame(frame);
        if (WaitAck(150) == TReplyResult::rrSuccess) {
            return true;
        }
    }
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

bool TPPicProg::LockCard(int kind, std::string_view identification) {
    if (!Guarded()) {
        return false;
    }
    bool locked = false;
    for (int round = 0; round < 10 && !locked && !abortRequested_; ++round) {
        bool acknowledged = false;
        {
            TBusyHold hold(busy_);
            SelectMode(4, kind);
            SendFrame(MakeFrame('D', '8', ""));
            acknowledged = WaitAck(600) == TReplyResult::rrSuccess;
            Pause(10);
        }
        // Where a part reads the same identification locked and unlocked,
        // the check alone proves nothing: the programmer must have taken the
        // lock as well. The check's read is guarded itself; nothing runs
        // between the two holds that could start another transfer.
        locked = acknowledged && CheckDeviceId(identification, identification, kind);
    }
    TBusyHold hold(busy_);
    SelectMode(0, 0);
    return locked;
}

TPicReadResult TPPicProg::ReadPic(int kind, int programCount, int dataCount, TProgressSink* gauge) {
    const int mode = ProcessorMode(kind);
    TPicReadResult result;
    SelectMode(mode, kind);
    Pause(20);
    result.config = ReadConfigArea(kind);
    bool complete = LastReadComplete();
    // Once a stop is requested no further part starts.
    if (!abortRequested_) {
        SelectMode(mode, kind);
        result.program = ReadProgramArea(kind, programCount, 0, gauge);
        complete = complete && LastReadComplete();
    }
    if (!abortRequested_) {
        SelectMode(mode, kind);
        result.data = ReadDataArea(kind, dataCount);
        complete = complete && LastReadComplete();
    }
    SelectMode(0, kind);
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
        return fail();
    }
    SelectMode(mode, kind);
    // Flash bits only clear: words written over a card that was not erased
    // are the old ones ANDed with the new, so nothing is written unerased.
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
    SelectMode(mode, kind);
    const std::string programBack = ReadProgramArea(kind, count, count, gauge);
    std::string dataBack;
    if (!abortRequested_) {
        SelectMode(mode, kind);
        dataBack = ReadDataArea(kind, static_cast<int>(data.size() / 2));
    }
    // Every character counts, and the data EEPROM is compared as well: a
    // wrong last byte or a wrong EEPROM must not pass as verified.
    const bool same = !abortRequested_ && programBack.size() >= program.size() &&
                      programBack.compare(0, program.size(), program) == 0 &&
                      dataBack.size() >= data.size() && dataBack.compare(0, data.size(), data) == 0;
    SelectMode(0, kind);
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
