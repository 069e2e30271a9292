#include "Comm.h"
#include "PICLoaderHIDDevice.h"
#include "ByteMatchers.h"
#include "PICTestHelpers.h"
#include "SimulatedBootloader.h"
#include "SimulatedHIDDevice.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
constexpr uint16_t kVendor = 0x04D8;
constexpr uint16_t kBootloaderProduct = 0x003C;

std::vector<uint8_t> counting(size_t count, uint8_t first = 1)
{
    std::vector<uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

struct CommBench
{
    SimulatedHIDDevice device { kVendor, kBootloaderProduct };
    PICLoaderHIDDevice hid { &device };
    Comm comm { hid };
    PICLogCapture log;

    std::vector<std::vector<uint8_t>> reports() const { return device.writtenReports(); }
};

SimulatedBootloader::Config chip(uint8_t family, uint32_t start, uint32_t size)
{
    SimulatedBootloader::Config config;
    config.family = family;
    config.bytesPerPacket = 56;
    config.regions = { { 1, start, size } };
    return config;
}
} // namespace

TEST(PICCommReports, EveryCommandHasItsExactReportBytes)
{
    CommBench bench;
    SimulatedBootloader bootloader(bench.device, chip(1, 0x1000, 60));

    DeviceDescription description;
    ASSERT_EQ(bench.comm.Query(description), kCommSuccess);
    ASSERT_EQ(bench.comm.Erase(), kCommSuccess);
    auto data = counting(60);
    ASSERT_EQ(bench.comm.Program(0x1000, 56, 1, 2, 1, 0x1000 + 60, data.data(), data.size()), kCommSuccess);
    std::vector<uint8_t> readBack(60);
    ASSERT_EQ(bench.comm.GetData(0x1000, 56, 1, 2, 0x1000 + 60, readBack.data(), readBack.size()), kCommSuccess);
    ASSERT_EQ(bench.comm.ResetDevice(), kCommSuccess);

    // A full packet fills the data field; the short last one sits at the end of the report.
    auto full = outputReport({ 0x05, 0x00, 0x10, 0x00, 0x00, 56 });
    std::copy(data.begin(), data.begin() + 56, full.begin() + 9);
    auto last = outputReport({ 0x05, 0x38, 0x10, 0x00, 0x00, 4 });
    std::copy(data.begin() + 56, data.end(), last.end() - 4);
    const std::vector<std::vector<uint8_t>> expected {
        outputReport({ 0x02 }),
        outputReport({ 0x04 }),
        full,
        last,
        outputReport({ 0x06 }),
        outputReport({ 0x07, 0x00, 0x10, 0x00, 0x00, 56 }),
        outputReport({ 0x07, 0x38, 0x10, 0x00, 0x00, 4 }),
        outputReport({ 0x08 }),
    };
    auto written = bench.reports();
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_BYTES_EQ(expected[i], written[i]) << "report " << i;
    EXPECT_EQ(readBack, data);
    EXPECT_TRUE(bootloader.violations().empty());
    EXPECT_TRUE(bench.log.contains("Preparing short packet of final program data with payload: 0x4"));
}

TEST(PICCommReports, ShortPacketOfPartWordIsCompletedWithBlankBytesAfterTheData)
{
    CommBench bench;
    auto data = counting(6, 0x10);
    // Family 3: 4-byte words, one byte per address; six bytes become two words.
    ASSERT_EQ(bench.comm.Program(0x3000, 56, 1, 4, 3, 0x3006, data.data(), data.size()), kCommSuccess);

    auto expected = outputReport({ 0x05, 0x00, 0x30, 0x00, 0x00, 8 });
    std::copy(data.begin(), data.end(), expected.end() - 8);
    expected[63] = 0xFF;
    expected[64] = 0xFF;
    ASSERT_GE(bench.reports().size(), 1u);
    EXPECT_BYTES_EQ(expected, bench.reports()[0]);
}

TEST(PICCommReports, PacketSizeAboveTheDataFieldIsUsedAsFiftyEight)
{
    CommBench bench;
    std::vector<uint8_t> data(70, 0x11);
    ASSERT_EQ(bench.comm.Program(0x100, 64, 1, 2, 1, 0x100 + 70, data.data(), data.size()), kCommSuccess);
    auto written = bench.reports();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0][6], 58);
    EXPECT_EQ(written[1][6], 12);
    EXPECT_EQ(written[1][2], 0x3A) << "second packet starts 58 addresses on";
}

