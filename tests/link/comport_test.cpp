#include "link/comport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace korvex {

namespace {

// What a fake line saw and offers; outlives the backends the port drops.
struct LineState {
    std::vector<std::string> names;
    std::vector<TLineSettings> opens;
    int closes = 0;
    std::string refusal; // non-empty: Open fails with it
    std::string incoming;
    std::string written;
    std::size_t readPiece = 1 << 20; // most bytes one Read hands over
};

class FakeBackend final : public TSerialBackend {
public:
    explicit FakeBackend(LineState& state) : state_(state) {}
    TOpenResult Open(const TLineSettings& settings) override {
        state_.opens.push_back(settings);
        return {state_.refusal.empty(), state_.refusal};
    }
    void Close() override { ++state_.closes; }
    bool IsOpen() const override { return true; }
    std::size_t Write(std::string_view bytes) override {
        state_.written += bytes;
        return bytes.size();
    }
    int BytesWaiting() override { return static_cast<int>(state_.incoming.size()); }
    std::size_t Read(char* buffer, std::size_t max) override {
        const std::size_t n = std::min({max, state_.incoming.size(), state_.readPiece});
        std::copy_n(state_.incoming.begin(), n, buffer);
        state_.incoming.erase(0, n);
        return n;
    }
    void PurgeInput() override { state_.incoming.clear(); }
    void PurgeOutput() override {}
    bool WaitForInput(int) override { return !state_.incoming.empty(); }

private:
    LineState& state_;
};

TBackendFactory FakeFactory(LineState& state) {
    return [&state](std::string_view name) {
        state.names.emplace_back(name);
        return std::make_unique<FakeBackend>(state);
    };
}

} // namespace

TEST(TComPort, OpensWithStoredSettingsWhichChangeOnlyWhileClosed) {
    LineState line;
    const auto lastOpen = [&line] {
        const TLineSettings& s = line.opens.back();
        return line.names.back() + " " + std::to_string(s.baud) + " " + std::to_string(s.dataBits) +
               std::to_string(s.parity) + std::to_string(s.stopBits);
    };
    {
        TComPort port(FakeFactory(line));
        ASSERT_TRUE(port.OpenPort());
        EXPECT_EQ(lastOpen(), "COM1 115200 800");
        port.SetPortIndex(4);
        port.SetBaudRate(TBaudRate::br300);
        port.SetDataBits(2);
        EXPECT_TRUE(port.OpenPort()); // already open: same line, nothing applied
        EXPECT_EQ(line.opens.size(), 1u);
        EXPECT_EQ(port.PortIndex() + port.DataBitsCode(), 3);
        EXPECT_EQ(port.BaudRate(), TBaudRate::br115200);

        port.ClosePort();
        EXPECT_EQ(line.closes, 1);
        port.SetPortIndex(4);
        port.SetBaudRate(TBaudRate::br1200);
        port.SetDataBits(2);
        port.SetParity(3);
        port.SetStopBits(2);
        ASSERT_TRUE(port.OpenPort());
        EXPECT_EQ(lastOpen(), "COM5 1200 732");
    }
    EXPECT_EQ(line.closes, 2); // destruction closed it
}

TEST(TComPort, FailedOrClosedPortDoesNothing) {
    LineState line;
    line.refusal = "/dev/ttyS0 is in use by another program";
    line.incoming = "waiting";
    TComPort port(FakeFactory(line));
    EXPECT_FALSE(port.OpenPort());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastOpenError(), line.refusal);

    char byte = 0;
    EXPECT_EQ(port.WriteString("abc"), 0u);
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_EQ(port.ReadAll(), "");
    EXPECT_EQ(port.BytesWaiting(), 0);
    EXPECT_FALSE(port.WaitForInput(1000));
    port.PurgeInput();
    EXPECT_EQ(line.incoming, "waiting");
    EXPECT_EQ(line.written, "");

    line.refusal.clear();
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(port.LastOpenError(), "");
    TComPort nowhere(TBackendFactory{});
    EXPECT_FALSE(nowhere.OpenPort());
    EXPECT_NE(nowhere.LastOpenError(), "");
}

TEST(TComPort, ReadsTakeWhatWaitsAndReadAllStopsAt1024) {
    LineState line;
    TComPort port(FakeFactory(line));
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(port.ReadAll(), "");
    char byte = 'q';
    EXPECT_FALSE(port.ReadByte(byte)); // nothing waiting: no made-up byte

    EXPECT_EQ(port.WriteString(std::string("\0\r", 2)), 2u);
    EXPECT_EQ(line.written, std::string("\0\r", 2));
    std::string burst;
    for (int i = 0; i < 1501; ++i) {
        burst += static_cast<char>(i % 251);
    }
    line.incoming = burst;
    line.readPiece = 100; // handed over in pieces
    ASSERT_TRUE(port.ReadByte(byte));
    EXPECT_EQ(byte, '\0');
    EXPECT_EQ(port.ReadAll(), burst.substr(1, 1024));
    EXPECT_EQ(port.BytesWaiting(), 1501 - 1025);
    EXPECT_EQ(port.ReadAll(), burst.substr(1025));
}

TEST(TComPort, PortNamesAndComNumbers) {
    EXPECT_EQ(TComPort::PortNameOf(1), "COM2");
    EXPECT_EQ(TComPort::PortNameOf(7), "COM8");
    for (int index : {0, 8, -1, 255}) {
        EXPECT_EQ(TComPort::PortNameOf(index), "COM1") << index;
    }
    EXPECT_EQ(TComPort::IndexOfComNumber(2), 1);
    EXPECT_EQ(TComPort::IndexOfComNumber(8), 7);
    for (int number : {0, 1, 9, -3}) {
        EXPECT_EQ(TComPort::IndexOfComNumber(number), 0) << number;
    }
}

} // namespace korvex
