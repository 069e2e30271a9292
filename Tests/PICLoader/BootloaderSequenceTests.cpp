#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"
#include "ByteMatchers.h"
#include "PICTestHelpers.h"
#include "Protocol/ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

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

/** 3, 10, 17 ...: bytes that differ from their neighbours. */
std::vector<uint8_t> run(size_t count, uint8_t first)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(first + i * 7);
    return bytes;
}

// A PIC18-like chip: program memory of 0x200 addresses at 0x1000, EEPROM and configuration.
const SimulatedBootloader::Config kChip { 1, 56, { { 1, 0x1000, 0x200 }, { 2, 0xF00000, 0x100 }, { 3, 0x300000, 0x0E } } };
const auto kImage = buildImage({ { 0x1000, run(100, 3) }, { 0x1100, run(8, 200) }, { 0x300000, { 0x11, 0x22 } },
                                 { 0xF00000, { 0x33, 0x44 } } });

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
} // namespace

TEST(BootloaderSequence, ProgramsVerifiesAndResetsAnImage)
{
    Bench bench;
    std::vector<double> progress;
    const Result result = programHexImage(bench.hid, kImage, [&](double value) { progress.push_back(value); });
    ASSERT_TRUE(result.ok) << errorText(result);

    std::vector<uint8_t> expected(0x200, 0xFF);
    const auto first = run(100, 3), second = run(8, 200);
    std::copy(first.begin(), first.end(), expected.begin());
    std::copy(second.begin(), second.end(), expected.begin() + 0x100);
    EXPECT_BYTES_EQ(expected, bench.bootloader.flash(0x1000));
    EXPECT_EQ(bench.bootloader.flash(0xF00000), std::vector<uint8_t>(0x100, 0x5A)) << "EEPROM is left alone";
    EXPECT_EQ(bench.bootloader.flash(0x300000), std::vector<uint8_t>(0x0E, 0x5A)) << "configuration is left alone";
    EXPECT_TRUE(bench.bootloader.violations().empty()) << bench.bootloader.violations().front();

    // Packets of 56 addresses: data, data, gap (complete), blank (skipped), data, gap (complete),
    // then blanks to the end; ten read-backs cover the region.
    std::vector<uint8_t> commands { 0x02, 0x04, 0x02, 0x05, 0x05, 0x06, 0x05, 0x06 };
    commands.insert(commands.end(), 10, 0x07);
    commands.push_back(0x08);
    EXPECT_BYTES_EQ(commands, bench.bootloader.commands());
    EXPECT_EQ(progress, (std::vector<double> { 0.0, 0.0, 2.0 / 3.0, 1.0 }));
    EXPECT_TRUE(bench.device.isUnplugged()) << "the chip leaves the bus after its reset";
}

TEST(BootloaderSequence, FamilyTwoNeverComparesPhantomBytes)
{
    const SimulatedBootloader::Config chip { 2, 56, { { 1, 0x400, 0x104 }, { 3, 0xF80000, 0x10 } } };
    // Three instruction bytes and a phantom byte each; the chip keeps no phantom byte.
    std::vector<uint8_t> code;
    for (uint8_t i = 0; i < 40; ++i)
        code.insert(code.end(), { i, uint8_t(0x80 | i), 0x06, 0xA5 });
    const auto image = buildImage({ { 0x800, code }, { 0x800 + 0x200, { 0xAA, 0xBB, 0x0C, 0x00 } } });

    Bench bench(chip);
    ASSERT_EQ(bench.run(image), kProgramSuccess);
    const auto flash = bench.bootloader.flash(0x400);
    ASSERT_EQ(flash.size(), 0x208u);
    EXPECT_BYTES_EQ((std::vector<uint8_t> { 0x00, 0x80, 0x06, 0x00, 0x01, 0x81, 0x06, 0x00 }),
                    std::vector<uint8_t>(flash.begin(), flash.begin() + 8));
    EXPECT_BYTES_EQ((std::vector<uint8_t> { 0xAA, 0xBB, 0x0C, 0x00, 0xFF, 0xFF, 0xFF, 0x00 }),
                    std::vector<uint8_t>(flash.begin() + 0x200, flash.end()))
        << "short final packet of two addresses";
    EXPECT_TRUE(bench.bootloader.violations().empty());

    Bench corrupt(chip);
    corrupt.bootloader.corruptReadBackAt(0x402);
    EXPECT_EQ(corrupt.run(image), kProgramFailed);
    EXPECT_TRUE(corrupt.log.contains("Device: 0x81fe Hex: 0x8101"));
    EXPECT_TRUE(corrupt.log.contains("Failed verify at address 0x402"));
}

