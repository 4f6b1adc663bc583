#include "simrig.h"

#include "sim/simfaults.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

std::vector<std::string> Repeated(std::string frame, int count) {
    return std::vector<std::string>(static_cast<std::size_t>(count), frame);
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(Transfers, ReadPicSendsTheWorkedSequence) {
    TSimRig rig(TestCard(2, 1024, 64));
    const std::string program = PicWords(1024);
    rig.device.Card().Load(TSimMemory::Program, program);
    rig.device.Card().Load(TSimMemory::Data, Pattern(128, 3));

    const TPicReadResult read = rig.prog.ReadPic(2, 1024, 64, &rig.gauge);

    EXPECT_TRUE(read.ok);
    EXPECT_EQ(rig.Sent(), Join({{"A23", "G20008", "A23"},
                                Repeated("E20010", 32),
                                {"A23"},
                                Repeated("F20008", 8),
                                {"A20"}}));
    EXPECT_EQ(read.program, program);
    EXPECT_EQ(read.data, Pattern(128, 3));
    EXPECT_EQ(read.config.size(), 32u);
    ASSERT_EQ(rig.gauge.values.size(), 32u);
    EXPECT_EQ(rig.gauge.values.front(), 3); // 32 of 1024
    EXPECT_EQ(rig.gauge.values.back(), 100);
    EXPECT_TRUE(rig.prompts.errors.empty());
}

// A read block at 19200 baud takes longer than a window may go without
// drawing. While a command runs, the waits let the window run every 20 ms,
// and a poll the window's timer starts meanwhile sends nothing.
TEST(Transfers, UnderACommandTheWaitsLetTheWindowRunAndThePollKeepsStill) {
    const auto longestGap = [](bool commandRunning, int delayMs = 3) {
        TSimRig rig(TestCard(2, 1024, 64), true);
        rig.prog.SetCommandRunning(commandRunning);
        rig.prog.SetDelay(delayMs);
        std::int64_t last = rig.clock.NowMs();
        std::int64_t longest = 0;
        rig.pump.during = [&] {
            longest = std::max(longest, rig.clock.NowMs() - last);
            last = rig.clock.NowMs();
            rig.prog.Poll();
        };
        EXPECT_TRUE(rig.prog.ReadPic(2, 1024, 64, nullptr).ok);
        EXPECT_TRUE(OfCommand(rig.Sent(), 'P').empty());
        return longest;
    };
    EXPECT_LE(longestGap(true), 25);
    EXPECT_LE(longestGap(true, 1000), 25) << "the longest pause between blocks Set Delay takes";
    EXPECT_GT(longestGap(false), 50) << "a block's answer alone is longer";
}

TEST(Transfers, WritePicSendsTheWorkedSequenceAndTheCardHoldsIt) {
    TSimRig rig(TestCard(2, 1024, 64));
    const std::string program = PicWords(512);
    const std::string data = Pattern(128, 5);

    EXPECT_TRUE(rig.prog.WritePic(2, 64, program, data, &rig.gauge));

    const auto sent = rig.Sent();
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 4),
              (std::vector<std::string>{"A23", "H2", "A20", "A23"}));
    const auto packets = OfCommand(sent, 'B');
    ASSERT_EQ(packets.size(), 64u);
    EXPECT_EQ(packets[0], "B2" + program.substr(0, 32));
    EXPECT_EQ(sent[68], "A23");
    const auto dataPackets = OfCommand(sent, 'C');
    ASSERT_EQ(dataPackets.size(), 8u);
    EXPECT_EQ(dataPackets[7], "C0" + data.substr(112, 16));
    EXPECT_EQ(sent.back(), "A20");
    EXPECT_EQ(sent.size(), 4u + 64 + 1 + 8 + 1);

    EXPECT_EQ(rig.device.Card().Text(TSimMemory::Program).substr(0, program.size()), program);
    EXPECT_EQ(rig.device.Card().Text(TSimMemory::Data).substr(0, data.size()), data);
    EXPECT_EQ(rig.gauge.values.back(), 100);
    EXPECT_TRUE(rig.prog.VerifyPic(program, data, 2, &rig.gauge));
}

