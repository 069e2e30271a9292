#include "ByteInputStream.h"
#include "ByteOutputStream.h"
#include "ProtocolTestHelpers.h"
#include "TonecrestDataFile.h"
#include "TonecrestPresetMigration.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::TonecrestData;
using Tonecrest::Testing::errorText;
using Tonecrest::Testing::rampCabinet;
using Tonecrest::Testing::sampleAmpModel;

namespace
{
using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------------------
// Files written the way a person with a text editor would, independent of the writer.

std::string hexWord(uint32_t word, const char* format = "0x%08x")
{
    char text[32];
    std::snprintf(text, sizeof text, format, word);
    return text;
}

/** A segment block of `words` words (word i = seed + i) between Start and End lines. */
std::string segmentText(size_t words, uint32_t seed = 0, const std::string& eol = "\n", int number = 0)
{
    std::string text = "# Data Segment " + std::to_string(number) + " Start - Do Not Delete" + eol;
    for (size_t i = 0; i < words; ++i)
        text += hexWord(seed + static_cast<uint32_t>(i)) + eol;
    text += "# Data Segment " + std::to_string(number) + " End - Do Not Delete" + eol;
    return text;
}

std::string typeLine(const char* type, int index)
{
    return std::string("# File Type: ") + type + ", Index = " + std::to_string(index) + "\n\n";
}

/** A well-formed file: type line, then one segment of each given word count, each followed by
    a checksum line as the writer puts it. */
std::string fileText(const char* type, int index, std::initializer_list<size_t> segmentWords)
{
    std::string text = typeLine(type, index);
    for (size_t words : segmentWords)
        text += segmentText(words) + "\nCRC = 0x0000\n\n";
    return text;
}

Result readText(const std::string& text, DataFile& file)
{
    ByteInputStream stream(text.data(), text.size());
    return file.read(stream);
}

template <typename Record>
Result readAs(Result (*reader)(IInputStream&, Record&, uint32_t*), const std::string& text, Record& record, uint32_t* index = nullptr)
{
    ByteInputStream stream(text.data(), text.size());
    return reader(stream, record, index);
}

/** Each text read with `reader` fails with its error. */
template <typename Record>
void expectReadErrors(Result (*reader)(IInputStream&, Record&, uint32_t*),
                      std::initializer_list<std::pair<std::string, const char*>> cases)
{
    for (const auto& [text, error] : cases)
    {
        Record record;
        EXPECT_EQ(errorText(readAs(reader, text, record)), error) << text.substr(0, 60);
    }
}

std::string text(const ByteOutputStream& out)
{
    return { out.bytes().begin(), out.bytes().end() };
}

/** Hands out its data a few bytes per read, then optionally fails instead of ending. */
class TrickleInputStream : public IInputStream
{
public:
    TrickleInputStream(std::string data, size_t bytesPerRead, bool failAtEnd = false)
        : data(std::move(data)), bytesPerRead(bytesPerRead), failAtEnd(failAtEnd)
    {
    }

    Result read(void* buffer, size_t size, size_t& bytesRead) override
    {
        if (position >= data.size() && failAtEnd)
            return TONECREST_ERROR("Stream read failed");
        bytesRead = std::min({ size, bytesPerRead, data.size() - position });
        std::memcpy(buffer, data.data() + position, bytesRead);
        position += bytesRead;
        return kSuccess;
    }

    // Never admits to being at the end: the reader must find it by reading.
    bool isExhausted() override { return false; }

private:
    std::string data;
    size_t bytesPerRead;
    bool failAtEnd;
    size_t position = 0;
};

/** Accepts `capacity` bytes, then refuses every write. */
class FullOutputStream : public IOutputStream
{
public:
    explicit FullOutputStream(size_t capacity) : capacity(capacity) {}

    Result write(const void*, size_t size) override
    {
        ++writes;
        if (size > capacity)
            return TONECREST_ERROR("Stream write failed");
        capacity -= size;
        return kSuccess;
    }

