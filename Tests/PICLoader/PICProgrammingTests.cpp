#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"
#include "ByteMatchers.h"
#include "PICTestHelpers.h"
#include "Protocol/ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include <unistd.h>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
/** Data records of 16 bytes with extended linear addresses, then the end-of-file record. */
std::vector<uint8_t> buildImage(const std::map<uint32_t, std::vector<uint8_t>>& bytesAt)
{
    std::vector<std::string> lines;
    uint32_t upper = 0;
    for (const auto& [address, bytes] : bytesAt)
        for (size_t at = 0; at < bytes.size(); at += 16)
        {
            const uint32_t recordAddress = address + uint32_t(at);
            if ((recordAddress >> 16) != upper)
            {
                upper = recordAddress >> 16;
                lines.push_back(hexRecord(4, 0, { uint8_t(upper >> 8), uint8_t(upper) }));
            }
            const auto first = bytes.begin() + long(at);
            lines.push_back(hexRecord(0, recordAddress & 0xFFFF, { first, first + long(std::min<size_t>(16, bytes.size() - at)) }));
        }
    lines.push_back(":00000001FF");
    return hexImage(lines);
}

/** first, first + 7, first + 14 ...: bytes that differ from their neighbours. */
std::vector<uint8_t> run(size_t count, uint8_t first)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(first + i * 7);
    return bytes;
}

// A PIC18-like chip: program memory of 0x200 addresses at 0x1000, EEPROM and configuration.
const SimulatedBootloader::Config kChip { 1, 56, { { 1, 0x1000, 0x200 }, { 2, 0xF00000, 0x100 }, { 3, 0x300000, 0x0E } } };
const auto kImage = buildImage({ { 0x1000, run(100, 3) }, { 0x1100, run(8, 200) }, { 0x300000, { 0x11, 0x22 } }, { 0xF00000, { 0x33, 0x44 } } });

struct Bench
{
    explicit Bench(SimulatedBootloader::Config config = kChip) : bootloader(device, std::move(config)) {}
    int run(const std::vector<uint8_t>& image)
    {
        return programPicDevice(hid, makeLineReader(image), [this](double value) { progress.push_back(value); });
    }

    CapturedLog log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader bootloader;
    PICLoaderHIDDevice hid { &device };
    std::vector<double> progress;
};

/** A family 1 chip, or with two bytes per program and configuration address a family 2 chip;
    regions given as {type, start, end}. */
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

int import(const std::string& image, const DeviceDescription& description, std::vector<HexBlock>& blocks, bool& configFound)
{
    const std::vector<uint8_t> bytes(image.begin(), image.end());
    return importHexFile(makeLineReader(bytes), description, blocks, configFound);
}
} // namespace

TEST(BootloaderSequence, ProgramsVerifiesAndResetsAnImage)
{
    Bench bench;
    ASSERT_TRUE(programHexImage(bench.hid, kImage, nullptr).ok);
    std::vector<uint8_t> expected(0x200, 0xFF);
    const auto first = run(100, 3), second = run(8, 200);
    std::copy(first.begin(), first.end(), expected.begin());
    std::copy(second.begin(), second.end(), expected.begin() + 0x100);
    EXPECT_BYTES_EQ(expected, bench.bootloader.flash(0x1000));
    EXPECT_EQ(bench.bootloader.flash(0xF00000), std::vector<uint8_t>(0x100, 0x5A)) << "EEPROM is left alone";
    EXPECT_EQ(bench.bootloader.flash(0x300000), std::vector<uint8_t>(0x0E, 0x5A)) << "configuration is left alone";

    // Packets of 56 addresses: data, data, gap (complete), blank (skipped), data, gap (complete),
    // then blanks to the end; ten read-backs cover the region.
    std::vector<uint8_t> commands { 0x02, 0x04, 0x02, 0x05, 0x05, 0x06, 0x05, 0x06 };
    commands.insert(commands.end(), 10, 0x07);
    commands.push_back(0x08);
    EXPECT_BYTES_EQ(commands, bench.bootloader.commands());
    EXPECT_TRUE(bench.device.isUnplugged()) << "the chip leaves the bus after its reset";
}