TEST(PICProgramPackets, BlankPacketsAreSkippedAndCloseARunOfData)
{
    CommBench bench;
    // A region of only blank bytes: nothing but the closing program complete.
    std::vector<uint8_t> blank(112, 0xFF);
    ASSERT_EQ(bench.comm.Program(0x1000, 56, 1, 2, 1, 0x1000 + 112, blank.data(), blank.size()), kCommSuccess);
    ASSERT_EQ(bench.reports().size(), 1u);
    EXPECT_BYTES_EQ(outputReport({ 0x06 }), bench.reports()[0]);
    EXPECT_TRUE(bench.log.contains("Skipping data packet with all 0xFF with address: 0x1038"));

    // Data, then two blank packets: one complete marks the gap, the second sends nothing.
    bench.device.clearWrittenReports();
    std::vector<uint8_t> data(168, 0xFF);
    std::fill(data.begin(), data.begin() + 56, 0x42);
    ASSERT_EQ(bench.comm.Program(0x2000, 56, 1, 2, 1, 0x2000 + 168, data.data(), data.size()), kCommSuccess);
    auto written = bench.reports();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0][1], 0x05);
    EXPECT_BYTES_EQ(outputReport({ 0x06, 0x38, 0x20, 0x00, 0x00, 0x00 }), written[1]);
    EXPECT_TRUE(bench.log.contains("Sending program complete data packet to skip a packet with address: 0x2038"));
}

TEST(PICProgramPackets, FamilyTwoPhantomBytesDoNotMakeAPacketWorthSending)
{
    CommBench bench;
    std::vector<uint8_t> data(56, 0xFF);
    for (size_t i = 3; i < data.size(); i += 4)
        data[i] = 0x00;
    ASSERT_EQ(bench.comm.Program(0x400, 56, 2, 4, 2, 0x400 + 28, data.data(), data.size()), kCommSuccess);
    ASSERT_EQ(bench.reports().size(), 1u);
    EXPECT_EQ(bench.reports()[0][1], 0x06);

    // The same bytes on another family are data.
    bench.device.clearWrittenReports();
    ASSERT_EQ(bench.comm.Program(0x400, 56, 1, 4, 3, 0x400 + 56, data.data(), data.size()), kCommSuccess);
    EXPECT_EQ(bench.reports()[0][1], 0x05);
}

TEST(PICProgramPackets, BadArgumentsAreRefusedBeforeAnythingIsSent)
{
    CommBench bench;
    std::vector<uint8_t> data(16, 0);
    EXPECT_EQ(bench.comm.Program(0x10, 56, 1, 2, 1, 0x20, nullptr, 0), kCommFailure);
    EXPECT_EQ(bench.comm.Program(0x10, 56, 0, 2, 1, 0x20, data.data(), data.size()), kCommFailure);
    EXPECT_EQ(bench.comm.Program(0x10, 56, 1, 0, 1, 0x20, data.data(), data.size()), kCommFailure);
    EXPECT_EQ(bench.comm.Program(0x20, 56, 1, 2, 1, 0x10, data.data(), data.size()), kCommFailure);
    EXPECT_EQ(bench.comm.Program(0x10, 56, 1, 2, 1, 0x21, data.data(), data.size()), kCommFailure)
        << "range longer than the data";
    EXPECT_EQ(bench.comm.Program(0x10, 3, 1, 4, 3, 0x20, data.data(), data.size()), kCommFailure)
        << "packet smaller than one word would never advance";
    EXPECT_EQ(bench.comm.Program(0x10, 56, 1, 2, 1, 0x10, nullptr, 0), kCommSuccess) << "empty range";
    EXPECT_TRUE(bench.reports().empty());
    EXPECT_TRUE(bench.log.contains("Comm Error 2, origin at Comm.cpp:"));
}

TEST(PICCommCodes, WriteResultsMapToCodes)
{
    CommBench bench;
    auto report = outputReport({ 0x08 });
    bench.device.setWriteResult(-1);
    EXPECT_EQ(bench.comm.SendPacket(report.data(), 65), kCommFailure);
    bench.device.setWriteResult(0);
    EXPECT_EQ(bench.comm.SendPacket(report.data(), 65), kCommTimeout);
    bench.device.setWriteResult(40);
    EXPECT_EQ(bench.comm.SendPacket(report.data(), 65), kCommFailure) << "a partial report is no command";
    bench.device.clearWriteResult();
    EXPECT_EQ(bench.comm.SendPacket(report.data(), 65), kCommSuccess);
    EXPECT_TRUE(bench.log.contains("Comm Error 4, origin at Comm.cpp:"));
}