    size_t capacity;
    int writes = 0;
};

Preset samplePreset(const std::string& name, bool withCabinet)
{
    Preset preset;
    preset.name = name;
    preset.params = { { 1, 0.25f }, { 40, -3.5f }, { kPresetVersionKey, 393728.0f }, { 300, 12.0f } };
    if (withCabinet)
        preset.cabinet = std::make_unique<Cabinet>(rampCabinet("Own Cab"));
    return preset;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The text the writer produces

TEST(DataFileWriter, GlobalsFileIsTheExactTextWithChecksumOfTheSegment)
{
    ParameterMap globals { { 1, 0.5f }, { 7, -2.0f } };
    ByteOutputStream out;
    ASSERT_TRUE(writeGlobalsFile(globals, out));

    std::string expected = "# File Type: Globals data\n\n\n\nData Segment 0: 1024 bytes excluding CRC\n\n"
                           "# Data Segment 0 Start - Do Not Delete\n"
                           "0x00000001\n0x3f000000\n0x00000007\n0xc0000000\n";
    for (size_t pair = 2; pair < globalsParamPairs; ++pair)
        expected += "0xffffffff\n0x00000000\n";
    expected += "# Data Segment 0 End - Do Not Delete\n\nCRC = 0x4dc2\n\n";
    EXPECT_EQ(text(out), expected);
}

TEST(DataFileWriter, SegmentsAreSeparatedByThreeEmptyLinesAndIndexIsSigned)
{
    DataFile file(DataFile::kPreset, 0xFFFFFFFFu, 2);
    file.segments[0] = { 0x78, 0x56, 0x34, 0x12, 0xAB, 0xCD }; // last two bytes are not a whole word
    file.segments[1] = { 1, 0, 0, 0 };
    ByteOutputStream out;
    ASSERT_TRUE(file.write(out));

    const std::string expected = "# File Type: Preset data, Index = -1\n\n\n\nData Segment 0: 6 bytes excluding CRC\n\n"
                                 "# Data Segment 0 Start - Do Not Delete\n0x12345678\n# Data Segment 0 End - Do Not Delete\n\n"
                                 "CRC = 0xa136\n\n\n\nData Segment 1: 4 bytes excluding CRC\n\n"
                                 "# Data Segment 1 Start - Do Not Delete\n0x00000001\n# Data Segment 1 End - Do Not Delete\n\n"
                                 "CRC = 0x2000\n\n";
    EXPECT_EQ(text(out), expected);
}

TEST(DataFileWriter, StopsAtTheFirstFailedWriteAndReportsIt)
{
    FullOutputStream full(100);
    Result written = writePresetFile(samplePreset("P", true), full, 3);
    EXPECT_EQ(errorText(written), "Stream write failed");
    EXPECT_EQ(full.writes, 1);

    FullOutputStream tiny(0);
    EXPECT_FALSE(formatFirmwareVersionText(FirmwareVersionInfo(), tiny));
    EXPECT_FALSE(writeStream(Bytes(10, 1), tiny));
    EXPECT_FALSE(writeReversedStream(Bytes(10, 1), tiny));
}

TEST(DataFileWriter, OverfullMapsFailWithTooManyParamsBeforeWritingAnything)
{
    ParameterMap globals;
    for (uint32_t key = 0; key < 129; ++key)
        globals[key] = 1.0f;
    ByteOutputStream out;
    EXPECT_EQ(errorText(writeGlobalsFile(globals, out)), "Too many params");

    AmpModel model;
    for (uint32_t key = 0; key < 257; ++key)
        model.params[key] = 1.0f;
    EXPECT_EQ(errorText(writeAmpModelFile(model, out, 0)), "Too many params");
    model.params.clear();
    model.alternate = std::make_unique<AmpModelParams>();
    for (uint32_t key = 0; key < 257; ++key)
        model.alternate->params[key] = 1.0f;
    EXPECT_EQ(errorText(writeAmpModelFile(model, out, 0)), "Too many params");

    Preset preset;
    for (uint32_t key = 0; key < 513; ++key)
        preset.params[key] = 1.0f;
    EXPECT_EQ(errorText(writePresetFile(preset, out, 0)), "Too many params");
    EXPECT_TRUE(out.bytes().empty());
}

// ---------------------------------------------------------------------------------------
// Reading text written by hand

TEST(DataFileReader, ToleratesCommentsOddSpacingCrlfAndAnyHexSpelling)
{
    const std::string text = "Exported by hand\r\n\r\n  # A comment\r\n"
                             "   #File   Type :Preset data,Index=  42   trailing words\r\n\r\n"
                             "Data Segment 0: 8 bytes excluding CRC\r\n"
                             "  #   Data   Segment 9 Start\r\n"
                             "   \t \r\n"
                             "  0xDEADBEEF\r\n"
                             " 0X3F800000\r\n"
                             "not a word line\r\n"
                             "0x1 and more\r\n"
                             "0x00000000ABCDEF12\r\n" // more digits than a word: the low 32 bits count
                             "# Data Segment 9 End\r\n"
                             "CRC = 0x1234\r\n"
                             "# Data Segment 9 Start\r\n0x2\r\n# Data Segment 9 End\r\n\r\n";
    DataFile file;
    ASSERT_TRUE(readText(text, file));
    EXPECT_EQ(file.type, DataFile::kPreset);
    EXPECT_EQ(file.index, 42u);
    ASSERT_EQ(file.segments.size(), 2u);
    EXPECT_EQ(file.segments[0], (Bytes { 0xEF, 0xBE, 0xAD, 0xDE, 0, 0, 0x80, 0x3F, 1, 0, 0, 0, 0x12, 0xEF, 0xCD, 0xAB }));
    EXPECT_EQ(file.segments[1], (Bytes { 2, 0, 0, 0 }));
}

TEST(DataFileReader, TypeLineErrors)
{
    const std::pair<std::string, const char*> cases[] = {
        { "", "Reached end of file looking for type" },
        { "\n\n# just comments\n", "Reached end of file looking for type" },
        { "# File Type: Globals data\n", "Reached end of file looking for type" }, // not the last line
        { "# File Type: preset data, Index = 1\n\n", "Invalid file type string" },
        { "# File Type: Preset data , Index = 1\n\n", "Invalid file type string" },
        { "# File Type: Preset data" + std::string(5000, 'x') + ", Index = 1\n\n", "Line too long" },
        { "# File Type: Preset data\n\n", "Missing index" },
        { "# File Type: User Cabinet data, Index = \n\n", "Missing index" },
        { "# File Type: Amp_Model data, Number = 3\n\n", "Missing index" },
    };
    for (const auto& [text, error] : cases)
    {
        DataFile file;
        EXPECT_EQ(errorText(readText(text, file)), error) << text.substr(0, 60);
    }
}

TEST(DataFileReader, FileEndingInsideASegmentFailsAndATypeLineAloneIsAnEmptyFile)
{
    DataFile file;
    ASSERT_TRUE(readText("# File Type: Globals data, Index = 9\n\n", file));
    EXPECT_EQ(file.type, DataFile::kGlobals);
    EXPECT_EQ(file.index, 0u) << "globals ignore an index";
    EXPECT_TRUE(file.segments.empty());

    const std::string head = typeLine("Preset data", 1);
    EXPECT_EQ(errorText(readText(head + "# Data Segment 0 Start\n0x1\n0x2", file)), "Reached end of file inside segment");
    EXPECT_EQ(errorText(readText(head + "# Data Segment 0 Start\n0x1\n", file)), "Reached end of file inside segment");
    // Cut right after the End line, before the checksum line.
    EXPECT_EQ(errorText(readText(head + segmentText(2), file)), "Reached end of file inside segment");
    // One more byte after the End line is enough.
    EXPECT_TRUE(readText(head + segmentText(2) + "\n", file));
}

TEST(DataFileReader, EndIsFoundByReadingWhenTheStreamCannotTell)
{
    const std::string text = typeLine("Preset data", 5) + segmentText(3) + "\n";
    TrickleInputStream stream(text, 7);
    DataFile file;
    ASSERT_TRUE(file.read(stream));
    ASSERT_EQ(file.segments.size(), 1u);
    EXPECT_EQ(file.segments[0].size(), 12u);

    TrickleInputStream typeOnly("# File Type: Globals data\n", 3);
    EXPECT_EQ(errorText(file.read(typeOnly)), "Reached end of file looking for type");
    TrickleInputStream failing(typeLine("Preset data", 5) + "# Data Segment 0 Start\n0x1\n", 5, true);
    EXPECT_EQ(errorText(file.read(failing)), "Stream read failed");
}

TEST(DataFileReader, SegmentSizeCountAndLineLengthAreBounded)
{
    DataFile file;
    // 1024 characters make the longest line; carriage returns do not count. A longer one
    // would be read cut short, as another value.
    const std::string longest = "0x" + std::string(1021, '0') + "5";
    ASSERT_TRUE(readText(typeLine("Preset data", 0) + "# Data Segment 0 Start\n" + longest + "\r\r\n# Data Segment 0 End\n\n", file));
    EXPECT_EQ(file.segments[0], (Bytes { 5, 0, 0, 0 }));
    EXPECT_EQ(errorText(readText(typeLine("Preset data", 0) + "# Data Segment 0 Start\n" + longest + "7\n# Data Segment 0 End\n\n", file)),
              "Line too long");

    const size_t wordsAtLimit = dataFileMaxSegmentBytes / 4;
    ASSERT_TRUE(readText(typeLine("Preset data", 0) + segmentText(wordsAtLimit) + "\n", file));
    EXPECT_EQ(file.segments[0].size(), dataFileMaxSegmentBytes);
    EXPECT_EQ(errorText(readText(typeLine("Preset data", 0) + segmentText(wordsAtLimit + 1) + "\n", file)), "Segment too large");

    std::string manySegments = typeLine("Preset data", 0);
    for (size_t i = 0; i <= dataFileMaxSegments; ++i)
        manySegments += segmentText(1) + "\n";
    EXPECT_EQ(errorText(readText(manySegments, file)), "Too many segments");
}

// ---------------------------------------------------------------------------------------
// Converters on hand-written files

TEST(DataFileConverters, PresetFileChecksInOrder)
{
    expectReadErrors(readPresetFile, {
        { fileText("Preset data", 0, { 1024 }), "Too few segments in preset file" },
        { fileText("User Cabinet data", 0, { 2048, 16 }), "Not a preset file" },
        { fileText("Preset data", 0, { 1024, 16 }), "Segment too small" },
        { fileText("Preset data", 0, { 1024, 17, 2047, 16 }), "Segment too small" },
        { fileText("Preset data", 0, { 1024, 17, 2048, 15 }), "Segment too small" },
    });
}

TEST(DataFileConverters, PresetWithThreeSegmentsHasNoCabinetAndIsMigrated)
{
    // Segment 0 holds the pairs (0, 1), (2, 3), ... read as key and float bits, up to the end
    // marker that a hand-written file may leave out.
    Preset preset = samplePreset("Old", true);
    uint32_t index = 0;
    ASSERT_TRUE(readAs(readPresetFile, fileText("Preset data", 17, { 6, 17, 2048 }), preset, &index));
    EXPECT_EQ(index, 17u);
    EXPECT_EQ(preset.cabinet, nullptr);
    EXPECT_EQ(preset.params.count(0), 1u);
    EXPECT_EQ(preset.params.count(2), 1u);
    EXPECT_EQ(preset.params.count(4), 1u);
    EXPECT_FLOAT_EQ(preset.params.at(kPresetVersionKey), 393728.0f);
    // Word 0 of the name segment is 0: the name is empty.
    EXPECT_EQ(preset.name, "");
}

TEST(DataFileConverters, CabinetGlobalsAndAmpFilesCheckCountTypeAndSizes)
{
    expectReadErrors(readCabinetFile, {
        { fileText("User Cabinet data", 0, { 2048 }), "Too few segments in cabinet file" },
        { fileText("Preset data", 0, { 2048, 16 }), "Not a cabinet file" },
        { fileText("User Cabinet data", 0, { 2047, 16 }), "Segment too small" },
        { fileText("User Cabinet data", 0, { 2048, 15 }), "Segment too small" },
    });
    expectReadErrors(readAmpModelFile, {
        { fileText("Amp_Model data", 0, { 1024, 17, 2048 }), "Too few segments in amp file" },
        { fileText("Preset data", 0, { 1024, 17, 2048, 1024 }), "Not an amp file" },
        { fileText("Amp_Model data", 0, { 1023, 17, 2048, 1024 }), "Segment too small" },
        { fileText("Amp_Model data", 0, { 1024, 16, 2048, 1024 }), "Segment too small" },
        { fileText("Amp_Model data", 0, { 1024, 17, 2047, 1024 }), "Segment too small" },
        { fileText("Amp_Model data", 0, { 1024, 17, 2048, 1023 }), "Segment too small" },
        { fileText("Amp_Model data", 0, { 1024, 17, 2048, 1024, 1023 }), "Segment too small" },
    });

    ParameterMap globals;
    auto readGlobals = [&globals](const std::string& text) {
        ByteInputStream stream(text.data(), text.size());
        return readGlobalsFile(stream, globals);
    };
    EXPECT_EQ(errorText(readGlobals("# File Type: Globals data\n\n")), "Too few segments in globals file");
    EXPECT_EQ(errorText(readGlobals(fileText("Preset data", 0, { 4 }))), "Not a globals file");
    // Globals take segment 0 whatever its length.
    ASSERT_TRUE(readGlobals("# File Type: Globals data\n\n" + segmentText(4, 10) + "\n"));
    EXPECT_EQ(globals.size(), 2u);
    EXPECT_EQ(globals.count(10), 1u);
    EXPECT_EQ(globals.count(12), 1u);
}

// ---------------------------------------------------------------------------------------
// Round trips through the writer and the reader

TEST(DataFileConverters, PresetRoundTripsWithAndWithoutCabinet)
{
    for (bool withCabinet : { true, false })
    {
        const Preset original = samplePreset("Sixteen chars!!!", withCabinet);
        ByteOutputStream out;
        ASSERT_TRUE(writePresetFile(original, out, 99));
        Preset copy;
        uint32_t index = 0;
        ByteInputStream in(out.bytes().data(), out.bytes().size());
        ASSERT_TRUE(readPresetFile(in, copy, &index));
        EXPECT_EQ(index, 99u);
        EXPECT_EQ(copy.name, original.name);
        EXPECT_EQ(copy.params, original.params);
        ASSERT_EQ(copy.cabinet != nullptr, withCabinet);
        if (withCabinet)
        {
            EXPECT_EQ(copy.cabinet->name, original.cabinet->name);
            EXPECT_EQ(copy.cabinet->samples, original.cabinet->samples);
        }
    }
}

TEST(DataFileConverters, CabinetGlobalsAndAmpModelRoundTrip)
{
    Cabinet cabinet;
    cabinet.name = "Twenty characters!!!";
    cabinet.samples[5] = -0.125f;
    ByteOutputStream cabinetOut;
    ASSERT_TRUE(writeCabinetFile(cabinet, cabinetOut, 31));
    Cabinet cabinetCopy;
    uint32_t index = 0;
    ByteInputStream cabinetIn(cabinetOut.bytes().data(), cabinetOut.bytes().size());
    ASSERT_TRUE(readCabinetFile(cabinetIn, cabinetCopy, &index));
    EXPECT_EQ(index, 31u);
    EXPECT_EQ(cabinetCopy.name, "Twenty characte");
    EXPECT_EQ(cabinetCopy.samples, cabinet.samples);

    ParameterMap globals { { 0, 1.0f }, { 127, -1.0f } };
    ByteOutputStream globalsOut;
    ASSERT_TRUE(writeGlobalsFile(globals, globalsOut));
    ParameterMap globalsCopy { { 5, 5.0f } };
    ByteInputStream globalsIn(globalsOut.bytes().data(), globalsOut.bytes().size());
    ASSERT_TRUE(readGlobalsFile(globalsIn, globalsCopy));
    EXPECT_EQ(globalsCopy, globals);

    for (bool withAlternate : { false, true })
    {
        AmpModel model = sampleAmpModel();
        if (withAlternate)
        {
            model.alternate = std::make_unique<AmpModelParams>();
            model.alternate->params = { { 3, 0.5f } };
            model.alternate->longName1 = "Alt";
        }
        ByteOutputStream ampOut;
        ASSERT_TRUE(writeAmpModelFile(model, ampOut, 200));
        AmpModel copy;
        copy.alternate = std::make_unique<AmpModelParams>();
        ByteInputStream ampIn(ampOut.bytes().data(), ampOut.bytes().size());
        ASSERT_TRUE(readAmpModelFile(ampIn, copy, &index));
        EXPECT_EQ(index, 200u);
        EXPECT_EQ(copy.info.id, model.info.id);
        EXPECT_EQ(copy.info.name, model.info.name);
        EXPECT_EQ(copy.params, model.params);
        EXPECT_EQ(copy.longName1, model.longName1);
        EXPECT_EQ(copy.longName2, model.longName2);
        EXPECT_EQ(copy.dataWords1, model.dataWords1);
        EXPECT_EQ(copy.dataWords2, model.dataWords2);
        ASSERT_EQ(copy.alternate != nullptr, withAlternate);
        if (withAlternate)
        {
            EXPECT_EQ(copy.alternate->params, model.alternate->params);
            EXPECT_EQ(copy.alternate->longName1, "Alt");
        }
    }
}

// ---------------------------------------------------------------------------------------
// Whole streams and the version text

TEST(DataFileStreams, WholeStreamsReadToTheEndAndReverseBitsBothWays)
{
    std::string data;
    for (int i = 0; i < 1000; ++i)
        data.push_back(static_cast<char>(i * 7));
    TrickleInputStream stream(data, 13);
    Bytes bytes { 9, 9 };
    ASSERT_TRUE(readStream(stream, bytes));
    EXPECT_EQ(bytes, Bytes(data.begin(), data.end()));

    Bytes pattern { 0x01, 0x80, 0x0F, 0xA5, 0x12, 0x00, 0xFF };
    ByteOutputStream out;
    ASSERT_TRUE(writeReversedStream(pattern, out));
    EXPECT_EQ(out.bytes(), (Bytes { 0x80, 0x01, 0xF0, 0xA5, 0x48, 0x00, 0xFF }));
    ByteInputStream in(out.bytes().data(), out.bytes().size());
    Bytes back;
    ASSERT_TRUE(readReversedStream(in, back));
    EXPECT_EQ(back, pattern);

    TrickleInputStream failing("abc", 2, true);
    EXPECT_EQ(errorText(readStream(failing, bytes)), "Stream read failed");
}

TEST(DataFileStreams, WholeStreamStopsAtItsBound)
{
    class EndlessStream : public IInputStream
    {
    public:
        Result read(void* buffer, size_t size, size_t& bytesRead) override
        {
            std::memset(buffer, 0, size);
            bytesRead = size;
            return kSuccess;
        }
        bool isExhausted() override { return false; }
    } endless;
    Bytes bytes;
    EXPECT_EQ(errorText(readStream(endless, bytes)), "Stream too large");
    EXPECT_LE(bytes.size(), wholeStreamMaxBytes);
}

TEST(DataFileVersionText, FormatsTwoLinesAndParsesWhatItCan)
{
    FirmwareVersionInfo info;
    info.system = { 3, 4, 1, 0 };
    info.dsp = { 6, 2, 0, 0 };
    info.subType = 2;
    ByteOutputStream out;
    ASSERT_TRUE(formatFirmwareVersionText(info, out));
    EXPECT_EQ(text(out), "SYSTEM_FW_VERSION : 3.4.1\nDSP_FW_VERSION : 6.2.0\n");

    const std::string file = "DSP_FW_VERSION : 6.2.0\r\n"
                             "  SYSTEM_FW_VERSION: 1 . 2 .3\n"
                             "SYSTEM_FW_VERSION : 9.9\n"        // two numbers: ignored
                             "DSP_FW_VERSION:7.258.1 extra\n"  // later line wins, low 8 bits kept
                             "something else";
    ByteInputStream in(file.data(), file.size());
    FirmwareVersionInfo parsed;
    parsed.subType = 5;
    ASSERT_TRUE(parseFirmwareVersionText(in, parsed));
    EXPECT_EQ(parsed.system, (std::array<uint8_t, 4> { 1, 2, 3, 0 }));
    EXPECT_EQ(parsed.dsp, (std::array<uint8_t, 4> { 7, 2, 1, 0 }));
    EXPECT_EQ(parsed.subType, -1);

    // A line too long to read whole fails here as in data files.
    const std::string longLine = "SYSTEM_FW_VERSION : 1.2.3" + std::string(1000, ' ') + "4\n";
    ByteInputStream longIn(longLine.data(), longLine.size());
    EXPECT_EQ(errorText(parseFirmwareVersionText(longIn, parsed)), "Line too long");

    ByteInputStream nothing(nullptr, 0);
    parsed.system = { 1, 1, 1, 0 };
    ASSERT_TRUE(parseFirmwareVersionText(nothing, parsed));
    EXPECT_EQ(parsed.system, (std::array<uint8_t, 4> { 0, 0, 0, 0 }));
    EXPECT_EQ(parsed.subType, -1);
}

// ---------------------------------------------------------------------------------------

TEST(DataFileSlots, ArchiveSlotsAreCheckedPerKind)
{
    Archive archive;
    archive.presets.resize(2);
    archive.presets[0].index = 0;
    archive.presets[1].index = 127;
    archive.userCabinets.resize(1);
    archive.userCabinets[0].index = 31;
    archive.ampModels.resize(1);
    archive.ampModels[0].index = 255;
    EXPECT_TRUE(checkArchiveSlots(archive));

    archive.presets[1].index = 128;
    EXPECT_EQ(errorText(checkArchiveSlots(archive)), "Invalid preset slot %d");
    EXPECT_TRUE(checkArchiveSlots(archive, false, true, true));
    archive.userCabinets[0].index = -1; // a file's index line of "-1"
    EXPECT_EQ(errorText(checkArchiveSlots(archive, false, true, false)), "Invalid user cabinet slot %d");
    archive.ampModels[0].index = 256;
    EXPECT_EQ(errorText(checkArchiveSlots(archive, false, false, true)), "Invalid amp model slot %d");
}