TEST(Transfers, BlockCutting) {
    TSimRig rig(TestCard(6, 1024, 128));
    rig.prog.SelectMode(3, 6);
    rig.device.ClearFrames();

    rig.prog.WriteProgramArea(PicWords(16), 6, nullptr); // 64 characters
    rig.prog.WriteProgramArea(PicWords(10), 6, nullptr); // 40 characters
    auto packets = OfCommand(rig.Sent(), 'B');
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[2].size(), 2u + 32);
    EXPECT_EQ(packets[3].size(), 2u + 8);

    rig.device.ClearFrames();
    rig.prog.WriteDataArea(Pattern(40), 6, 64);
    packets = OfCommand(rig.Sent(), 'C');
    // Padded to 65 characters; the 65th is never sent.
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[0].substr(0, 2), "C0");
    EXPECT_EQ(packets[3], "C0" + std::string(16, 'F'));
    rig.device.ClearFrames();
    rig.prog.WriteDataArea(Pattern(16), 7, 0);
    EXPECT_EQ(rig.Sent()[0].substr(0, 2), "C8");

    rig.device.ClearFrames();
    rig.prog.ReadConfigArea(3);
    rig.prog.ReadConfigArea(9);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"G30008", "G90003"}));

    rig.device.ClearFrames();
    rig.gauge.values.clear();
    rig.prog.ReadProgramArea(6, 1024, 40, &rig.gauge);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"E60010", "E60008"}));
    EXPECT_EQ(rig.gauge.values, (std::vector<int>{80, 100}));
}

TEST(Transfers, VerifyComparesEveryCharacterAndTheDataEeprom) {
    TSimRig rig(TestCard(3, 64, 64));
    const std::string program = PicWords(64);
    const std::string data = Pattern(32, 1);
    ASSERT_TRUE(rig.prog.WritePic(3, 64, program, data, nullptr));
    ASSERT_TRUE(rig.prog.VerifyPic(program, data, 3, &rig.gauge));

    std::string lastByteWrong = program;
    lastByteWrong.back() = lastByteWrong.back() == '0' ? '1' : '0';
    EXPECT_FALSE(rig.prog.VerifyPic(lastByteWrong, data, 3, &rig.gauge));
    EXPECT_EQ(rig.gauge.values.back(), 0);

    std::string dataWrong = data;
    dataWrong[0] = dataWrong[0] == '0' ? '1' : '0';
    EXPECT_FALSE(rig.prog.VerifyPic(program, dataWrong, 3, nullptr));

    // A program written without an erase keeps bits the flash cannot set.
    rig.prog.SelectMode(3, 3);
    rig.prog.WriteProgramArea(std::string(program.size(), '3'), 3, nullptr);
    EXPECT_FALSE(rig.prog.VerifyPic(std::string(program.size(), '3'), "", 3, nullptr));
}

TEST(Transfers, RefusedPacketsAndBlocksAreSentAgainAtMostTwentyTimes) {
    TFakeClock clock;
    TScriptedLine line(clock);
    line.responder = [](const std::string& frame) {
        return frame[1] == 'B' || frame[1] == 'C' || frame[1] == 'D' || frame[1] == 'I' ||
                       frame[1] == 'E'
                   ? std::string(1, 0x16)
                   : kAckEot;
    };
    TRecordedPrompts prompts;
    TRecordedGauge gauge;
    gauge.values.push_back(55);
    TPPicProg prog(LendLine(line), {&clock, nullptr, &prompts, nullptr});
    prog.SetComPort(1);
    prog.Connect();

    const auto count = [&](char command) {
        int n = 0;
        for (const auto& frame : line.written) {
            n += frame[1] == command ? 1 : 0;
        }
        return n;
    };
    EXPECT_FALSE(prog.WritePic(3, 64, PicWords(8), "", &gauge));
    EXPECT_EQ(count('B'), 21);
    EXPECT_EQ(prog.LastFault(), (TTransportFault{TTransportFaultKind::tfRefused, 'B', 1}));
    EXPECT_EQ(prompts.errors, std::vector<std::string>{"Failed to write card !"});
    EXPECT_EQ(gauge.values.back(), 0);
    EXPECT_FALSE(prog.WriteDataArea(Pattern(16), 3, 0));
    EXPECT_EQ(count('C'), 21);
    EXPECT_FALSE(prog.WriteConfigArea(Pattern(32), 3));
    EXPECT_EQ(count('D'), 21);
    const auto before = clock.NowMs();
    EXPECT_FALSE(prog.WriteExtEeprom(Pattern(64), 1, nullptr));
    EXPECT_EQ(count('I'), 21);
    EXPECT_GE(clock.NowMs() - before, 100 + 20 * 100);
    EXPECT_EQ(prog.ReadProgramArea(3, 64, 0, nullptr), "");
    EXPECT_EQ(count('E'), 21);
    EXPECT_EQ(prog.LastFault(), (TTransportFault{TTransportFaultKind::tfRefused, 'E', 1}));
    EXPECT_FALSE(prog.Busy());
}

