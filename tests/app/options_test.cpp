// The command line: what it accepts, and the message for what it does not.
#include "app/options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace kelp_app;

namespace {

ParsedOptions Parse(std::vector<std::string> arguments) { return parseOptions(arguments); }

}  // namespace

TEST(Options, EachOptionSetsItsField) {
    ParsedOptions parsed = Parse({"--level", "4", "--fullscreen", "--mute"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.level, 4);
    EXPECT_EQ(parsed.options.fullScreen, true);
    EXPECT_TRUE(parsed.options.mute);
    EXPECT_FALSE(parsed.options.help);

    parsed = Parse({"--windowed", "--level=6", "--replay=game.kgr", "--headless"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.fullScreen, false);
    EXPECT_EQ(parsed.options.level, 6);
    EXPECT_EQ(parsed.options.replay, "game.kgr");
    EXPECT_TRUE(parsed.options.headless);

    parsed = Parse({"--autopilot", "--headless", "--level", "3", "--record", "won.kgr"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.autopilot);
    EXPECT_TRUE(parsed.options.headless);
    EXPECT_EQ(parsed.options.record, "won.kgr");
    EXPECT_EQ(parsed.options.deal, 0u) << "the usual deal";
    EXPECT_EQ(Parse({"--autopilot", "--headless", "--level=4", "--deal", "2147483646"}).options.deal, 2147483646u);

    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"-h"}).options.help);
    EXPECT_TRUE(Parse({"--version"}).options.version);
    EXPECT_FALSE(Parse({}).options.fullScreen.has_value()) << "no option keeps the saved setting";
    EXPECT_EQ(Parse({}).options.level, 0);
}

TEST(Options, NonsenseIsNamedInTheError) {
    struct Case {
        std::vector<std::string> arguments;
        std::string mentions;
    };
    const Case cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"-x"}, "-x"},
        {{"level"}, "level"},
        {{"--level"}, "needs a value"},
        {{"--level", "0"}, "1 to 6"},
        {{"--level", "7"}, "1 to 6"},
        {{"--level", "2x"}, "2x"},
        {{"--level", "-1"}, "1 to 6"},
        {{"--level="}, "needs a value"},
        {{"--level", "99999999999999999999"}, "1 to 6"},
        {{"--mute=yes"}, "takes no value"},
        {{"--headless"}, "--replay"},
        {{"--autopilot", "--headless"}, "--level N"},
        {{"--autopilot", "--replay", "a"}, "cannot go together"},
        {{"--autopilot=1"}, "takes no value"},
        {{"--record", "a", "--replay", "b"}, "cannot go together"},
        {{"--"}, "--"},
        {{"--autopilot", "--headless", "--level", "4", "--deal", "0"}, "1 to 2147483646"},
        {{"--autopilot", "--headless", "--level", "4", "--deal", "2147483647"}, "1 to 2147483646"},
        {{"--autopilot", "--headless", "--level", "4", "--deal", "-5"}, "1 to 2147483646"},
        {{"--autopilot", "--headless", "--level", "4", "--deal", "5x"}, "5x"},
        {{"--level", "4", "--deal", "5"}, "--autopilot --headless"},
    };
    for (const Case& c : cases) {
        ParsedOptions parsed = Parse(c.arguments);
        EXPECT_NE(parsed.error.find(c.mentions), std::string::npos) << c.arguments[0] << ": " << parsed.error;
    }
}

TEST(Options, TheUsageNamesEveryOption) {
    std::string usage = usageText("kelp-garden");
    for (const char* option : {"--help", "--version", "--level N", "--fullscreen", "--windowed", "--mute",
                               "--record FILE", "--replay FILE", "--headless", "--autopilot", "--deal K"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    EXPECT_EQ(usage.rfind("Usage: kelp-garden", 0), 0u);
    EXPECT_EQ(versionText().rfind("Kelp Garden ", 0), 0u);
}

TEST(Options, TheManPageDocumentsEveryOptionOfTheHelp) {
    std::ifstream page(MAN_PAGE);
    ASSERT_TRUE(page) << MAN_PAGE;
    std::string text((std::istreambuf_iterator<char>(page)), {});
    std::string usage = usageText("kelp-garden");
    int options = 0;
    for (size_t at = usage.find("  --"); at != std::string::npos; at = usage.find("  --", at + 1), ++options) {
        std::string option = usage.substr(at + 4, usage.find_first_of(" ,\n", at + 4) - at - 4);
        EXPECT_NE(text.find("\\-\\-" + option), std::string::npos) << "--" << option << " is not in the man page";
    }
    EXPECT_EQ(options, 12);
}