// Silence and the sequence's own codes are pinned end to end in the bootloader sequence tests.
TEST(PICCommCodes, QueryCodesForWrongEchoReadErrorAndUnplug)
{
    {
        CommBench bench;
        SimulatedBootloader bootloader(bench.device, chip(1, 0x1000, 8));
        bootloader.setWrongReplyCommand(0x02, 0x07);
        DeviceDescription description;
        description.family = 99;
        EXPECT_EQ(bench.comm.Query(description), kCommWrongReply);
        EXPECT_EQ(description.family, 99u) << "a wrong reply leaves the description alone";
    }
    {
        CommBench bench;
        bench.device.failNextRead(-1);
        DeviceDescription description;
        EXPECT_EQ(bench.comm.Query(description), kCommFailure);
    }
    {
        CommBench bench;
        bench.device.unplug();
        DeviceDescription description;
        EXPECT_EQ(bench.comm.Query(description), kCommFailure);
        EXPECT_EQ(bench.comm.Erase(), kCommFailure);
        EXPECT_TRUE(bench.log.contains("Comm Error check at Comm.cpp:"));
        EXPECT_EQ(bench.comm.ResetDevice(), kCommFailure);
    }
}

TEST(PICGetData, ReadsInPacketsOfWholeAddresses)
{
    CommBench bench;
    SimulatedBootloader bootloader(bench.device, chip(2, 0x800, 100));

    std::vector<uint8_t> out(200, 0xEE);
    ASSERT_EQ(bench.comm.GetData(0x800, 56, 2, 4, 0x800 + 100, out.data(), out.size()), kCommSuccess);

    // Whole addresses of two bytes each: 28 a packet, then the last 16.
    std::vector<std::vector<uint8_t>> expected;
    for (int address : { 0x800, 0x81C, 0x838 })
        expected.push_back(outputReport({ 0x07, address & 0xFF, address >> 8, 0, 0, 56 }));
    expected.push_back(outputReport({ 0x07, 0x54, 0x08, 0, 0, 32 }));
    EXPECT_EQ(bench.reports(), expected);
    EXPECT_EQ(out, bootloader.flash(0x800));
}

TEST(PICGetData, BadRepliesAndArgumentsEndTheReadWithoutOverrun)
{
    CommBench bench;
    SimulatedBootloader bootloader(bench.device, chip(1, 0x1000, 64));
    std::vector<uint8_t> out(64);

    EXPECT_EQ(bench.comm.GetData(0x1000, 56, 1, 2, 0x1040, out.data(), 63), kCommFailure) << "buffer too small";
    EXPECT_EQ(bench.comm.GetData(0x1000, 0, 1, 2, 0x1040, out.data(), out.size()), kCommFailure);
    EXPECT_EQ(bench.comm.GetData(0x1040, 56, 1, 2, 0x1000, out.data(), out.size()), kCommFailure);
    EXPECT_EQ(bench.comm.GetData(0x1000, 56, 1, 2, 0x1000, nullptr, 0), kCommSuccess) << "empty range";
    EXPECT_TRUE(bench.reports().empty());

    // A reply claiming no data would otherwise ask for the same packet for ever.
    bootloader.setGetDataReplySize(0);
    EXPECT_EQ(bench.comm.GetData(0x1000, 56, 1, 2, 0x1040, out.data(), out.size()), kCommFailure);
    EXPECT_EQ(bench.reports().size(), 1u);

    // A reply claiming more than was asked for is out of step with the request.
    for (int claimed : { 57, 58, 59, 255 })
    {
        bench.device.clearWrittenReports();
        bootloader.setGetDataReplySize(claimed);
        EXPECT_EQ(bench.comm.GetData(0x1000, 56, 1, 2, 0x1040, out.data(), out.size()), kCommFailure) << claimed;
        EXPECT_EQ(bench.reports().size(), 1u) << claimed;
    }

    bootloader.dropRepliesTo(0x07);
    EXPECT_EQ(bench.comm.GetData(0x1000, 56, 1, 2, 0x1040, out.data(), out.size()), kCommTimeout);
    EXPECT_TRUE(bench.log.contains("Comm::GetData: Error reading packet with address: 0x1000"));
}
