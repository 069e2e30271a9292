#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"
#include "ByteMatchers.h"
#include "PICTestHelpers.h"
#include "SimulatedBootloader.h"
#include "SimulatedHIDDevice.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
constexpr uint32_t kProgramStart = 0x1000;
constexpr uint32_t kProgramSize = 0x200;

/** Data records of 16 bytes with extended linear addresses, then the end-of-file record. */
std::vector<uint8_t> buildImage(const std::map<uint32_t, std::vector<uint8_t>>& bytesAt)
{
    std::vector<std::string> lines;
    uint32_t upper = 0;
    for (const auto& [address, bytes] : bytesAt)
    {
        for (size_t at = 0; at < bytes.size(); at += 16)
        {
            uint32_t recordAddress = address + static_cast<uint32_t>(at);
            if ((recordAddress >> 16) != upper)
            {
                upper = recordAddress >> 16;
                lines.push_back(hexRecord(4, 0, { static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper) }));
            }
            size_t count = std::min<size_t>(16, bytes.size() - at);
            lines.push_back(hexRecord(0, recordAddress & 0xFFFF,
                                      std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + count)));
        }
    }
    lines.push_back(":00000001FF");
    return hexImage(lines);
}

std::vector<uint8_t> pattern(size_t count, uint8_t seed)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

SimulatedBootloader::Config pic18Config()
{
    SimulatedBootloader::Config config;
    config.family = 1;
    config.bytesPerPacket = 56;
    config.regions = { { 1, kProgramStart, kProgramSize }, { 2, 0xF00000, 0x100 }, { 3, 0x300000, 0x0E } };
    return config;
}

const std::vector<uint8_t> kFirstRun = pattern(100, 3);
const std::vector<uint8_t> kSecondRun = pattern(8, 200);

std::vector<uint8_t> pic18Image()
{
    return buildImage({ { kProgramStart, kFirstRun },
                        { 0x1100, kSecondRun },
                        { 0x300000, { 0x11, 0x22 } },
                        { 0xF00000, { 0x33, 0x44 } } });
}

/** Fails every write of one command, for faults the HID device cannot aim at one report. */
class WriteFaultDevice : public USBDevice
{
public:
    WriteFaultDevice(USBDevice& wrapped, uint8_t failingCommand) : inner(wrapped), command(failingCommand) {}
    int read(uint8_t* buffer, size_t length, int timeoutMs) override { return inner.read(buffer, length, timeoutMs); }
    int write(const uint8_t* data, size_t length) override
    {
        return length > 1 && data[1] == command ? -1 : inner.write(data, length);
    }

private:
    USBDevice& inner;
    uint8_t command;
};

struct Bench
{
    explicit Bench(SimulatedBootloader::Config config = pic18Config())
        : bootloader(device, std::move(config))
    {
    }

    int run(const std::vector<uint8_t>& image)
    {
        return programPicDevice(hid, makeLineReader(image), [this](double value) { progress.push_back(value); });
    }

    PICLogCapture log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader bootloader;
    PICLoaderHIDDevice hid { &device };
    std::vector<double> progress;
};
} // namespace

TEST(BootloaderSequence, ProgramsAndVerifiesAnImageEndToEnd)
{
    Bench bench;
    ASSERT_EQ(bench.run(pic18Image()), kProgramSuccess);

    std::vector<uint8_t> expected(kProgramSize, 0xFF);
    std::copy(kFirstRun.begin(), kFirstRun.end(), expected.begin());
    std::copy(kSecondRun.begin(), kSecondRun.end(), expected.begin() + 0x100);
    EXPECT_BYTES_EQ(expected, bench.bootloader.flash(kProgramStart));
    EXPECT_EQ(bench.bootloader.flash(0xF00000), std::vector<uint8_t>(0x100, 0x5A)) << "EEPROM is left alone";
    EXPECT_EQ(bench.bootloader.flash(0x300000), std::vector<uint8_t>(0x0E, 0x5A)) << "configuration is left alone";
    EXPECT_TRUE(bench.bootloader.violations().empty()) << bench.bootloader.violations().front();

    // Packets of 56 addresses: data, data, gap (complete), blank (skipped), data, gap (complete),
    // then blanks to the end; ten read-backs cover the region.
    std::vector<uint8_t> commands { 0x02, 0x04, 0x02, 0x05, 0x05, 0x06, 0x05, 0x06 };
    commands.insert(commands.end(), 10, 0x07);
    commands.push_back(0x08);
    EXPECT_BYTES_EQ(commands, bench.bootloader.commands());
    EXPECT_EQ(bench.progress, (std::vector<double> { 0.0, 0.0, 2.0 / 3.0, 1.0 }));
    EXPECT_TRUE(bench.device.isUnplugged()) << "the chip leaves the bus after its reset";
}