TEST(Transfers, AnAbortedWriteIsAFailureAndEndsQuietly) {
    TSimRig rig(TestCard(3, 64, 64));
    rig.pump.during = [&] {
        if (OfCommand(rig.Sent(), 'C').size() == 1) {
            rig.prog.RequestAbort();
        }
    };
    EXPECT_FALSE(rig.prog.WritePic(3, 64, PicWords(64), Pattern(128), &rig.gauge));
    const auto sent = rig.Sent();
    // The request made while the first packet's successor was on its way is
    // seen before the third.
    EXPECT_EQ(OfCommand(sent, 'C').size(), 2u);
    EXPECT_EQ(sent.back(), "A00"); // released by the stop, and not again
    EXPECT_TRUE(rig.prompts.errors.empty());
    EXPECT_FALSE(rig.prog.Busy());
    // Later transfers stop before their first block.
    EXPECT_FALSE(rig.prog.WriteConfigArea(Pattern(32), 3));
}

// A pump that asks the driver to stop once `blocks` frames of `command` went out.
void AbortAfter(TSimRig& rig, char command, std::size_t blocks) {
    rig.pump.during = [&rig, command, blocks] {
        if (OfCommand(rig.Sent(), command).size() == blocks) {
            rig.prog.RequestAbort();
        }
    };
}

TEST(Transfers, EveryBlockTransferStopsAtItsNextBlockWhenAsked) {
    // A program write: no data EEPROM part follows, no dialog is shown.
    {
        TSimRig rig(TestCard(3, 1024, 64));
        AbortAfter(rig, 'B', 10);
        EXPECT_FALSE(rig.prog.WritePic(3, 64, PicWords(1024), Pattern(128), &rig.gauge));
        const auto sent = rig.Sent();
        EXPECT_EQ(OfCommand(sent, 'B').size(), 11u);
        EXPECT_TRUE(OfCommand(sent, 'C').empty());
        EXPECT_NE(std::find(sent.begin(), sent.end(), "A00"), sent.end());
        EXPECT_TRUE(rig.prompts.errors.empty());
        EXPECT_EQ(rig.gauge.values.back(), 0);
        EXPECT_FALSE(rig.prog.Busy());
    }
    // A processor read: the program part stops, the data part never starts,
    // and nothing says the read failed.
    {
        TSimRig rig(TestCard(3, 1024, 64));
        const std::string program = PicWords(1024);
        rig.device.Card().Load(TSimMemory::Program, program);
        AbortAfter(rig, 'E', 5);
        const TPicReadResult read = rig.prog.ReadPic(3, 1024, 64, &rig.gauge);
        EXPECT_FALSE(read.ok);
        const auto sent = rig.Sent();
        EXPECT_EQ(OfCommand(sent, 'E').size(), 6u);
        EXPECT_TRUE(OfCommand(sent, 'F').empty());
        EXPECT_FALSE(read.program.empty());
        EXPECT_LT(read.program.size(), program.size());
        EXPECT_EQ(read.program, program.substr(0, read.program.size()));
        EXPECT_FALSE(rig.prog.LastReadComplete());
        EXPECT_EQ(sent.back(), "A00");
        EXPECT_TRUE(rig.prompts.errors.empty());
        EXPECT_FALSE(rig.prog.Busy());
    }
    // A verify, and the external EEPROM read and write.
    {
        TSimRig rig(TestCard(3, 1024, 64));
        AbortAfter(rig, 'E', 2);
        EXPECT_FALSE(rig.prog.VerifyPic(PicWords(1024), Pattern(128), 3, &rig.gauge));
        EXPECT_EQ(OfCommand(rig.Sent(), 'E').size(), 3u);
        EXPECT_TRUE(OfCommand(rig.Sent(), 'F').empty());
    }
    {
        TSimRig rig(TestCard(3, 1024, 64, 2048));
        ASSERT_TRUE(rig.prog.WritePic(3, 64, PicWords(16), "", nullptr)); // the loader
        rig.prog.SelectMode(0, 3);
        rig.prog.SelectMode(2, 1);
        AbortAfter(rig, 'J', 4);
        EXPECT_FALSE(rig.prog.ReadExtEeprom(1, 2048, 0, nullptr).empty());
        EXPECT_FALSE(rig.prog.LastReadComplete());
        EXPECT_EQ(OfCommand(rig.Sent(), 'J').size(), 5u);
        EXPECT_EQ(rig.Sent().back(), "A00");

        // Once asked, every later transfer stops before its first block; the
        // programmer, released by the stop, is not released again.
        rig.device.ClearFrames();
        EXPECT_FALSE(rig.prog.WriteExtEeprom(Pattern(4096), 1, nullptr));
        EXPECT_EQ(rig.prog.ReadConfigArea(3), "");
        EXPECT_EQ(rig.prog.ReadDataArea(3, 64), "");
        EXPECT_FALSE(rig.prog.LockCard(3, ""));
        EXPECT_TRUE(rig.Sent().empty());
        EXPECT_FALSE(rig.prog.Busy());
    }
}

