#include "catalogue/carderrors.h"
#include "catalogue/cfgreader.h"
#include "catalogue/configcalc.h"
#include "common/tempdir.h"
#include "support/errors.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex {
namespace {

const std::string kBlankPrefix = "3FFF3FFF3FFF3FFF3FFF3FFF3FFF";

// The set of the 16F84 family, written in full.
const std::string kSet84 = "1,0000000000xxxx,xxxxxxxxxx0xxx,xxxxxxxxxxx1xx,xxxxxxxxxxxx11,"
                           "xxxxxxxxxxxx10,xxxxxxxxxxxx01,xxxxxxxxxxxx00,11111111111111\n";

TPConfigCalculator FromText(int set, const std::string& text) {
    return TPConfigCalculator(set, TPCardReader::FromText(text, "configwords.cfg"));
}

void RunWorkedExample(TPConfigCalculator& calc) {
    EXPECT_EQ(calc.GetDefaultWord(), "3FFF");
    calc.LoadConfigText("0123456789");
    EXPECT_EQ(calc.GetConfigText(), kBlankPrefix + "3FFF");
    calc.SetWatchDog(false);
    EXPECT_EQ(calc.GetConfigText(), kBlankPrefix + "3FFB");
    calc.SetPowerUp(true);
    EXPECT_EQ(calc.GetConfigText(), kBlankPrefix + "3FF3");
    calc.SetProtection(false);
    EXPECT_EQ(calc.GetConfigText(), kBlankPrefix + "3FF3");
    calc.SetOscillator(2);
    EXPECT_EQ(calc.GetConfigText(), kBlankPrefix + "3FF1");

    EXPECT_FALSE(calc.IsWatchDogOn());
    EXPECT_TRUE(calc.IsPowerUpOn());
    EXPECT_FALSE(calc.IsProtectionOn());
    EXPECT_EQ(calc.GetOscillator(), 2);
}

TEST(ConfigCalculator, WorkedExampleFromAFolder) {
    testing::TempDir dir;
    testing::WriteText(dir / "cards" / "configwords.cfg", "// sets\n" + kSet84);
    TPConfigCalculator calc(1, dir.Path());
    RunWorkedExample(calc);
}

TEST(ConfigCalculator, WorkedExampleOnTheShippedCatalogue) {
    TPConfigCalculator calc(1, KORVEX_SOURCE_DATA_DIR);
    RunWorkedExample(calc);
}

TEST(ConfigCalculator, OnlyA32CharacterTextIsTakenAsItIs) {
    TPConfigCalculator calc = FromText(1, kSet84);
    for (std::size_t length : {0u, 31u, 33u}) {
        calc.LoadConfigText(std::string(length, 'A'));
        EXPECT_EQ(calc.GetConfigText(), kBlankPrefix + "3FFF") << length;
    }
    const std::string odd = "not hex at all, but 32 long 0000";
    calc.LoadConfigText(odd);
    EXPECT_EQ(calc.GetConfigText(), odd);
    EXPECT_TRUE(calc.IsProtectionOn());
    EXPECT_EQ(calc.GetOscillator(), 3);
}

TEST(ConfigCalculator, ChangesOnlyTheLastWord) {
    TPConfigCalculator calc = FromText(1, kSet84);
    const std::string prefix = "0123456789ABCDEFfedcba98765432";
    calc.LoadConfigText(prefix.substr(0, 28) + "0000");
    calc.SetProtection(false);
    calc.SetWatchDog(true);
    calc.SetOscillator(1);
    EXPECT_EQ(calc.GetConfigText(), prefix.substr(0, 28) + "3FF6");
    calc.SetOscillator(4);
    calc.SetOscillator(-1);
    EXPECT_EQ(calc.GetConfigText(), prefix.substr(0, 28) + "3FF6");
    EXPECT_EQ(calc.GetOscillator(), 1);
}

TEST(ConfigCalculator, LaterOscillatorPatternDecidesAndNoneMeansXt) {
    // HS and LP both accept any word with bit 0 clear; LP is tested later.
    TPConfigCalculator calc = FromText(4, "4,x,x,x,11,x0,01,0,1\n");
    EXPECT_EQ(calc.GetDefaultWord(), "0001");
    calc.LoadConfigText(kBlankPrefix + "0002");
    EXPECT_EQ(calc.GetOscillator(), 3);
    calc.LoadConfigText(kBlankPrefix + "0003");
    EXPECT_EQ(calc.GetOscillator(), 0);
    TPConfigCalculator neither = FromText(4, "4,x,x,x,111,110,101,100\n");
    neither.LoadConfigText(kBlankPrefix + "0003");
    EXPECT_EQ(neither.GetOscillator(), 2);
}

TEST(ConfigCalculator, FindsItsSetOrReportsWhyNot) {
    const std::string catalogue = "// sets\n7,x,x,x,x,x,x,x,101\n2,x,x,x,x,x,x,x,111\n";
    EXPECT_EQ(FromText(2, catalogue).GetDefaultWord(), "0007");
    EXPECT_EQ(FromText(7, catalogue).GetDefaultWord(), "0005");

    // The error surfaces when the set is first needed, not at construction.
    TPConfigCalculator missing = FromText(3, catalogue);
    try {
        missing.GetDefaultWord();
        ADD_FAILURE() << "a missing set was found";
    } catch (const EErrorsInCfg& e) {
        // Both files named, and the set: an empty field's conversion error
        // said nothing a user could act on.
        EXPECT_TRUE(std::string(e.what()).ends_with(
            ": there is no configuration word set 3, which cards/pics.cfg names for the "
            "processor; add the set, or name one that is there"))
            << e.what();
    }
    missing.LoadConfigText(kBlankPrefix + "3FFF");
    EXPECT_THROW(missing.IsWatchDogOn(), EErrorsInCfg);

    try {
        FromText(2, "one,x\n2,x\n").GetDefaultWord();
        ADD_FAILURE() << "a set after a bad entry was found";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'one' is not a valid integer value");
    }

    testing::TempDir dir;
    try {
        TPConfigCalculator calc(1, dir.Path());
        ADD_FAILURE() << "a missing catalogue loaded";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "no such file");
        EXPECT_EQ(e.Path(), (dir.Path() / "cards" / "configwords.cfg").string());
    }
}

TEST(ConfigCalculator, WordThatIsNotHexFailsLikeTheHexRoutine) {
    TPConfigCalculator calc = FromText(1, kSet84);
    calc.LoadConfigText(kBlankPrefix + "3FG1");
    EXPECT_THROW(calc.IsPowerUpOn(), EConvertError);
    EXPECT_THROW(calc.SetWatchDog(true), EConvertError);
}

} // namespace
} // namespace korvex