TEST(BootloaderSequence, FamilyTwoSkipsPhantomBytesWhenVerifying)
{
    SimulatedBootloader::Config config;
    config.family = 2;
    config.bytesPerPacket = 56;
    config.regions = { { 1, 0x400, 0x104 }, { 3, 0xF80000, 0x10 } };
    Bench bench(config);

    // Instructions as the compiler writes them: three bytes and a zero phantom byte each.
    std::vector<uint8_t> code;
    for (uint8_t i = 0; i < 40; ++i)
        code.insert(code.end(), { static_cast<uint8_t>(i), static_cast<uint8_t>(0x80 | i), 0x06, 0x00 });
    auto image = buildImage({ { 0x800, code }, { 0x800 + 0x200, { 0xAA, 0xBB, 0x0C, 0x00 } } });

    ASSERT_EQ(bench.run(image), kProgramSuccess);
    auto flash = bench.bootloader.flash(0x400);
    ASSERT_EQ(flash.size(), 0x208u);
    EXPECT_EQ(std::vector<uint8_t>(flash.begin(), flash.begin() + 4), (std::vector<uint8_t> { 0x00, 0x80, 0x06, 0x00 }));
    EXPECT_EQ(std::vector<uint8_t>(flash.begin() + 0x200, flash.end() - 4),
              (std::vector<uint8_t> { 0xAA, 0xBB, 0x0C, 0x00 }))
        << "short final packet of two addresses";
    EXPECT_TRUE(bench.bootloader.violations().empty());
}

TEST(BootloaderFaults, QueryFaultsStopBeforeTheErase)
{
    const struct
    {
        const char* name;
        std::function<void(Bench&)> fault;
        int code;
        const char* logged;
        int erases;
    } cases[] = {
        { "wrong echo", [](Bench& b) { b.bootloader.setWrongReplyCommand(0x02, 0x07); }, kProgramQueryFailed, "Comm Error 3, origin at Comm.cpp:", 0 },
        { "no reply", [](Bench& b) { b.bootloader.dropRepliesTo(0x02); }, kProgramQueryTimedOut, "Comm Error 4, origin at Comm.cpp:", 0 },
        { "unplugged", [](Bench& b) { b.device.unplug(); }, kProgramQueryFailed, "", 0 },
        { "no reply once the erase has started", [](Bench& b) { b.bootloader.dropRepliesTo(0x02, 1); }, kProgramQueryTimedOut, "", 1 },
    };
    for (const auto& c : cases)
    {
        Bench bench;
        c.fault(bench);
        EXPECT_EQ(bench.run(pic18Image()), c.code) << c.name;
        EXPECT_TRUE(bench.log.contains(c.logged)) << c.name;
        EXPECT_EQ(bench.bootloader.eraseCount(), c.erases) << c.name;
        EXPECT_EQ(bench.bootloader.programPacketCount(), 0) << c.name;
    }
}

