#include "sim/simdevice.h"

#include "sim/simtesting.h"

#include <gtest/gtest.h>

namespace korvex::sim {
namespace {

using simtest::Frame;
using simtest::kAckEot;
using simtest::kDleByte;
using simtest::kNakByte;
using simtest::Reply;

const std::filesystem::path kData = KORVEX_SOURCE_DATA_DIR;

class SimDeviceTest : public ::testing::Test {
protected:
    explicit SimDeviceTest(TSimCardModel model = simtest::SmallPicModel())
        : device_(TSimCard(model)) {}

    std::string Send(char command, char device, const std::string& data = "") {
        return device_.Receive(Frame(command, device, data));
    }
    std::string Mode(char mode) { return Send('A', '3', std::string(1, mode)); }

    TSimDevice device_;
};

class SimAvrTest : public SimDeviceTest {
protected:
    SimAvrTest() : SimDeviceTest(SimCardModelForParts(kData, "AT90S8515", "24C64")) {}
};

TEST_F(SimDeviceTest, ShortAnswersVersionAndAnEmptySlot) {
    EXPECT_EQ(std::string("\x01P081\r"), Frame('P', '0', "")) << "the poll frame on the wire";
    EXPECT_EQ(Send('P', '0'), kAckEot);
    EXPECT_EQ(Send('V', '\0'), "\x06V105\r");
    device_.SetFirmwareVersion(7);
    EXPECT_EQ(Send('V', '\0'), "\x06V007\r");
    EXPECT_THROW(device_.SetFirmwareVersion(1000), ESimSetup);
    EXPECT_EQ(Mode('3'), kAckEot);
    EXPECT_EQ(device_.Mode(), 3);
    EXPECT_EQ(Mode('5'), kNakByte);
    EXPECT_EQ(Send('A', '3', "34"), kNakByte);

    device_.SetPresent(false);
    for (char command : {'P', 'A', 'E', 'H', 'J'}) {
        EXPECT_EQ(Send(command, '3', command == 'A' ? "3" : ""), kDleByte) << command;
    }
    EXPECT_EQ(Send('V', '\0'), "\x06V007\r") << "the programmer itself still answers";
    device_.SetPresent(true);
    EXPECT_EQ(Send('P', '0'), kAckEot);
}

TEST_F(SimDeviceTest, FramesMayComeInPiecesAmidNoise) {
    EXPECT_EQ(device_.Receive("\x55\xAA\x01P0"), "");
    EXPECT_EQ(device_.Receive("81\r"), kAckEot);
    // An unfinished frame is abandoned by the next start byte.
    EXPECT_EQ(device_.Receive("\x01P0" + Frame('P', '0', "") + Frame('A', '3', "3")),
              kAckEot + kAckEot);
    ASSERT_EQ(device_.Frames().size(), 3u);
    const TSimFrame& select = device_.Frames()[2];
    EXPECT_EQ(select.command, 'A');
    EXPECT_EQ(select.device, '3');
    EXPECT_EQ(select.data, "3");
    EXPECT_TRUE(select.checksumOk);
    EXPECT_EQ(select.wireBytes, 7u);
    EXPECT_EQ(select.answer, kAckEot);
    device_.ClearFrames();
    EXPECT_TRUE(device_.Frames().empty());
}

TEST_F(SimDeviceTest, BadChecksumsUnknownLettersAndMissingDevicesAreRefused) {
    std::string frame = Frame('P', '0', "");
    frame[3] = '9';
    EXPECT_EQ(device_.Receive(frame), kNakByte);
    EXPECT_FALSE(device_.Frames().back().checksumOk);
    EXPECT_EQ(device_.Receive("\x01P0"
                              "81\r"),
              kAckEot);
    EXPECT_EQ(device_.Receive("\x01V57\r"), "\x06V105\r");
    EXPECT_EQ(device_.Receive("\x01P"
                              "51\r"),
              kNakByte)
        << "no device digit";
    EXPECT_EQ(Send('Z', '0'), kNakByte);
    EXPECT_EQ(device_.Receive("\x01\r"), kNakByte);
}

TEST_F(SimDeviceTest, ProcessorCommandsNeedProcessorMode) {
    for (char mode : {'0', '1', '2'}) {
        Mode(mode);
        for (char command : {'B', 'C', 'D'}) {
            EXPECT_EQ(Send(command, '3', "00"), kNakByte) << command << mode;
        }
        for (char command : {'E', 'F', 'G'}) {
            EXPECT_EQ(Send(command, '3', "0001"), kNakByte) << command << mode;
        }
        EXPECT_EQ(Send('H', '3'), kNakByte);
        EXPECT_EQ(Send('D', '8'), kNakByte) << "lock";
    }
    EXPECT_EQ(device_.Card().Text(TSimMemory::Data), "FFFF") << "nothing was written";
    Mode('4');
    EXPECT_EQ(Send('C', '0', "00"), kAckEot);
}

TEST_F(SimDeviceTest, WritesAndReadsFollowTheRunningAddresses) {
    Mode('3');
    EXPECT_EQ(Send('B', '3', "12AB3C"), kAckEot);
    EXPECT_EQ(Send('B', '3', "5a"), kAckEot);
    EXPECT_EQ(Send('C', '0', "AB"), kAckEot);
    EXPECT_EQ(Send('D', '3', "0000"), kAckEot);
    EXPECT_EQ(Send('C', '0', "XY"), kNakByte) << "not hex";
    EXPECT_EQ(Send('E', '3', "01"), kNakByte) << "count of two digits";
    EXPECT_EQ(device_.Card().Text(TSimMemory::Program), "12AB3C5A3FFF3FFF");

    Mode('3'); // every running address back to 0
    EXPECT_EQ(Send('E', '3', "0001"), Reply("12AB3C5A"));
    EXPECT_EQ(Send('E', '3', "0002"), Reply("3FFF3FFF3FFF3FFF")) << "past the end: blank words";
    EXPECT_EQ(Send('F', '3', "0003"), Reply("ABFFFF"));
    EXPECT_EQ(Send('G', '3', "0008"), Reply("00003FFF3FFF3FFF3FFF3FFF05603FFF"));
    EXPECT_EQ(Send('G', '3', "0001"), Reply("3FFF"));
    EXPECT_EQ(Send('E', '3', "0000"), Reply(""));
}

TEST_F(SimAvrTest, AvrUnitsLockAndErase) {
    Mode('4');
    EXPECT_EQ(Send('B', '8', "0102030405"), kAckEot);
    EXPECT_EQ(Send('G', '8', "0003"), Reply("1E9301"));
    Mode('4');
    EXPECT_EQ(Send('E', '8', "0001"), Reply("01020304"))
        << "kind 8: a unit is two words, as for a PIC";
    EXPECT_EQ(Send('G', '8', "0004"), Reply("1E9301FF")) << "a unit is one byte";
    EXPECT_EQ(Send('D', '8'), kAckEot);
    Mode('4');
    EXPECT_EQ(Send('G', '8', "0003"), Reply("000102")) << "locked";
    EXPECT_EQ(Send('H', '8'), kAckEot);
    Mode('4');
    EXPECT_EQ(Send('G', '8', "0003"), Reply("1E9301"));
    EXPECT_EQ(Send('E', '8', "0001"), Reply("FFFFFFFF"));
}

// Kinds 9 and above: the host asks for twice the count, of one word each.
class SimAvr9Test : public SimDeviceTest {
protected:
    SimAvr9Test() : SimDeviceTest(SimCardModelForParts(kData, "ATmega161", "24C256")) {}
};

TEST_F(SimAvr9Test, AProgramUnitIsOneWord) {
    Mode('4');
    EXPECT_EQ(Send('B', '9', "0102030405060708"), kAckEot);
    Mode('4');
    EXPECT_EQ(Send('E', '9', "0001"), Reply("0102"));
    EXPECT_EQ(Send('E', '9', "0002"), Reply("03040506"));
}

TEST_F(SimDeviceTest, ExternalEepromAnswersOnlyBehindAReleasedLoader) {
    Mode('1');
    EXPECT_EQ(Send('I', '1', "AB"), "") << "no loader yet";
    Mode('3');
    EXPECT_EQ(Send('B', '3', "0000"), kAckEot);
    Mode('1');
    EXPECT_EQ(Send('I', '1', "AB"), "") << "processor not released since its write";
    Mode('0');
    Mode('2');
    EXPECT_EQ(Send('I', '1', "AB"), "") << "write needs mode 1";
    Mode('1');
    EXPECT_EQ(Send('J', '1', "0001"), "") << "read needs mode 2";
    EXPECT_EQ(Send('I', '1', "ABCD"), kAckEot);
    EXPECT_EQ(Send('I', '1', "0123"), kAckEot) << "the last byte is past the end";
    Mode('2');
    EXPECT_EQ(Send('J', '1', "0004"), Reply("ABCD01FF"));
    EXPECT_EQ(device_.Card().Text(TSimMemory::Eeprom), "ABCD01");

    Mode('3');
    EXPECT_EQ(Send('H', '3'), kAckEot);
    Mode('0');
    Mode('2');
    EXPECT_EQ(Send('J', '1', "0001"), "") << "the erase took the loader away";
}

TEST(SimDevice, ACardWithoutExternalEepromNeverAnswersForIt) {
    TSimDevice device{TSimCard(SimCardModelForParts(kData, "PIC 16F84"))};
    device.Receive(Frame('A', '3', "3") + Frame('B', '3', "0000") + Frame('A', '3', "0") +
                   Frame('A', '1', "1"));
    EXPECT_EQ(device.Receive(Frame('I', '1', "AB")), "");
    EXPECT_EQ(device.Frames().size(), 5u);
}

TEST_F(SimDeviceTest, HearsNothingAtAnotherLineSpeed) {
    device_.SetHostBaud(115200);
    EXPECT_EQ(Send('P', '0'), "");
    EXPECT_EQ(device_.Receive("\x01P0"), "");
    EXPECT_TRUE(device_.Frames().empty());
    device_.SetHostBaud(19200);
    EXPECT_EQ(device_.Receive("81\r"), "") << "the start of that frame was garbage";
    EXPECT_EQ(Send('P', '0'), kAckEot);
    device_.SetListeningBaud(115200);
    EXPECT_EQ(Send('P', '0'), "");
}

} // namespace
} // namespace korvex::sim
