#include "Result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tonecrest;

namespace
{
struct CapturedLog
{
    std::vector<std::string> lines;

    CapturedLog() { setLogCallback(&CapturedLog::sink, this); }
    ~CapturedLog() { setLogCallback(nullptr, nullptr); }

    static void sink(void* context, const char* line) { static_cast<CapturedLog*>(context)->lines.emplace_back(line); }
};
} // namespace

TEST(ResultAndLog, LevelPrefixes)
{
    CapturedLog captured;
    log(0, "a %d", 1);
    log(1, "b");
    log(2, "c");
    log(3, "d");
    log(7, "e");
    ASSERT_EQ(captured.lines.size(), 5u);
    EXPECT_EQ(captured.lines[0], "DEBUG: a 1");
    EXPECT_EQ(captured.lines[1], "INFO: b");
    EXPECT_EQ(captured.lines[2], "WARNING: c");
    EXPECT_EQ(captured.lines[3], "ERROR: d");
    EXPECT_EQ(captured.lines[4], "LOG: e");
}

TEST(ResultAndLog, MakeErrorLogsFormattedLineAndCarriesTheFormatText)
{
    CapturedLog captured;
    static const char* const format = "Invalid preset index: %d";
    Result result = makeError("TonecrestProtocol.cpp", 12, format, 5);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, format);
    ASSERT_EQ(captured.lines.size(), 1u);
    EXPECT_EQ(captured.lines[0], "Error at TonecrestProtocol.cpp:12: Invalid preset index: 5");
}

TEST(ResultAndLog, ErrorMacroNamesOnlyTheSourceFile)
{
    CapturedLog captured;
    Result result = TONECREST_ERROR("Packet too large");
    EXPECT_STREQ(result.error, "Packet too large");
    ASSERT_EQ(captured.lines.size(), 1u);
    EXPECT_EQ(captured.lines[0].rfind("Error at ResultTests.cpp:", 0), 0u) << captured.lines[0];
}

TEST(ResultAndLog, SuccessIsTheConstant)
{
    EXPECT_TRUE(kSuccess.ok);
    EXPECT_EQ(kSuccess.error, nullptr);
    EXPECT_TRUE(setLogCallback(nullptr, nullptr).ok);
}

TEST(ResultAndLog, LongLinesAreCutToTheBuffer)
{
    CapturedLog captured;
    std::string longText(2000, 'x');
    log(1, "%s", longText.c_str());
    makeError(longText.c_str(), 99999, "%s%s", longText.c_str(), longText.c_str());
    ASSERT_EQ(captured.lines.size(), 2u);
    EXPECT_EQ(captured.lines[0].size(), 511u);
    EXPECT_EQ(captured.lines[0].substr(0, 6), "INFO: ");
    EXPECT_EQ(captured.lines[1].size(), 511u);
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
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "WARNING: to stdout now\n");
}