TEST(BootloaderFaults, QueryRepliesDescribingUnholdableMemoryAreRefused)
{
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        { "region of 512 MiB", queryReply(56, 2, { { 1, 0x1000, 0x0FFFFFFF } }) },
        { "region wrapping past 4 GiB", queryReply(56, 1, { { 1, 0xFFFFFF00, 0x200 } }) },
    };
    for (const auto& [name, reply] : cases)
    {
        Bench bench;
        bench.bootloader.setRawQueryReply(reply);
        EXPECT_EQ(bench.run(pic18Image()), kProgramQueryFailed) << name;
        EXPECT_TRUE(bench.log.contains("Query reply describes memory that cannot be programmed")) << name;
        EXPECT_EQ(bench.bootloader.eraseCount(), 0) << name;
    }

    Bench changed;
    auto afterErase = pic18Config();
    afterErase.regions[0].size = 0x100;
    changed.bootloader.setConfigAfterErase(afterErase);
    EXPECT_EQ(changed.run(pic18Image()), kProgramQueryFailed);
    EXPECT_TRUE(changed.log.contains("Device description changed after erase"));
    EXPECT_EQ(changed.bootloader.programPacketCount(), 0);
}

TEST(BootloaderFaults, RejectedImageLeavesTheChipUntouched)
{
    Bench bench;
    auto image = pic18Image();
    image[5] = 'X';
    Result result = programHexImage(bench.hid, image, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.error, "PIC update failed!");
    EXPECT_TRUE(bench.log.contains("PIC programming ended with code 4"));
    EXPECT_EQ(bench.bootloader.eraseCount(), 0);

    Bench outside;
    EXPECT_EQ(outside.run(buildImage({ { 0x8000, { 1, 2, 3 } } })), kProgramImageRejected);
    EXPECT_EQ(outside.bootloader.eraseCount(), 0);
}

TEST(BootloaderFaults, UnplugWhileProgrammingFailsTheProgramStep)
{
    Bench bench;
    bench.bootloader.unplugAfterProgramPackets(2);
    Result result = programHexImage(bench.hid, pic18Image(), nullptr);
    EXPECT_STREQ(result.error, "PIC update failed!");
    EXPECT_TRUE(bench.log.contains("Programming failed"));
    EXPECT_TRUE(bench.log.contains("Error during program sending packet with address: 0x1070"));
    EXPECT_EQ(bench.bootloader.resetCount(), 0);
}

TEST(BootloaderFaults, ReadBackFaultsFailTheVerify)
{
    {
        Bench bench;
        bench.bootloader.corruptReadBackAt(0x1005);
        EXPECT_EQ(bench.run(pic18Image()), kProgramFailed);
        EXPECT_TRUE(bench.log.contains("Failed verify at address 0x1005"));
        char expected[64];
        std::snprintf(expected, sizeof(expected), "Device: 0x%x Hex: 0x%x", static_cast<uint8_t>(~kFirstRun[5]), kFirstRun[5]);
        EXPECT_TRUE(bench.log.contains(expected));
        EXPECT_EQ(bench.bootloader.resetCount(), 0) << "a failed update stays in the bootloader";
        EXPECT_EQ(bench.progress, (std::vector<double> { 0.0, 0.0, 2.0 / 3.0 }));
    }
    {
        Bench bench;
        bench.bootloader.dropRepliesTo(0x07, 3);
        EXPECT_EQ(bench.run(pic18Image()), kProgramFailed);
        EXPECT_TRUE(bench.log.contains("Error reading device."));
    }
    {
        Bench bench;
        bench.bootloader.setWrongReplyCommand(0x07, 0x02);
        bench.bootloader.setGetDataReplySize(0);
        EXPECT_EQ(bench.run(pic18Image()), kProgramFailed);
        EXPECT_TRUE(bench.log.contains("Error reading device."));
    }
}

TEST(BootloaderFaults, FailedEraseOrResetWriteGivesItsCode)
{
    {
        Bench bench;
        WriteFaultDevice failing(bench.hid, 0x04);
        EXPECT_EQ(programPicDevice(failing, makeLineReader(pic18Image()), nullptr), kProgramFailed);
        EXPECT_TRUE(bench.log.contains("Erase failed"));
        EXPECT_EQ(bench.bootloader.eraseCount(), 0);
    }
    {
        Bench bench;
        WriteFaultDevice failing(bench.hid, 0x08);
        EXPECT_EQ(programPicDevice(failing, makeLineReader(pic18Image()), nullptr), kProgramQueryFailed);
        EXPECT_EQ(bench.bootloader.resetCount(), 0);
        EXPECT_TRUE(bench.bootloader.violations().empty());
    }
}
