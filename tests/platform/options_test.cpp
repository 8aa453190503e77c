#include <gtest/gtest.h>

#include "platform/platform.h"

namespace zre {
namespace {

TEST(HeadlessOptions, ParsesTheCommandLine) {
    std::vector<std::string> args = {"--headless",          "--frame-ms",  "20",        "--max-ms",
                                     "5000",                "--input",     "in.txt",    "--answers",
                                     "no,yes,ok",           "--screenshot", "100:a.png", "--screenshot",
                                     "2000:dir/b:c.bmp",    "--audio-out", "out.wav",   "--dump-vars",
                                     "vars.txt",            "game"};
    bool headless = false;
    HeadlessOptions o;
    std::string error;
    size_t i = 0;
    while (i < args.size()) {
        OptionResult r = parseHeadlessOption(args, i, headless, o, error);
        ASSERT_NE(r, OptionResult::Error) << error;
        if (r == OptionResult::NotMine) ++i;
    }
    EXPECT_TRUE(headless);
    EXPECT_EQ(o.frameMs, 20u);
    EXPECT_EQ(o.maxMs, 5000u);
    EXPECT_EQ(o.inputFile, "in.txt");
    EXPECT_EQ(o.answers,
              (std::vector<MessageBoxResult>{MessageBoxResult::No, MessageBoxResult::Yes, MessageBoxResult::Ok}));
    ASSERT_EQ(o.screenshots.size(), 2u);
    EXPECT_EQ(o.screenshots[0], (std::pair<uint32_t, std::string>{100, "a.png"}));
    EXPECT_EQ(o.screenshots[1], (std::pair<uint32_t, std::string>{2000, "dir/b:c.bmp"}));
    EXPECT_EQ(o.audioOut, "out.wav");
}

TEST(HeadlessOptions, RejectsBadValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"--frame-ms"},          {"--frame-ms", "0"},        {"--frame-ms", "-3"},
        {"--max-ms", "1e3"},     {"--max-ms", "99999999999"}, {"--answers", "yes,maybe"},
        {"--answers", ""},       {"--screenshot", "100"},    {"--screenshot", "x:a.png"},
        {"--screenshot", "100:"}, {"--input", ""},           {"--audio-out"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        bool headless = false;
        HeadlessOptions o;
        std::string error;
        size_t i = 0;
        EXPECT_EQ(parseHeadlessOption(args, i, headless, o, error), OptionResult::Error);
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace zre
