#include "HexImport.h"
#include "PICTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
/** A family 1 chip: one byte per address in every region. */
DeviceDescription describe(std::vector<MemoryRegion> regions)
{
    DeviceDescription description;
    description.family = 1;
    for (MemoryRegion& region : regions)
        region.sizeBytes = region.end - region.start;
    description.regions = regions;
    return description;
}

struct Import
{
    int code;
    std::vector<HexBlock> blocks;
    bool configFound;
};

Import import(const std::string& image, const DeviceDescription& description)
{
    const std::vector<uint8_t> bytes(image.begin(), image.end());
    Import result {};
    result.code = importHexFile(makeLineReader(bytes), description, result.blocks, result.configFound);
    return result;
}

const DeviceDescription kPIC18 = describe({ { 1, 0x100, 0x200, 0 }, { 2, 0xF00000, 0xF00100, 0 }, { 3, 0x300000, 0x30000E, 0 } });
const std::string kEnd = ":00000001FF\n";
} // namespace

TEST(HexImport, DataRecordsLandAtTheirAddressesInEachRegion)
{
    auto result = import(":10010000214601360121470136007EFE09D2190140\n"
                         ":0200000400F00A\n"
                         ":0200100055AAEF\n"
                         ":020000040030CA\n"
                         ":020002001E08D6\n"
                         + kEnd,
                         kPIC18);
    ASSERT_EQ(result.code, kHexImported);
    ASSERT_EQ(result.blocks.size(), 3u);
    const std::vector<uint8_t> first { 0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01,
                                       0x36, 0x00, 0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01 };
    EXPECT_EQ(std::vector<uint8_t>(result.blocks[0].data.begin(), result.blocks[0].data.begin() + 16), first);
    EXPECT_EQ(result.blocks[0].data[16], 0xFF) << "unwritten bytes stay blank";
    EXPECT_EQ(result.blocks[0].data.size(), 0x100u);
    EXPECT_EQ(result.blocks[1].data[0x10], 0x55);
    EXPECT_EQ(result.blocks[1].data[0x11], 0xAA);
    EXPECT_EQ(result.blocks[2].data[2], 0x1E);
    EXPECT_TRUE(result.configFound);
}

TEST(HexImport, ExtendedAddressesShiftLaterRecords)
{
    auto linear = import(":020000040001F9\n" + hexRecord(0, 0x0010, { 0xAB, 0xCD }) + "\n" + kEnd,
                         describe({ { 1, 0x10000, 0x10100, 0 } }));
    ASSERT_EQ(linear.code, kHexImported);
    EXPECT_EQ(linear.blocks[0].data[0x10], 0xAB) << "first byte at 0x10010";
    EXPECT_EQ(linear.blocks[0].data[0x11], 0xCD);
    EXPECT_FALSE(linear.configFound);

    auto segment = import(hexRecord(2, 0, { 0x10, 0x00 }) + "\n" + hexRecord(0, 0x0020, { 0x77 }) + "\n" + kEnd,
                          describe({ { 1, 0x10000, 0x10100, 0 } }));
    ASSERT_EQ(segment.code, kHexImported);
    EXPECT_EQ(segment.blocks[0].data[0x20], 0x77) << "segment 0x1000 x 16 = 0x10000";
}

TEST(HexImport, BytesOutsideEveryRegionOrInARegionAtZeroAreDropped)
{
    auto outside = import(hexRecord(0, 0x0000, { 1, 2, 3 }) + "\n" + hexRecord(0, 0x0400, { 4 }) + "\n" + kEnd, kPIC18);
    EXPECT_EQ(outside.code, kHexNoData);

    auto atZero = import(hexRecord(0, 0x0000, { 1, 2, 3 }) + "\n" + kEnd, describe({ { 1, 0, 0x100, 0 } }));
    EXPECT_EQ(atZero.code, kHexNoData);
    EXPECT_EQ(atZero.blocks[0].data[0], 0xFF);

    auto partly = import(hexRecord(0, 0x01FE, { 1, 2, 3, 4 }) + "\n" + kEnd, kPIC18);
    ASSERT_EQ(partly.code, kHexImported);
    EXPECT_EQ(partly.blocks[0].data[0xFE], 1);
    EXPECT_EQ(partly.blocks[0].data[0xFF], 2) << "the rest fell past the region's end";
}

TEST(HexImport, OnlyMemoryRecordsMatterAndAnythingAfterTheEndIsIgnored)
{
    auto result = import(hexRecord(3, 0, { 0x00, 0x00, 0x01, 0x00 }) + "\n" + hexRecord(5, 0, { 0x00, 0x00, 0x01, 0x00 })
                             + "\n" + hexRecord(0, 0x0100, { 0x99 }) + "\n" + kEnd + "garbage\n",
                         kPIC18);
    ASSERT_EQ(result.code, kHexImported);
    EXPECT_EQ(result.blocks[0].data[0], 0x99);
}

TEST(HexImport, EitherCaseTrailingBlanksLineEndsAndAnUnterminatedLastLineAreAccepted)
{
    for (const std::string& image : { ":0101000042bc\n" + kEnd, ":0101000042BC  \t\n" + kEnd,
                                      std::string(":0101000042BC\r\n:00000001FF\r\n"), std::string(":0101000042BC\n:00000001FF") })
        EXPECT_EQ(import(image, kPIC18).code, kHexImported) << image;
}

TEST(HexImport, MalformedRecordsRejectTheImage)
{
    const std::string good = ":0101000042BC\n";
    const std::pair<const char*, std::string> cases[] = {
        { "bad checksum", ":0101000042BD\n" + kEnd },
        { "blank line", good + "\n" + kEnd },
        { "no colon", "0101000042BC0\n" + kEnd },
        { "shorter than a record", ":01010000\n" + kEnd },
        { "count longer than the line", ":0401000042BC\n" + kEnd },
        { "odd trailing character", ":0101000042BC0\n" + kEnd },
        { "not hex", ":01010000G2BC\n" + kEnd },
        { "sign in a field", ":01010000-1BC\n" + kEnd },
        { "extended address of four bytes", hexRecord(4, 0, { 0, 1, 0, 0 }) + "\n" + good + kEnd },
        { "extended address of one byte", ":010000049962\n" + good + kEnd },
        { "unterminated end record with a bad checksum", good + ":00000001FE" },
        { "no end-of-file record", good },
        { "unterminated data line and no end", ":0101000042BC" },
    };
    for (const auto& [name, image] : cases)
        EXPECT_EQ(import(image, kPIC18).code, kHexMalformed) << name;
}

TEST(HexImport, AFailingReaderEndsWithOne)
{
    std::vector<HexBlock> blocks;
    bool configFound = true;
    ReadLine failing = [](std::string&, bool&) { return false; };
    EXPECT_EQ(importHexFile(failing, kPIC18, blocks, configFound), kHexReadFailed);
    EXPECT_FALSE(configFound);
    EXPECT_EQ(blocks.size(), 3u);
}
