// --json: a test station reads each command's result as JSON, whatever the
// language, instead of parsing its lines; Python's own parser is the judge.
#include "clirig.h"
#include "ptysim.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;

class CliJson : public CliE2e {
protected:
    // Each line of `out` parsed, and the members `fields` names printed for
    // it, space-separated (nested with dots: "difference.memory").
    std::string Fields(const std::string& out, const std::string& fields) {
        WriteText(work / "out.json", out);
        WriteText(work / "read.py",
                  "import json,sys\n"
                  "for line in open(sys.argv[1]):\n"
                  "    o=json.loads(line)\n"
                  "    def get(path):\n"
                  "        v=o\n"
                  "        for part in path.split('.'):\n"
                  "            v=v[int(part)] if isinstance(v,list) else v.get(part)\n"
                  "            if v is None: return None\n"
                  "        return v\n"
                  "    print(' '.join(str(get(f)) for f in sys.argv[2].split()))\n");
        const auto parsed = RunProgram("/usr/bin/python3", {(work / "read.py").string(),
                                                            (work / "out.json").string(), fields});
        EXPECT_EQ(parsed.exitCode, 0) << parsed.err << out;
        return parsed.out;
    }
};

TEST_F(CliJson, EachCardCommandPrintsOneObjectWithItsOutcomeStepAndDifference) {
    const std::string program = Fixture("gpasm/card84.hex").string();
    const std::string eeprom = Sample24c16().string();
    // The image's first bytes with the third one changed, for a verify that differs.
    const std::string start = Srec(eeprom).HexText(0, 4);
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at < start.size(); at += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(start.substr(at, 2), nullptr, 16)));
    }
    bytes[2] ^= 0xFF;
    const std::string changed = Path("changed.hex");
    WriteText(changed, HexData(0, bytes) + HexEnd());

    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string fields, expected;
    } cases[] = {
        {{"--yes", "auto", "--pic", program, "--eeprom", eeprom},
         0,
         "command outcome step difference files.0.role firmware messages.0.kind messages.0.entry",
         "auto succeeded None None program 105 information 134\n"},
        {{"state"}, 0, "command outcome state", "state succeeded card ready\n"},
        {{"--yes", "verify", "eeprom", changed},
         1,
         "outcome exit_code difference.memory difference.address difference.bytes_differing",
         "failed 1 eeprom byte 2 1\n"},
        {{"verify", "pic", Path("missing.hex")},
         2,
         "outcome files messages.0.text",
         "unusable input [] " + Path("missing.hex") + ": no such file\n"},
        {{"read", "eeprom", "-o", Path("e.hex")},
         1,
         "command outcome messages.0.text",
         "read eeprom refused this needs a yes; give --yes to answer it\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() > 1 ? 1 : 0]);
        std::vector<std::string> args = {"--json", "--port", "sim", "--card", "PIC16F84-24C16"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = Cli(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
        EXPECT_EQ(Fields(run.out, c.fields), c.expected);
    }
    // The SHA-256 of the image as sent, as the production record has it.
    const auto run = Cli({"--json", "--port", "sim", "--card", "PIC16F84-24C16", "--yes", "write",
                          "eeprom", eeprom});
    EXPECT_EQ(Fields(run.out, "files.0.path files.0.sha256").size(), eeprom.size() + 1 + 64 + 1);
}

TEST_F(CliJson, AProductionRunPrintsAnObjectPerCardAndItsSummaryLast) {
    TPtySim sim({"--card", "PIC16F84-24C16", "--feed", "2", "--feed-fault", "2:stuck-eeprom@0x10",
                 "--feed-gap", "50"});
    ASSERT_FALSE(sim.Path().empty());
    const auto run =
        Cli({"--json", "--port", sim.Path(), "--card", "PIC16F84-24C16", "auto", "--pic",
             Fixture("gpasm/card84.hex").string(), "--eeprom", Sample24c16().string(), "--watch",
             "--count", "2", "--record", Path("r.csv"), "--station", "s1"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(Fields(run.out, "card outcome step difference.address"),
              "1 good None None\n2 failed eeprom verify 16\nNone failed None None\n");
    EXPECT_EQ(Fields(run.out, "command summary.good summary.failed"),
              "None None None\nNone None None\nauto --watch 1 1\n");
    // The record's summary, its lines on the station they name.
    const auto records = Cli({"--json", "records", "--record", Path("r.csv"), "--station", "x"});
    EXPECT_EQ(
        Fields(records.out, "all.cards all.yield stations.0.station stations.0.failing_steps"),
        "2 0.5 s1 {'eeprom verify': 1}\n")
        << records.err;
}

} // namespace
} // namespace korvex
