#include "common/ptypair.h"
#include "common/tempdir.h"
#include "link/comport.h"
#include "link/portmap.h"
#include "link/posixserial.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::PtyPair;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

std::string OpenReason(const TBackendFactory& factory, std::string_view name) {
    const TOpenResult result = factory(name)->Open(TLineSettings{});
    return result.ok ? "<opened>" : result.reason;
}

} // namespace

TEST(TPortMap, StoredEntriesOverDefaultsWithOverridesNeverSaved) {
    TempDir dir;
    EXPECT_EQ(TPortMap::Load(TPSettingsStore(dir / "none")).PathOf(2), "/dev/ttyS1");
    WriteText(dir / "cfg/settings.ini",
              "[Korvex]\nComPort=2\nPort2=/dev/ttyUSB0\nPort3=sim\nPort4=\n[Other]\nPort1=/x\n");
    TPSettingsStore store(dir / "cfg");
    TPortMap map = TPortMap::Load(store);
    EXPECT_EQ(map.PathOf(1), "/dev/ttyS0");
    EXPECT_EQ(map.PathOf(2), "/dev/ttyUSB0");
    EXPECT_EQ(map.PathOf(3), TPortMap::kSimulator);
    EXPECT_EQ(map.PathOf(4), "/dev/ttyS3"); // empty: default
    EXPECT_EQ(map.PathOf(8), "/dev/ttyS7");
    EXPECT_EQ(map.PathOf(0) + map.PathOf(9), "");

    map.SetPath(3, "");
    map.SetPath(5, "/dev/ttyACM0");
    map.SetPath(9, "/dev/nowhere");
    map.Override(1, "/dev/pts/7");
    EXPECT_EQ(map.PathOf(1), "/dev/pts/7");
    map.Save(store);
    EXPECT_EQ(ReadText(store.FilePath()).find("/dev/pts/7"), std::string::npos);
    EXPECT_EQ(ReadText(store.FilePath()).find("/dev/nowhere"), std::string::npos);
    EXPECT_EQ(store.ReadInteger(TPSettingsStore::kComPort), 2); // other values kept

    const TPortMap back = TPortMap::Load(store);
    EXPECT_EQ(back.PathOf(1), "/dev/ttyS0");
    EXPECT_EQ(back.PathOf(3), "/dev/ttyS2");
    EXPECT_EQ(back.PathOf(5), "/dev/ttyACM0");
    map.Override(1, "");
    EXPECT_EQ(map.PathOf(1), "/dev/ttyS0");
}

// Fault: the window took "com3" for a device path while korvex-cli took it
// for COM3; both programs read --port by this one rule.
TEST(TPortMap, APortArgumentIsAnItemInAnyCaseTheSimulatorOrADevicePath) {
    const struct {
        const char* text;
        std::optional<int> item;
        const char* device;
    } cases[] = {
        {"COM3", 3, ""},
        {"com3", 3, ""},
        {"Com8", 8, ""},
        {"sim", 1, "sim"},
        {"/dev/ttyUSB0", 1, "/dev/ttyUSB0"},
        {"./pty", 1, "./pty"},
        {"COM9", std::nullopt, ""},
        {"ttyUSB0", std::nullopt, ""},
        {"", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const auto argument = TPortMap::ReadArgument(c.text);
        ASSERT_EQ(argument.has_value(), c.item.has_value()) << c.text;
        if (argument) {
            EXPECT_EQ(argument->comNumber, *c.item) << c.text;
            EXPECT_EQ(argument->device, c.device) << c.text;
        }
    }
}

TEST(TPortMap, FactoryOpensWhatTheNumberMapsTo) {
    TempDir dir;
    PtyPair pty;
    TPortMap map;
    map.SetPath(2, (dir / "gone").string());
    map.SetPath(3, std::string(TPortMap::kSimulator));
    map.Override(4, pty.SlavePath());

    const TBackendFactory plain = MakePortFactory(map);
    EXPECT_EQ(OpenReason(plain, "COM3"), "The simulator is not available here");
    EXPECT_EQ(OpenReason(plain, "COM2").rfind("No such serial device " + (dir / "gone").string()),
              0u);
    EXPECT_EQ(OpenReason(plain, "COM9"), "There is no port named COM9");
    EXPECT_EQ(OpenReason(MakePortFactory(map, [] { return nullptr; }), "COM3"),
              "The simulator is not available here");

    int made = 0;
    const TBackendFactory withSimulator = MakePortFactory(map, [&made, &pty] {
        ++made; // any backend will do as the simulator; a device one shows it is used
        return std::make_unique<TPosixSerialBackend>(pty.SlavePath());
    });
    EXPECT_EQ(OpenReason(withSimulator, "COM3"), "<opened>");
    EXPECT_EQ(made, 1);

    TComPort port(withSimulator);
    port.SetPortIndex(TComPort::IndexOfComNumber(4));
    ASSERT_TRUE(port.OpenPort()) << port.LastOpenError();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(port.WriteString("P\r"), 2u);
    EXPECT_EQ(pty.Read(2), "P\r");
    ASSERT_TRUE(pty.Write(std::string("\x06\x00", 2)));
    std::string answer;
    while (answer.size() < 2 && port.WaitForInput(2000)) {
        answer += port.ReadAll();
    }
    EXPECT_EQ(answer, std::string("\x06\x00", 2));
}

} // namespace korvex
