#include "common/ptypair.h"
#include "common/tempdir.h"
#include "link/posixserial.h"
#include "link/serialdevices.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace korvex {

using testing::PtyPair;
using testing::TempDir;
using testing::WriteText;

namespace {

TLineSettings Line(int baud, int dataBits = 8, int parity = 0, int stopBits = 0) {
    return TLineSettings{baud, dataBits, parity, stopBits};
}

// Takes bytes the way the driver does: wait, then read what is waiting.
std::string ReadFromBackend(TPosixSerialBackend& backend, std::size_t count) {
    std::string got;
    char buffer[512];
    while (got.size() < count && backend.WaitForInput(2000)) {
        got.append(buffer, backend.Read(buffer, std::min(sizeof buffer, count - got.size())));
    }
    return got;
}

// The slave's settings, seen through the master.
termios LineOf(const PtyPair& pty) {
    termios line{};
    EXPECT_EQ(::tcgetattr(pty.MasterFd(), &line), 0);
    return line;
}

} // namespace

TEST(RawLineFor, SetsTheFrameFormatAndDropsEveryTranslation) {
    termios cooked{};
    cooked.c_iflag = IXON | IXOFF | ICRNL | INLCR | ISTRIP | INPCK;
    cooked.c_oflag = OPOST | ONLCR;
    cooked.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    cooked.c_cflag = CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    cooked.c_cc[VMIN] = 1;
    cooked.c_cc[VTIME] = 5;
    struct Case {
        TLineSettings settings;
        speed_t speed;
        tcflag_t frame; // size, parity and stop bits
    };
    for (const Case& c : {
             Case{Line(115200), B115200, CS8},
             Case{Line(300, 7, 1, 2), B300, CS7 | PARENB | PARODD | CSTOPB},
             Case{Line(2400, 5, 2, 1), B2400, CS5 | PARENB | CSTOPB}, // 1.5 stop bits: 2
             Case{Line(19200, 6, 3, 0), B19200, CS6 | PARENB | CMSPAR | PARODD},
             Case{Line(1200, 8, 4, 0), B1200, CS8 | PARENB | CMSPAR},
             Case{Line(12345, 9, 7, 5), B9600, CS8}, // out of range: 9600 8N1
         }) {
        SCOPED_TRACE(c.settings.baud);
        const termios line = RawLineFor(cooked, c.settings);
        EXPECT_EQ(::cfgetospeed(&line), c.speed);
        EXPECT_EQ(::cfgetispeed(&line), c.speed);
        EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.frame);
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
        EXPECT_EQ(line.c_iflag, 0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(line.c_cc[VMIN] + line.c_cc[VTIME], 0);
    }
}

TEST(TPosixSerialBackend, CarriesEveryByteValueUnalteredBothWays) {
    PtyPair pty;
    TPosixSerialBackend backend(pty.SlavePath());
    ASSERT_TRUE(backend.Open(Line(300, 8, 0, 2)).ok);
    const termios line = LineOf(pty); // a pty keeps speed and stop bits, not parity
    EXPECT_EQ(::cfgetospeed(&line), B300);
    EXPECT_NE(line.c_cflag & CSTOPB, 0u);

    std::string all("\x00\x0D\x11\x13\x03\x0A", 6); // what a cooked line would act on
    for (int value = 0; value < 256; ++value) {
        all += static_cast<char>(value);
    }
    ASSERT_TRUE(pty.Write(all));
    EXPECT_EQ(ReadFromBackend(backend, all.size()), all);
    EXPECT_EQ(backend.Write(all), all.size());
    EXPECT_EQ(pty.Read(all.size()), all);
}

TEST(TPosixSerialBackend, IsExclusiveAndHandsTheLineBackAsFound) {
    PtyPair pty;
    termios before = LineOf(pty);
    ::cfsetspeed(&before, B4800);
    before.c_lflag |= ICANON | ECHO;
    before.c_iflag |= IXON | ICRNL;
    ASSERT_EQ(::tcsetattr(pty.MasterFd(), TCSANOW, &before), 0);
    before = LineOf(pty);

    TPosixSerialBackend first(pty.SlavePath());
    ASSERT_TRUE(first.Open(Line(115200)).ok);
    EXPECT_TRUE(first.Open(Line(300)).ok); // already open: nothing changes
    TPosixSerialBackend second(pty.SlavePath());
    const TOpenResult refused = second.Open(Line(1200));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.reason, pty.SlavePath() + " is in use by another program");
    termios during = LineOf(pty);
    EXPECT_EQ(::cfgetospeed(&during), B115200);

    first.Close();
    const termios after = LineOf(pty);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(::cfgetospeed(&after), B4800);
    EXPECT_TRUE(second.Open(Line(1200)).ok); // released
}

TEST(TPosixSerialBackend, OpenErrorsSayWhatIsWrong) {
    TempDir dir;
    TPosixSerialBackend absent((dir / "ttyUSB9").string());
    const TOpenResult missing = absent.Open(Line(115200));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.reason.rfind("No such serial device " + (dir / "ttyUSB9").string(), 0), 0u);

    WriteText(dir / "plain", "text");
    for (const std::string& path : {std::string("/dev/null"), (dir / "plain").string()}) {
        TPosixSerialBackend notLine(path);
        EXPECT_EQ(notLine.Open(Line(115200)).reason, path + " is not a serial device");
        EXPECT_FALSE(notLine.IsOpen());
        char byte;
        EXPECT_EQ(notLine.Write("x") + notLine.Read(&byte, 1), 0u);
        EXPECT_FALSE(notLine.WaitForInput(1000)); // closed: no wait
    }
}

