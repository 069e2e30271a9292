#include "HexImport.h"
#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"
#include "PICTestHelpers.h"
#include "Protocol/ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
/** Regions given as {type, start, end}; bytes per address as the family has them. */
DeviceDescription describe(uint32_t family, std::vector<MemoryRegion> regions)
{
    DeviceDescription description;
    description.family = family;
    description.bytesPerAddressFlash = description.bytesPerAddressConfig = family == 2 ? 2 : 1;
    for (MemoryRegion& region : regions)
        region.sizeBytes = (region.end - region.start) * (region.type == 2 ? 1 : description.bytesPerAddressFlash);
    description.regions = regions;
    return description;
}

const DeviceDescription kPIC18 = describe(1, { { 1, 0x100, 0x200 }, { 2, 0xF00000, 0xF00100 }, { 3, 0x300000, 0x30000E } });
const std::string kEnd = ":00000001FF\n";

/** Bytes expected in one block from one offset on. */
struct Stored
{
    size_t block, offset;
    std::vector<uint8_t> bytes;
};
} // namespace

TEST(HexImport, RecordsLandAtTheirAddressesOrAreDropped)
{
    const DeviceDescription high = describe(1, { { 1, 0x10000, 0x10100 } });
    const struct
    {
        const char* name;
        std::string image;
        DeviceDescription description;
        int code;
        bool configFound;
        std::vector<Stored> stored;
    } cases[] = {
        { "each region", ":10010000214601360121470136007EFE09D2190140\n:0200000400F00A\n:0200100055AAEF\n"
                         ":020000040030CA\n:020002001E08D6\n" + kEnd, kPIC18, 0, true,
          { { 0, 0, { 0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01, 0x36, 0x00, 0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01, 0xFF } },
            { 1, 0x0F, { 0xFF, 0x55, 0xAA, 0xFF } }, { 2, 1, { 0xFF, 0x1E, 0x08, 0xFF } } } },
        { "extended linear address", ":020000040001F9\n" + hexRecord(0, 0x10, { 0xAB, 0xCD }) + "\n" + kEnd, high, 0, false,
          { { 0, 0x0F, { 0xFF, 0xAB, 0xCD, 0xFF } } } },
        { "extended segment address", hexRecord(2, 0, { 0x10, 0x00 }) + "\n" + hexRecord(0, 0x20, { 0x77 }) + "\n" + kEnd, high,
          0, false, { { 0, 0x20, { 0x77 } } } },
        { "a later extended address replaces the earlier one",
          ":020000040001F9\n" + hexRecord(2, 0, { 0x00, 0x10 }) + "\n" + hexRecord(0, 0xF0, { 0x66 }) + "\n" + kEnd, kPIC18, 0,
          false, { { 0, 0xF0, { 0x66 } } } },
        { "two bytes per address", hexRecord(0, 0x803, { 1, 2, 3 }) + "\n" + kEnd, describe(2, { { 1, 0x400, 0x404 } }), 0,
          false, { { 0, 0, { 0xFF, 0xFF, 0xFF, 1, 2, 3, 0xFF, 0xFF } } } },
        { "record crossing a region's end", hexRecord(0, 0x1FE, { 1, 2, 3, 4 }) + "\n" + kEnd, kPIC18, 0, false,
          { { 0, 0xFE, { 1, 2 } }, { 1, 0, { 0xFF } } } },
        { "start address records and what follows the end",
          hexRecord(3, 0, { 0, 0, 1, 0 }) + "\n" + hexRecord(5, 0, { 0, 0, 1, 0 }) + "\n" + hexRecord(0, 0x100, { 0x99 })
              + "\n" + kEnd + "garbage\n", kPIC18, 0, false, { { 0, 0, { 0x99, 0xFF } } } },
        { "lower case, trailing blanks, CRLF and an unterminated end record",
          ":0101000042bc\r\n:0101010043BA \t\r\n:00000001FF", kPIC18, 0, false, { { 0, 0, { 0x42, 0x43 } } } },
        { "outside every region", hexRecord(0, 0, { 1, 2, 3 }) + "\n" + hexRecord(0, 0x400, { 4 }) + "\n" + kEnd, kPIC18, 2,
          false, {} },
        { "region at address 0", hexRecord(0, 0, { 1, 2, 3 }) + "\n" + kEnd, describe(1, { { 1, 0, 0x100 } }), 2, false,
          { { 0, 0, { 0xFF, 0xFF, 0xFF } } } },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes(c.image.begin(), c.image.end());
        std::vector<HexBlock> blocks;
        bool configFound = !c.configFound;
        ASSERT_EQ(importHexFile(makeLineReader(bytes), c.description, blocks, configFound), c.code);
        EXPECT_EQ(configFound, c.configFound);
        ASSERT_EQ(blocks.size(), c.description.regions.size());
        for (size_t i = 0; i < blocks.size(); ++i)
        {
            EXPECT_EQ(blocks[i].region, c.description.regions[i]);
            EXPECT_EQ(blocks[i].data.size(), c.description.regions[i].sizeBytes);
        }
        for (const Stored& s : c.stored)
            EXPECT_EQ(std::vector<uint8_t>(blocks[s.block].data.begin() + long(s.offset),
                                           blocks[s.block].data.begin() + long(s.offset + s.bytes.size())),
                      s.bytes)
                << "block " << s.block << " offset " << s.offset;
    }
}

