#include "ProtocolTestHelpers.h"
#include "Result.h"
#include "Timing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

TEST(ResultAndLog, LevelPrefixes)
{
    CapturedLog captured;
    log(0, "a %d", 1);
    log(1, "b");
    log(2, "c");
    log(3, "d");
    log(7, "e");
    EXPECT_EQ(captured.lines(), (std::vector<std::string> { "DEBUG: a 1", "INFO: b", "WARNING: c", "ERROR: d", "LOG: e" }));
}

TEST(ResultAndLog, MakeErrorLogsFormattedLineAndCarriesTheFormatText)
{
    CapturedLog captured;
    static const char* const format = "Invalid preset index: %d";
    Result result = makeError("TonecrestProtocol.cpp", 12, format, 5);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, format);
    EXPECT_EQ(captured.lines(), std::vector<std::string> { "Error at TonecrestProtocol.cpp:12: Invalid preset index: 5" });

    // The macro names only the source file.
    EXPECT_STREQ(TONECREST_ERROR("Packet too large").error, "Packet too large");
    ASSERT_EQ(captured.lines().size(), 2u);
    EXPECT_EQ(captured.lines()[1].rfind("Error at ResultTests.cpp:", 0), 0u) << captured.lines()[1];
}

TEST(ResultAndLog, LongLinesAreCutToTheBuffer)
{
    CapturedLog captured;
    std::string longText(2000, 'x');
    log(1, "%s", longText.c_str());
    makeError(longText.c_str(), 99999, "%s%s", longText.c_str(), longText.c_str());
    const auto lines = captured.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "INFO: " + std::string(505, 'x'));
    EXPECT_EQ(lines[1].size(), 511u);
}

TEST(ResultAndLog, FileNameFromPath)
{
    EXPECT_STREQ(fileNameFromPath("a/b\\c/d.cpp"), "d.cpp");
    EXPECT_STREQ(fileNameFromPath("C:\\src\\x/y\\z.cpp"), "z.cpp");
    EXPECT_STREQ(fileNameFromPath("plain.cpp"), "plain.cpp");
    EXPECT_STREQ(fileNameFromPath(""), "");
    EXPECT_STREQ(fileNameFromPath("dir/"), "");
}

TEST(ResultAndLog, WithoutSinkLinesGoToStandardOutput)
{
    setLogCallback(nullptr, nullptr);
    testing::internal::CaptureStdout();
    log(2, "to stdout %s", "now");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: to stdout now\n");
}

TEST(Timing, ScaledWaitsNeverDropBelowOneMillisecondButZeroStaysZero)
{
    // The tests run every wait at 1/50 of its length.
    EXPECT_EQ(Timing::scaled(1000), 20);
    EXPECT_EQ(Timing::scaled(1), 1);
    EXPECT_EQ(Timing::scaled(0), 0);
    EXPECT_EQ(Timing::scaled(-1), -1);
}