// A part that failed fails the read: the parts after it are not asked for.
TEST(Transfers, FailingBlocksEndReadsWithWhatWasGathered) {
    TSimRig rig(TestCard(3, 1024, 64, 2048));
    rig.device.AddFault(sim::ParseSimFault("silent@E3"));
    const TPicReadResult read = rig.prog.ReadPic(3, 1024, 64, &rig.gauge);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.program.size(), 2u * 128);
    EXPECT_EQ(OfCommand(rig.Sent(), 'F').size(), 0u);
    EXPECT_EQ(rig.prompts.errors, std::vector<std::string>{"Failed to read Pic"});
    EXPECT_EQ(rig.gauge.values, (std::vector<int>{3, 6, 6}));

    // A reply cut short ends an EEPROM read as well.
    rig.device.AddFault(sim::ParseSimFault("short@J2"));
    rig.prog.WritePic(3, 64, PicWords(16), "", nullptr); // the loader
    rig.prog.SelectMode(0, 3);
    rig.prog.SelectMode(2, 1);
    const std::string eeprom = rig.prog.ReadExtEeprom(1, 4096, 0, nullptr);
    EXPECT_EQ(eeprom.size(), 32u);
    EXPECT_FALSE(rig.prog.LastReadComplete());
}

TEST(Transfers, ExternalEepromThroughTheLoader) {
    TSimRig rig(TestCard(3, 1024, 64, 2048));
    const std::string eeprom = Pattern(4096, 9);
    ASSERT_TRUE(rig.prog.WritePic(3, 64, PicWords(16), "", nullptr));
    rig.prog.SelectMode(0, 3);
    rig.prog.SelectMode(1, 1);
    rig.gauge.values.clear();
    EXPECT_TRUE(rig.prog.WriteExtEeprom(eeprom, 1, &rig.gauge));
    EXPECT_EQ(OfCommand(rig.Sent(), 'I').size(), 128u);
    EXPECT_EQ(rig.gauge.values.back(), 100);
    rig.prog.SelectMode(0, 3);
    rig.prog.SelectMode(2, 1);
    EXPECT_EQ(rig.prog.ReadExtEeprom(1, 2048, 4096, nullptr), eeprom);
    EXPECT_EQ(rig.device.Card().Text(TSimMemory::Eeprom), eeprom);
}

