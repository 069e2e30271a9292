#include "FileTestHelpers.h"
#include "IOUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{
/** A JUCE input stream that reports a read failure the only way JUCE can: a negative count. */
class BrokenInputStream : public juce::InputStream
{
public:
    juce::int64 getTotalLength() override { return 10; }
    bool isExhausted() override { return false; }
    int read(void*, int) override { return -1; }
    juce::int64 getPosition() override { return 0; }
    bool setPosition(juce::int64) override { return false; }
};

Result writeText(const juce::File& target, const char* text)
{
    return writeFileSafely(target, [text](juce::OutputStream& out) {
        OutStreamWrapper stream(&out);
        return stream.write(text, std::strlen(text));
    });
}
} // namespace

TEST(InStreamWrapper, ReadsWhatIsLeftAndSeesTheEndBeforeAnEmptyRead)
{
    juce::MemoryInputStream memory("abcde", 5, false);
    InStreamWrapper stream(&memory);
    char buffer[16] = {};
    size_t bytesRead = 99;
    ASSERT_TRUE(stream.read(buffer, 3, bytesRead));
    EXPECT_EQ(bytesRead, 3u);
    EXPECT_FALSE(stream.isExhausted());
    ASSERT_TRUE(stream.read(buffer, sizeof buffer, bytesRead));
    EXPECT_EQ(bytesRead, 2u);
    EXPECT_EQ(std::string(buffer, 2), "de");
    EXPECT_TRUE(stream.isExhausted());
    ASSERT_TRUE(stream.read(buffer, sizeof buffer, bytesRead));
    EXPECT_EQ(bytesRead, 0u);

    BrokenInputStream broken;
    InStreamWrapper brokenStream(&broken);
    EXPECT_STREQ(errorText(brokenStream.read(buffer, sizeof buffer, bytesRead)).c_str(), "Stream read failed");
}

TEST(OutStreamWrapper, ARefusedWriteIsAFailure)
{
    juce::MemoryOutputStream memory;
    OutStreamWrapper stream(&memory);
    ASSERT_TRUE(stream.write("xyz", 3));
    EXPECT_EQ(memory.toString(), "xyz");

    FullOutputStream full;
    OutStreamWrapper fullStream(&full);
    EXPECT_STREQ(errorText(fullStream.write("xyz", 3)).c_str(), "Stream write failed");
}

TEST(WriteFileSafely, CreatesAndReplacesFilesLeavingNothingElseBehind)
{
    ScratchFolder scratch;
    const juce::File target = scratch.child("preset.pre");
    ASSERT_TRUE(writeText(target, "first"));
    EXPECT_EQ(target.loadFileAsString(), "first");
    ASSERT_TRUE(writeText(target, "second, longer"));
    EXPECT_EQ(target.loadFileAsString(), "second, longer");
    EXPECT_EQ(scratch.fileCount(), 1);
}

TEST(WriteFileSafely, AFailedWriteLeavesTheOldFileAsItWas)
{
    ScratchFolder scratch;
    const juce::File target = scratch.child("backup.tbu");
    ASSERT_TRUE(target.replaceWithText("old content"));

    Result failed = writeFileSafely(target, [](juce::OutputStream& out) {
        out.writeString("half of the new content");
        return TONECREST_ERROR("Too many params");
    });
    EXPECT_STREQ(errorText(failed).c_str(), "Too many params");
    EXPECT_EQ(target.loadFileAsString(), "old content");
    EXPECT_EQ(scratch.fileCount(), 1);
}

TEST(WriteFileSafely, UnwritableTargetsFailWithFailedToOverwrite)
{
    ScratchFolder scratch;
    // An empty folder where the file should go: the rename fails, and nothing falls back to
    // deleting the target and copying over it.
    const juce::File folder = scratch.child("taken.pre");
    ASSERT_TRUE(folder.createDirectory());
    EXPECT_STREQ(errorText(writeText(folder, "x")).c_str(), "Failed to overwrite file");
    EXPECT_TRUE(folder.isDirectory());
    EXPECT_EQ(scratch.fileCount(), 1);
}

std::vector<std::string> loggedLines;

// The content fits the stream's buffer, so the disk's refusal shows only when it is flushed.
TEST(WriteFileSafely, AFailedFlushLeavesTheOldFileAsItWasAndIsLogged)
{
    ScratchFolder scratch;
    const juce::File target = scratch.child("preset.pre");
    ASSERT_TRUE(target.replaceWithText("old preset"));

    const std::string content(8000, 'n');
    loggedLines.clear();
    Tonecrest::setLogCallback([](void*, const char* line) { loggedLines.push_back(line); }, nullptr);
    Result written;
    {
        FileSizeLimit full(4096);
        written = writeFileSafely(target, [&](juce::OutputStream& out) {
            OutStreamWrapper stream(&out);
            return stream.write(content.data(), content.size());
        });
    }
    Tonecrest::setLogCallback(nullptr, nullptr);
    EXPECT_STREQ(errorText(written).c_str(), "Failed to write file");
    EXPECT_EQ(target.loadFileAsString(), "old preset");
    EXPECT_EQ(scratch.fileCount(), 1);
    ASSERT_FALSE(loggedLines.empty());
    EXPECT_NE(loggedLines.back().find("Failed to write file: "), std::string::npos) << loggedLines.back();
}
