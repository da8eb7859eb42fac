// The events reader: what a well-formed file yields, and that every malformed line is refused
// with the file and line named.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "lab/command/events_file.h"
#include "lab/command/lab_error.h"
#include "lab_test_support.h"
#include "sim/mouse_release.h"

namespace morvane::lab {
namespace {

std::vector<ScriptedRelease> Read(const std::string& text)
{
    std::istringstream in(text);
    return ReadEvents(in, "moves.txt");
}

TEST(EventsFile, ReadsEveryReleaseInFileOrderSkippingBlankAndCommentLines)
{
    const auto releases = Read("# a comment\n"
                               "\n"
                               "   \t \n"
                               "12 left 100 200\n"
                               "  # an indented comment\n"
                               "0 right 5.5 -7.25\r\n"
                               "\t3\tmiddle  1e2   .5\n"
                               "18446744073709551615 left 0 0");
    struct Expected {
        std::uint64_t after_ticks;
        int button;
        float x, y;
        std::uint64_t line;
    };
    const Expected expected[] = {{12, LeftButton, 100, 200, 4},
                                 {0, RightButton, 5.5f, -7.25f, 6},
                                 {3, MiddleButton, 100, 0.5f, 7},
                                 {std::numeric_limits<std::uint64_t>::max(), LeftButton, 0, 0, 8}};
    ASSERT_EQ(releases.size(), std::size(expected));
    for (std::size_t k = 0; k < releases.size(); ++k) {
        SCOPED_TRACE("release " + std::to_string(k));
        EXPECT_EQ(releases[k].after_ticks, expected[k].after_ticks);
        EXPECT_EQ(releases[k].button, expected[k].button);
        EXPECT_EQ(releases[k].x, expected[k].x);
        EXPECT_EQ(releases[k].y, expected[k].y);
        EXPECT_EQ(releases[k].line, expected[k].line);
    }
    EXPECT_TRUE(Read("").empty());
    EXPECT_TRUE(Read("# nothing\n\n#0 left 1 1\n").empty());
}

TEST(EventsFile, CoordinatesRoundOnceToTheNearestFloat)
{
    struct Case {
        const char* text;
        float expected;
    };
    const float above_one = std::nextafter(1.0f, 2.0f);
    const Case cases[] = {
        {"0.1", 0.1f},
        {"16777217", 16777216.0f}, // a tie between two floats goes to the even one
        {"16777219", 16777220.0f},
        // Just above the midpoint between 1 and the next float: a reader that went through
        // double would land on the midpoint itself and then round down to 1.
        {"1.00000005960464477539063", above_one},
        {"1.00000005960464477539062", 1.0f},
        {"3.4028235e38", std::numeric_limits<float>::max()},
        {"1e-45", std::numeric_limits<float>::denorm_min()},
        {"1e-50", 0.0f},
        {"+2.", 2.0f},
        {"-0", -0.0f},
    };
    for (const Case& c : cases) {
        const auto releases = Read(std::string("0 left ") + c.text + " 1\n");
        ASSERT_EQ(releases.size(), 1u) << c.text;
        EXPECT_EQ(releases[0].x, c.expected) << c.text;
        EXPECT_EQ(std::signbit(releases[0].x), std::signbit(c.expected)) << c.text;
    }
}

TEST(EventsFile, MalformedLinesAreRefusedNamingTheFileLineAndFault)
{
    struct Case {
        const char* line;
        const char* fault; // part of the message that says what is wrong
    };
    const Case cases[] = {
        {"0 up 1 2", "unknown button 'up'"},
        {"0 Left 1 2", "unknown button 'Left'"},
        {"0 left 1", "expected '<ticks> <button> <x> <y>'"},
        {"0", "expected '<ticks> <button> <x> <y>'"},
        {"0 left 1 2 3", "unexpected '3'"},
        {"0 left 1 2 # note", "unexpected '#'"},
        {"-1 left 1 2", "tick count '-1'"},
        {"+1 left 1 2", "tick count '+1'"},
        {"1.5 left 1 2", "tick count '1.5'"},
        {"1e3 left 1 2", "tick count '1e3'"},
        {"x left 1 2", "tick count 'x'"},
        {"18446744073709551616 left 1 2", "tick count '18446744073709551616' is too large"},
        {"0 left inf 2", "x 'inf' is not a finite decimal number"},
        {"0 left 1 nan", "y 'nan' is not a finite decimal number"},
        {"0 left 0x10 2", "x '0x10' is not a finite decimal number"},
        {"0 left 1,5 2", "x '1,5' is not a finite decimal number"},
        {"0 left . 2", "x '.' is not a finite decimal number"},
        {"0 left 1e 2", "x '1e' is not a finite decimal number"},
        {"0 left 1e39 2", "x '1e39' is beyond the range of a 32-bit float"},
        {"0 left 1 -1e39", "y '-1e39' is beyond the range of a 32-bit float"},
    };
    for (const Case& c : cases) {
        // Two good lines and a comment first, so the line number must count every line.
        const std::string text = "0 left 1 1\n# c\n\n1 right 2 2\n" + std::string(c.line) + "\n";
        try {
            Read(text);
            ADD_FAILURE() << "accepted: " << c.line;
        } catch (const LabError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("moves.txt:5: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.fault), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

TEST(EventsFile, AMissingFileOrAFolderIsRefusedByName)
{
    labtest::ScratchFolder folder;
    const std::string missing = (folder.Work() / "absent.txt").string();
    const std::string dir = folder.Work().string();
    for (const std::string& path : {missing, dir}) {
        try {
            ReadEventsFile(path);
            ADD_FAILURE() << "read " << path;
        } catch (const LabError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    folder.Write("ok.txt", "7 right 3 4\n");
    const auto releases = ReadEventsFile((folder.Work() / "ok.txt").string());
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].after_ticks, 7u);
    EXPECT_EQ(releases[0].button, RightButton);
}

} // namespace
} // namespace morvane::lab