TEST(BootloaderSequence, EachFailingStepEndsWithItsCodeAndGoesNoFurther)
{
    auto query = [](std::vector<uint8_t> reply) { return [reply](Bench& b) { b.bootloader.setRawQueryReply(reply); }; };
    auto smaller = kChip;
    smaller.regions[0].size = 0x100;
    // Family 2: three instruction bytes and a phantom byte the chip does not keep, never compared.
    const SimulatedBootloader::Config family2 { 2, 56, { { 1, 0x400, 0x104 }, { 3, 0xF80000, 0x10 } } };
    std::vector<uint8_t> code;
    for (uint8_t i = 0; i < 40; ++i)
        code.insert(code.end(), { i, uint8_t(0x80 | i), 0x06, 0xA5 });
    const auto image2 = buildImage({ { 0x800, code }, { 0xA00, { 0xAA, 0xBB, 0x0C, 0x00 } } });
    const std::vector<double> toErase { 0, 0 }, toVerify { 0, 0, 2.0 / 3 }, all { 0, 0, 2.0 / 3, 1 };
    const struct
    {
        const char* name;
        std::function<void(Bench&)> fault;
        int code, erases, programPackets, resets;
        std::vector<double> progress;
        std::vector<const char*> logged;
        std::vector<uint8_t> image = kImage;
        SimulatedBootloader::Config chip = kChip;
    } cases[] = {
        { "none", nullptr, 0, 1, 3, 1, all, { "Verifying Device's Program Memory..." } },
        { "query answered with another echo", [](Bench& b) { b.bootloader.setWrongReplyCommand(0x02, 0x07); }, 2, 0, 0, 0, { 0 },
          { "Comm Error 3, origin at Comm.cpp:" } },
        { "query not answered", [](Bench& b) { b.bootloader.dropRepliesTo(0x02); }, 3, 0, 0, 0, { 0 }, { "Comm Error 4" } },
        { "unplugged", [](Bench& b) { b.device.unplug(); }, 2, 0, 0, 0, { 0 }, { "Comm Error 2" } },
        { "query write sends nothing", [](Bench& b) { b.device.setWriteResult(0); }, 3, 0, 0, 0, { 0 }, { "Comm Error 4" } },
        { "query written in part", [](Bench& b) { b.device.setWriteResult(40); }, 2, 0, 0, 0, { 0 }, { "Comm Error 2" } },
        { "query reply not read", [](Bench& b) { b.device.failNextRead(-1); }, 2, 0, 0, 0, { 0 }, { "Comm Error 2" } },
        { "query after the erase not answered", [](Bench& b) { b.bootloader.dropRepliesTo(0x02, 1); }, 3, 1, 0, 0, toErase,
          { "Erasing Device... (no status update until complete, may take several seconds)" } },
        { "region of 512 MiB", query(queryReply(56, 2, { { 1, 0x1000, 0x0FFFFFFF } })), 2, 0, 0, 0, { 0 },
          { "Query reply describes memory that cannot be programmed" } },
        { "region wrapping past 4 GiB", query(queryReply(56, 1, { { 1, 0xFFFFFF00, 0x200 } })), 2, 0, 0, 0, { 0 }, { "cannot be programmed" } },
        { "regions of 16 MiB and a byte", query(queryReply(56, 1, { { 1, 0x1000, 0x200 }, { 2, 0x100000, 0xFFFE01 } })), 2, 0, 0, 0, { 0 },
          { "cannot be programmed" } },
        { "regions of 16 MiB", query(queryReply(56, 1, { { 1, 0x1000, 0x200 }, { 2, 0x100000, 0xFFFE00 } })), 0, 1, 3, 1, all, {} },
        { "packet below a word", query(queryReply(3, 3, { { 1, 0x1000, 0x200 } })), 2, 0, 0, 0, { 0 },
          { "Query reply gives a packet of 3 bytes, less than a word" } },
        { "description changed by the erase", [&](Bench& b) { b.bootloader.setConfigAfterErase(smaller); }, 2, 1, 0, 0, toErase,
          { "Device description changed after erase" } },
        { "malformed image", nullptr, 4, 0, 0, 0, { 0 }, { "Malformed HEX record at line 1" }, hexImage({ ":0001" }) },
        { "image outside every region", nullptr, 4, 0, 0, 0, { 0 }, {}, buildImage({ { 0x8000, { 1, 2, 3 } } }) },
        { "erase not sent", [](Bench& b) { b.device.failWriteAt(2); }, 1, 0, 0, 0, toErase,
          { "Comm Error check at Comm.cpp:", "Erase failed" } },
        { "unplugged while programming", [](Bench& b) { b.bootloader.unplugAfterProgramPackets(2); }, 1, 1, 2, 0, toErase,
          { "Error during program sending packet with address: 0x1070", "Comm Error check at Comm.cpp:", "Programming failed" } },
        { "read-back differs", [](Bench& b) { b.bootloader.corruptReadBackAt(0x1005); }, 1, 1, 3, 0, toVerify,
          { "Device: 0xd9 Hex: 0x26", "Failed verify at address 0x1005" } },
        { "read-back not answered", [](Bench& b) { b.bootloader.dropRepliesTo(0x07, 3); }, 1, 1, 3, 0, toVerify,
          { "Comm::GetData: Error reading packet with address: 0x10a8", "Error reading device." } },
        { "reset not sent", [](Bench& b) { b.device.failWriteAt(19); }, 2, 1, 3, 0, toVerify, { "Sending Reset Command..." } },
        { "family 2", nullptr, 0, 1, 4, 1, all, {}, image2, family2 },
        { "family 2 read-back differs", [](Bench& b) { b.bootloader.corruptReadBackAt(0x402); }, 1, 1, 4, 0, toVerify,
          { "Device: 0x81fe Hex: 0x8101", "Failed verify at address 0x402" }, image2, family2 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Bench bench(c.chip);
        if (c.fault)
            c.fault(bench);
        EXPECT_EQ(bench.run(c.image), c.code);
        EXPECT_EQ(bench.bootloader.eraseCount(), c.erases);
        EXPECT_EQ(bench.bootloader.programPacketCount(), c.programPackets);
        EXPECT_EQ(bench.bootloader.resetCount(), c.resets);
        EXPECT_EQ(bench.progress, c.progress);
        for (const char* text : c.logged)
            EXPECT_TRUE(bench.log.contains(text)) << text;
        EXPECT_TRUE(bench.bootloader.violations().empty());
    }
    Bench failing;
    EXPECT_EQ(errorText(programHexImage(failing.hid, hexImage({ ":0001" }), nullptr)), "PIC update failed!");
}

TEST(HexImport, RecordsLandAtTheirAddressesOrAreDropped)
{
    // Program memory at 0x100 and at 0x10000, EEPROM and configuration; one byte per address.
    const auto chip = describe(1, { { 1, 0x100, 0x200 }, { 1, 0x10000, 0x10100 }, { 2, 0xF00000, 0xF00100 }, { 3, 0x300000, 0x30000E } });
    const std::string image = ":0101000042bc\r\n:0101010043BA \t\n" + hexRecord(3, 0, { 0, 0, 1, 0 }) + "\n" + hexRecord(5, 0, { 0, 0, 1, 0 })
                              + "\n" + hexRecord(0, 0x1FE, { 1, 2, 3, 4 }) + "\n" // crosses the region's end
                              + ":020000040001F9\n" + hexRecord(0, 0x10, { 0xAB, 0xCD }) + "\n" // 0x10010
                              + hexRecord(2, 0, { 0x10, 0x00 }) + "\n" + hexRecord(0, 0x20, { 0x77 }) + "\n" // 0x10020
                              + ":0200000400F00A\n:0200100055aaef\n:020000040030CA\n:020002001E08D6\n" // EEPROM, configuration
                              + ":020000040001F9\n" + hexRecord(2, 0, { 0x00, 0x10 }) + "\n" + hexRecord(0, 0xF0, { 0x66 }) + "\n" // 0x1F0
                              + kEnd + "garbage\n";
    std::vector<HexBlock> blocks;
    bool configFound = false;
    ASSERT_EQ(import(image, chip, blocks, configFound), kHexImported);
    EXPECT_TRUE(configFound);
    std::vector<std::vector<uint8_t>> expected { std::vector<uint8_t>(0x100, 0xFF), std::vector<uint8_t>(0x100, 0xFF),
                                                 std::vector<uint8_t>(0x100, 0xFF), std::vector<uint8_t>(0x0E, 0xFF) };
    for (auto [block, offset, value] : { std::tuple { 0, 0x00, 0x42 }, { 0, 0x01, 0x43 }, { 0, 0xF0, 0x66 }, { 0, 0xFE, 1 }, { 0, 0xFF, 2 },
                                         { 1, 0x10, 0xAB }, { 1, 0x11, 0xCD }, { 1, 0x20, 0x77 }, { 2, 0x10, 0x55 }, { 2, 0x11, 0xAA },
                                         { 3, 0x02, 0x1E }, { 3, 0x03, 0x08 } })
        expected[size_t(block)][size_t(offset)] = uint8_t(value);
    ASSERT_EQ(blocks.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(blocks[i].region == chip.regions[i] && blocks[i].data == expected[i]) << "block " << i;

    // Two bytes per program address; no byte in any region; a region at address 0 (the
    // bootloader's own reset vector) takes nothing.
    ASSERT_EQ(import(hexRecord(0, 0x803, { 1, 2, 3 }) + "\n" + kEnd, describe(2, { { 1, 0x400, 0x404 } }), blocks, configFound), 0);
    EXPECT_EQ(blocks[0].data, (std::vector<uint8_t> { 0xFF, 0xFF, 0xFF, 1, 2, 3, 0xFF, 0xFF }));
    EXPECT_EQ(import(hexRecord(0, 0, { 1, 2, 3 }) + "\n" + hexRecord(0, 0x400, { 4 }) + "\n" + kEnd, kPIC18, blocks, configFound), 2);
    EXPECT_EQ(import(hexRecord(0, 0, { 1, 2, 3 }) + "\n" + kEnd, describe(1, { { 1, 0, 0x100 } }), blocks, configFound), 2);
    EXPECT_EQ(import(":0101000042BC\n:00000001FF", kPIC18, blocks, configFound), 0) << "an unterminated end record";
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
        { "not hex", ":0101000G42BC\n" + kEnd },
        { "sign in a field", ":010100-042BC\n" + kEnd },
        { "extended address of four bytes", hexRecord(4, 0, { 0, 1, 0, 0 }) + "\n" + good + kEnd },
        { "extended address of one byte", ":010000049962\n" + good + kEnd },
        { "unterminated end record with a bad checksum", good + ":00000001FE" },
        { "no end-of-file record", good },
        { "unterminated data line and no end", ":0101000042BC" },
    };
    std::vector<HexBlock> blocks;
    bool configFound = true;
    for (const auto& [name, image] : cases)
        EXPECT_EQ(import(image, kPIC18, blocks, configFound), kHexMalformed) << name;
    const std::string lines[] = { ":0101000042BC", ":00000001FF" };
    size_t next = 0;
    EXPECT_EQ(importHexFile([&](std::string& line, bool&) { line = lines[next++]; return true; }, kPIC18, blocks, configFound), 0)
        << "a reader that leaves atEnd alone until the image ends";
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
    const std::vector<uint8_t> hex((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove((base + ".bin").c_str());
    std::remove((base + ".hex").c_str());
    ASSERT_NE(std::string(hex.begin(), hex.end()).find(":020000040011E9\r\n"), std::string::npos) << "the image crosses 64 KiB";

    Bench bench({ 1, 56, { { 1, 0x10FE00, 0x600 } } });
    ASSERT_EQ(bench.run(hex), kProgramSuccess);
    std::vector<uint8_t> expected(0x600, 0xFF);
    std::copy(binary.begin(), binary.end(), expected.begin() + 0x103);
    EXPECT_EQ(bench.bootloader.flash(0x10FE00), expected);
}