TEST(TPosixSerialBackend, CountsPurgesAndWaitsForInput) {
    PtyPair pty;
    TPosixSerialBackend backend(pty.SlavePath());
    ASSERT_TRUE(backend.Open(Line(115200)).ok);
    EXPECT_FALSE(backend.WaitForInput(30));
    char buffer[8];
    EXPECT_EQ(backend.Read(buffer, sizeof buffer), 0u);

    std::thread far([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Write("hello");
    });
    const auto start = std::chrono::steady_clock::now();
    const bool came = backend.WaitForInput(20000);
    far.join();
    EXPECT_TRUE(came);
    // Fails only when the wait sat out its whole bound despite the bytes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(backend.BytesWaiting(), 5);
    EXPECT_EQ(backend.Read(buffer, 2), 2u);
    EXPECT_EQ(backend.BytesWaiting(), 3);
    backend.PurgeInput();
    EXPECT_EQ(backend.BytesWaiting(), 0);
    ASSERT_TRUE(pty.Write("Z"));
    EXPECT_EQ(ReadFromBackend(backend, 1), "Z");
}

// Fault: an answer that came after its run had ended was taken by the next
// run as the answer to its first frame.
TEST(TPosixSerialBackend, BytesLeftOnTheLineBeforeItWasOpenedAreDropped) {
    PtyPair pty;
    TPosixSerialBackend first(pty.SlavePath());
    ASSERT_TRUE(first.Open(Line(115200)).ok);
    ASSERT_TRUE(pty.Write("stale"));
    ASSERT_TRUE(first.WaitForInput(2000));
    first.Close();
    TPosixSerialBackend next(pty.SlavePath());
    ASSERT_TRUE(next.Open(Line(115200)).ok);
    EXPECT_EQ(next.BytesWaiting(), 0);
    ASSERT_TRUE(pty.Write("Z"));
    EXPECT_EQ(ReadFromBackend(next, 1), "Z");
}

TEST(TPosixSerialBackend, WritesThroughAFullQueueButNotIntoOneNobodyReads) {
    const std::string big(300000, '\x5A');
    for (bool reading : {true, false}) {
        PtyPair pty;
        TPosixSerialBackend backend(pty.SlavePath());
        ASSERT_TRUE(backend.Open(Line(115200)).ok);
        std::size_t received = 0;
        std::thread far([&] { received = reading ? pty.Read(big.size()).size() : 0; });
        const std::size_t written = backend.Write(big);
        far.join();
        EXPECT_EQ(written == big.size(), reading);
        EXPECT_EQ(received, reading ? big.size() : 0u);
    }
}

TEST(TPosixSerialBackend, HungUpLineNeitherCrashesNorSpins) {
    PtyPair pty;
    TPosixSerialBackend backend(pty.SlavePath());
    ASSERT_TRUE(backend.Open(Line(115200)).ok);
    pty.CloseMaster();
    char buffer[8];
    EXPECT_EQ(backend.BytesWaiting(), 0);
    EXPECT_EQ(backend.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(backend.Write("lost"), 0u);

    // A driver waiting for an answer loops on short waits up to its deadline;
    // a wait that returned at once would turn that loop into a spin.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    int waits = 0;
    while (std::chrono::steady_clock::now() < deadline && waits < 1000) {
        EXPECT_FALSE(backend.WaitForInput(50));
        ++waits;
    }
    EXPECT_LE(waits, 7);
}

TEST(SerialDevices, ListsStableNamesThenAdaptersThenUartsInNaturalOrderAndWordsOpenErrors) {
    TempDir root;
    for (const char* name : {"ttyS10", "ttyS2", "ttyS3", "ttyUSB0", "ttyACM0", "tty1", "ttyUSB"}) {
        WriteText(root / ("dev/" + std::string(name)), "");
    }
    WriteText(root / "dev/serial/by-id/usb-FTDI-if00", "");
    WriteText(root / "sys/class/tty/ttyS3/type", "0\n"); // no UART behind it
    WriteText(root / "sys/class/tty/ttyS10/type", "4\n");
    const std::vector<std::string> present = ListSerialDevices(root.Path());
    EXPECT_EQ(present, (std::vector<std::string>{"/dev/serial/by-id/usb-FTDI-if00", "/dev/ttyUSB0",
                                                 "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10"}));
    TempDir empty;
    EXPECT_TRUE(ListSerialDevices(empty.Path()).empty());

    EXPECT_EQ(DescribeOpenError(ENOENT, "/dev/ttyUSB3", {"/dev/ttyS0", "/dev/ttyUSB0"}),
              "No such serial device /dev/ttyUSB3 (serial devices here: /dev/ttyS0, /dev/ttyUSB0)");
    EXPECT_EQ(DescribeOpenError(ENXIO, "/dev/ttyS4", {}),
              "No such serial device /dev/ttyS4 (no serial devices found)");
    EXPECT_EQ(DescribeOpenError(EACCES, "/dev/ttyUSB0", present),
              "Permission denied on /dev/ttyUSB0: add your user to the 'dialout' group (sudo "
              "usermod -aG dialout $USER) and log in again");
    EXPECT_EQ(DescribeOpenError(EPERM, "/a", {}), DescribeOpenError(EACCES, "/a", {}));
    EXPECT_EQ(DescribeOpenError(EBUSY, "/a", {}), "/a is in use by another program");
    EXPECT_EQ(DescribeOpenError(EISDIR, "/tmp", {}), "Cannot open /tmp: Is a directory");
}

} // namespace korvex