// One transfer of every write and read command on a card made ready for it;
// true when it reports success and the card, or the text read, is right.
const std::pair<char, std::function<bool(TSimRig&)>> kTransfers[] = {
    {'B', [](TSimRig& r) { return r.prog.WriteProgramArea(PicWords(64), 3, nullptr); }},
    {'C', [](TSimRig& r) { return r.prog.WriteDataArea(Pattern(128), 3, 0); }},
    {'D', [](TSimRig& r) { return r.prog.WriteConfigArea(PicWords(24), 3); }},
    {'I',
     [](TSimRig& r) {
         return r.prog.WriteExtEeprom(Pattern(256), 1, nullptr) &&
                r.device.Card().Text(TSimMemory::Eeprom).starts_with(Pattern(256));
     }},
    {'E', [](TSimRig& r) { return r.prog.ReadProgramArea(3, 1024, 0, nullptr) == PicWords(1024); }},
    {'F', [](TSimRig& r) { return r.prog.ReadDataArea(3, 64) == Pattern(128, 3); }},
    {'G',
     [](TSimRig& r) {
         return r.prog.ReadConfigArea(3) == r.device.Card().Text(TSimMemory::Config);
     }},
    {'J',
     [](TSimRig& r) { return r.prog.ReadExtEeprom(1, 2048, 4096, nullptr) == Pattern(4096, 4); }},
};

// Fault: an 'I' packet whose answer could not be judged was sent again. The
// programmer had stored it already, so the copy and every byte after it
// landed one packet further, and with verify off the write said "written".
// And a read block refused with 0x16, which says it was not read, failed the read.
// Stray bytes before a whole answer spoil nothing: the answer is judged.
TEST(Transfers, AFrameWhoseFateIsUnknownIsNeverSentAgainARefusedOneIs) {
    using enum TTransportFaultKind;
    const std::string faults[] = {"nack", "silent", "badsum", "noise", "short"};
    for (const auto& [command, transfer] : kTransfers) {
        for (const std::string& fault : faults) {
            // A write's ACK without its EOT, before the last packet, is a
            // packet taken: the next answer would say if the card had gone.
            const bool write = command == 'B' || command == 'C' || command == 'D' || command == 'I';
            const auto kind = fault == "nack" || fault == "noise" || (fault == "short" && write)
                                  ? tfNone
                              : fault == "silent" ? tfNoAnswer
                                                  : tfSpoiled;
            const int at = command == 'G' ? 1 : 2; // the configuration area is one block
            const std::string where = fault + "@" + command + std::to_string(at);
            SCOPED_TRACE(where);
            TSimRig rig(TestCard(3, 1024, 64, 2048));
            if (command == 'E' || command == 'I' || command == 'J') { // the loader, for I and J
                rig.device.Card().Load(TSimMemory::Program, PicWords(1024));
            }
            rig.device.Card().Load(TSimMemory::Data, Pattern(128, 3));
            rig.device.Card().Load(TSimMemory::Eeprom, Pattern(4096, 4));
            const bool eeprom = command == 'I' || command == 'J';
            rig.prog.SelectMode(eeprom ? command - 'I' + 1 : 3, eeprom ? 1 : 3);
            rig.device.AddFault(sim::ParseSimFault(where));

            EXPECT_EQ(transfer(rig), kind == tfNone);
            const TTransportFault expected{kind, kind == tfNone ? '\0' : command,
                                           kind == tfNone ? 0 : at};
            EXPECT_EQ(rig.prog.LastFault(), expected);
            if (kind != tfNone) {
                EXPECT_EQ(OfCommand(rig.Sent(), command).size(), static_cast<std::size_t>(at));
            }
        }
    }
}

// An ACK without its EOT on the last packet has no next answer to tell
// whether the card went: its fate stays unknown.
TEST(Transfers, AnAcknowledgementCutShortOnTheLastPacketIsNoWrite) {
    TSimRig rig(TestCard(3, 1024, 64, 2048));
    rig.prog.SelectMode(3, 3);
    rig.device.AddFault(sim::ParseSimFault("short@D3"));
    EXPECT_FALSE(rig.prog.WriteConfigArea(PicWords(24), 3));
    EXPECT_EQ(rig.prog.LastFault(), (TTransportFault{TTransportFaultKind::tfSpoiled, 'D', 3}));
}