TEST(HexImport, MalformedImagesAndFailingReadersAreRejected)
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
    {
        const std::vector<uint8_t> bytes(image.begin(), image.end());
        std::vector<HexBlock> blocks;
        bool configFound = false;
        EXPECT_EQ(importHexFile(makeLineReader(bytes), kPIC18, blocks, configFound), kHexMalformed) << name;
    }

    std::vector<HexBlock> blocks;
    bool configFound = true;
    EXPECT_EQ(importHexFile([](std::string&, bool&) { return false; }, kPIC18, blocks, configFound), kHexReadFailed);
    EXPECT_FALSE(configFound);
    EXPECT_EQ(blocks.size(), 3u);
}

// An image written by GNU objcopy, a HEX writer this project did not write: extended linear
// address records where the data crosses 64 KiB, a record cut short there, an odd last record,
// a start address record and CRLF line ends. Made at test time; skipped without binutils.
TEST(HexImport, ObjcopyImageProgramsEveryByteAtItsAddress)
{
    if (std::system("objcopy --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "objcopy (binutils) is not installed";
    std::vector<uint8_t> binary(0x2FB);
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = uint8_t(i * 37 + 11);
    const std::string base = ::testing::TempDir() + "objcopy-" + std::to_string(::getpid());
    std::ofstream(base + ".bin", std::ios::binary).write(reinterpret_cast<const char*>(binary.data()), long(binary.size()));
    ASSERT_EQ(std::system(("objcopy -I binary -O ihex --change-addresses 0x10FF03 '" + base + ".bin' '" + base + ".hex'").c_str()), 0);
    std::ifstream in(base + ".hex", std::ios::binary);
    const std::string hex((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove((base + ".bin").c_str());
    std::remove((base + ".hex").c_str());
    ASSERT_NE(hex.find(":020000040011E9\r\n"), std::string::npos) << "the image crosses 64 KiB";

    const SimulatedBootloader::Config chip { 1, 56, { { 1, 0x10FE00, 0x600 } } };
    {
        CapturedLog log;
        SimulatedHIDDevice device { 0x04D8, 0x003C };
        SimulatedBootloader bootloader(device, chip);
        PICLoaderHIDDevice hid(&device);
        ASSERT_TRUE(programHexImage(hid, std::vector<uint8_t>(hex.begin(), hex.end()), nullptr).ok);
        std::vector<uint8_t> expected(0x600, 0xFF);
        std::copy(binary.begin(), binary.end(), expected.begin() + 0x103);
        EXPECT_EQ(bootloader.flash(0x10FE00), expected);
        EXPECT_TRUE(bootloader.violations().empty());
    }

    // One damaged line in the middle rejects the whole image before anything is erased.
    std::istringstream lines(hex);
    std::string text, line;
    for (int number = 1; std::getline(lines, line); ++number)
        text += (number == 11 ? line.substr(0, 20) : line) + "\n";
    CapturedLog log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader bootloader(device, chip);
    PICLoaderHIDDevice hid(&device);
    EXPECT_EQ(errorText(programHexImage(hid, std::vector<uint8_t>(text.begin(), text.end()), nullptr)), "PIC update failed!");
    EXPECT_TRUE(log.contains("Malformed HEX record at line 11"));
    EXPECT_EQ(bootloader.eraseCount(), 0);
}