TEST(BootloaderSequence, EachFailingStepEndsWithItsCodeAndGoesNoFurther)
{
    using Fault = std::function<void(Bench&)>;
    auto query = [](std::vector<uint8_t> reply) { return [reply](Bench& b) { b.bootloader.setRawQueryReply(reply); }; };
    auto smaller = kChip;
    smaller.regions[0].size = 0x100;
    const struct
    {
        const char* name;
        Fault fault;
        int code, erases, programPackets, resets;
        std::vector<double> progress;
        std::vector<const char*> logged;
        std::vector<uint8_t> image = kImage;
    } cases[] = {
        { "none", nullptr, 0, 1, 3, 1, { 0, 0, 2.0 / 3, 1 }, { "Verifying Device's Program Memory..." } },
        { "query answered with another echo", [](Bench& b) { b.bootloader.setWrongReplyCommand(0x02, 0x07); },
          2, 0, 0, 0, { 0 }, { "Comm Error 3, origin at Comm.cpp:" } },
        { "query not answered", [](Bench& b) { b.bootloader.dropRepliesTo(0x02); }, 3, 0, 0, 0, { 0 }, { "Comm Error 4" } },
        { "unplugged", [](Bench& b) { b.device.unplug(); }, 2, 0, 0, 0, { 0 }, { "Comm Error 2" } },
        { "query after the erase not answered", [](Bench& b) { b.bootloader.dropRepliesTo(0x02, 1); }, 3, 1, 0, 0, { 0, 0 },
          { "Erasing Device... (no status update until complete, may take several seconds)" } },
        { "region of 512 MiB", query(queryReply(56, 2, { { 1, 0x1000, 0x0FFFFFFF } })), 2, 0, 0, 0, { 0 },
          { "Query reply describes memory that cannot be programmed" } },
        { "region wrapping past 4 GiB", query(queryReply(56, 1, { { 1, 0xFFFFFF00, 0x200 } })), 2, 0, 0, 0, { 0 },
          { "cannot be programmed" } },
        { "regions of 16 MiB and a byte",
          query(queryReply(56, 1, { { 1, 0x1000, 0x200 }, { 2, 0x100000, 0xFFFE01 } })), 2, 0, 0, 0, { 0 },
          { "cannot be programmed" } },
        { "regions of 16 MiB", query(queryReply(56, 1, { { 1, 0x1000, 0x200 }, { 2, 0x100000, 0xFFFE00 } })),
          0, 1, 3, 1, { 0, 0, 2.0 / 3, 1 }, {} },
        { "packet below a word", query(queryReply(3, 3, { { 1, 0x1000, 0x200 } })), 2, 0, 0, 0, { 0 },
          { "Query reply gives a packet of 3 bytes, less than a word" } },
        { "description changed by the erase", [&](Bench& b) { b.bootloader.setConfigAfterErase(smaller); }, 2, 1, 0, 0,
          { 0, 0 }, { "Device description changed after erase" } },
        { "malformed image", nullptr, 4, 0, 0, 0, { 0 }, { "Malformed HEX record at line 1" }, hexImage({ ":0001" }) },
        { "image outside every region", nullptr, 4, 0, 0, 0, { 0 }, {}, buildImage({ { 0x8000, { 1, 2, 3 } } }) },
        { "erase not sent", [](Bench& b) { b.device.failWriteAt(2); }, 1, 0, 0, 0, { 0, 0 }, { "Erase failed" } },
        { "unplugged while programming", [](Bench& b) { b.bootloader.unplugAfterProgramPackets(2); }, 1, 1, 2, 0, { 0, 0 },
          { "Error during program sending packet with address: 0x1070", "Programming failed" } },
        { "read-back differs", [](Bench& b) { b.bootloader.corruptReadBackAt(0x1005); }, 1, 1, 3, 0, { 0, 0, 2.0 / 3 },
          { "Device: 0xd9 Hex: 0x26", "Failed verify at address 0x1005" } },
        { "read-back not answered", [](Bench& b) { b.bootloader.dropRepliesTo(0x07, 3); }, 1, 1, 3, 0, { 0, 0, 2.0 / 3 },
          { "Comm::GetData: Error reading packet with address: 0x10a8", "Error reading device." } },
        { "read-back of no data", [](Bench& b) { b.bootloader.setGetDataReplySize(0); }, 1, 1, 3, 0, { 0, 0, 2.0 / 3 },
          { "Error reading device." } },
        { "reset not sent", [](Bench& b) { b.device.failWriteAt(19); }, 2, 1, 3, 0, { 0, 0, 2.0 / 3 },
          { "Sending Reset Command..." } },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Bench bench;
        if (c.fault)
            c.fault(bench);
        EXPECT_EQ(bench.run(c.image), c.code);
        EXPECT_EQ(bench.bootloader.eraseCount(), c.erases);
        EXPECT_EQ(bench.bootloader.programPacketCount(), c.programPackets);
        EXPECT_EQ(bench.bootloader.resetCount(), c.resets);
        EXPECT_EQ(bench.progress, c.progress);
        for (const char* text : c.logged)
            EXPECT_TRUE(bench.log.contains(text)) << text;
    }

    Bench failing;
    EXPECT_EQ(errorText(programHexImage(failing.hid, hexImage({ ":0001" }), nullptr)), "PIC update failed!");
}