// Fault: a card pulled out mid-write left the driver saying a card was ready,
// so a production run waiting for the slot to empty saw the next card put
// in as the same one and waited for ever.
TEST(Transfers, ANoCardAnswerDuringATransferIsTheCardGone) {
    const std::tuple<const char*, TFaultFrame, int> cases[] = {
        {"pull@B10", TFaultFrame::ffPacket, 10},
        {"pull@H1", TFaultFrame::ffErase, 0},
        {"pull@E3", TFaultFrame::ffBlock, 3}};
    for (const auto& [fault, frame, number] : cases) {
        SCOPED_TRACE(fault);
        TSimRig rig(TestCard(3, 1024, 64));
        std::vector<TPCardState> events;
        rig.prog.OnStateChange = [&](TPCardState state, TPPicProg&) { events.push_back(state); };
        rig.device.AddFault(sim::ParseSimFault(fault));
        const bool read = fault[5] == 'E';
        EXPECT_FALSE(read ? rig.prog.ReadPic(3, 1024, 64, &rig.gauge).ok
                          : rig.prog.WritePic(3, 64, PicWords(1024), Pattern(128), &rig.gauge));
        EXPECT_EQ(rig.prog.LastFault().kind, TTransportFaultKind::tfNoCard);
        EXPECT_EQ(rig.prog.LastFault().Frame(), frame);
        EXPECT_EQ(rig.prog.LastFault().number, number);
        EXPECT_EQ(events, std::vector<TPCardState>{TPCardState::csCardNotReady});
        // Nothing more is asked of a card that has gone.
        EXPECT_EQ(OfCommand(rig.Sent(), read ? 'F' : 'C').size(), 0u);
        EXPECT_FALSE(rig.prog.Busy());
    }
}

TEST(Transfers, IdentificationAndLock) {
    TSimRig rig(sim::SimCardModelForParts(KORVEX_SOURCE_DATA_DIR, "AT90S8515", "None"));
    EXPECT_TRUE(rig.prog.CheckDeviceId("1E9301", "000102", 8));
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"A84", "G80003", "A80"}));
    EXPECT_FALSE(rig.prog.CheckDeviceId("1E9306", "1E9306", 8));

    rig.device.ClearFrames();
    EXPECT_TRUE(rig.prog.LockCard(8, "000102"));
    EXPECT_EQ(OfCommand(rig.Sent(), 'D'), std::vector<std::string>{"D8"});
    EXPECT_EQ(rig.Sent().back(), "A00");

    rig.device.ClearFrames();
    EXPECT_FALSE(rig.prog.LockCard(8, "123456"));
    EXPECT_EQ(OfCommand(rig.Sent(), 'D').size(), 10u);
}

TEST(Transfers, IdentificationRereadsBlankAnswers) {
    TFakeClock clock;
    TScriptedLine line(clock);
    line.responder = [](const std::string& frame) {
        return frame[1] == 'G' ? std::string("\x02"
                                             "FFFFF"
                                             "60\r")
                               : kAckEot;
    };
    TPPicProg prog(LendLine(line), {&clock, nullptr, nullptr, nullptr});
    prog.SetComPort(1);
    prog.Connect();
    EXPECT_FALSE(prog.CheckDeviceId("1E9301", "1E9301", 8));
    int reads = 0;
    for (const auto& frame : line.written) {
        reads += frame[1] == 'G' ? 1 : 0;
    }
    EXPECT_EQ(reads, 5);
}

TEST(Transfers, GuardedOperationsNeedAConnection) {
    TSimRig rig(TestCard(3, 64, 64));
    rig.prog.Disconnect();
    rig.device.ClearFrames();
    EXPECT_EQ(rig.prog.ReadProgramArea(3, 64, 0, nullptr), "");
    EXPECT_FALSE(rig.prog.WriteProgramArea(PicWords(8), 3, nullptr));
    EXPECT_FALSE(rig.prog.LockCard(8, "000102"));
    EXPECT_TRUE(rig.device.Frames().empty());
}

} // namespace
} // namespace korvex
