#include "Comm.h"
#include "PICLoaderHIDDevice.h"
#include "ByteMatchers.h"
#include "PICTestHelpers.h"
#include "Protocol/ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"

#include <gtest/gtest.h>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
struct CommBench
{
    explicit CommBench(SimulatedBootloader::Config chip = { 1, 56, { { 1, 0x1000, 64 } } }) : bootloader(device, chip) {}

    CapturedLog log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader bootloader;
    PICLoaderHIDDevice hid { &device };
    Comm comm { hid };
};

/** An output report: command, u32 address, size; a program report's payload (its last `size`
    bytes) holds `count` bytes of data from `from`, then blank (0xFF) bytes. */
struct Report
{
    int command;
    uint32_t address = 0;
    int size = 0;
    size_t from = 0, count = 0;
};

void expectReports(const std::vector<Report>& expected, const std::vector<uint8_t>& data, const CommBench& bench)
{
    const auto written = bench.device.writtenReports();
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        const Report& r = expected[i];
        std::vector<uint8_t> report { 0, uint8_t(r.command), uint8_t(r.address), uint8_t(r.address >> 8), uint8_t(r.address >> 16),
                                      uint8_t(r.address >> 24), uint8_t(r.size) };
        report.resize(65 - size_t(r.command == 0x05 ? r.size : 0), 0x00);
        report.insert(report.end(), data.begin() + long(r.from), data.begin() + long(r.from + r.count));
        report.resize(65, r.command == 0x05 ? 0xFF : 0x00);
        EXPECT_BYTES_EQ(report, written[i]) << "report " << i;
    }
}

/** 1, 2, 3 ... with 0xFF over each [from, to); with phantom, blank words as a family-2 compiler
    writes them instead: three 0xFF bytes and a zero phantom byte. */
std::vector<uint8_t> data(size_t count, std::vector<std::pair<size_t, size_t>> blanks = {}, bool phantom = false)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = phantom ? (i % 4 == 3 ? 0x00 : 0xFF) : uint8_t(i + 1);
    for (auto [from, to] : blanks)
        std::fill(bytes.begin() + long(from), bytes.begin() + long(to), 0xFF);
    return bytes;
}
} // namespace

TEST(PICComm, QueryEraseReadBackAndResetReports)
{
    CommBench bench({ 2, 56, { { 1, 0x800, 100 } } });
    DeviceDescription description;
    ASSERT_EQ(bench.comm.Query(description), kCommSuccess);
    ASSERT_EQ(bench.comm.Erase(), kCommSuccess);
    // 100 addresses of two bytes in 56-byte packets: 56, 56, 56 and 32 bytes.
    std::vector<uint8_t> out(200, 0xEE);
    ASSERT_EQ(bench.comm.GetData(0x800, 56, 2, 4, 0x800 + 100, out.data(), out.size()), kCommSuccess);
    ASSERT_EQ(bench.comm.ResetDevice(), kCommSuccess);
    expectReports({ { 0x02 }, { 0x04 }, { 0x07, 0x800, 56 }, { 0x07, 0x81C, 56 }, { 0x07, 0x838, 56 }, { 0x07, 0x854, 32 }, { 0x08 } },
                  {}, bench);
    EXPECT_EQ(out, bench.bootloader.flash(0x800));
}

TEST(PICComm, ProgramPacketsCarryWholeWordsAndSkipBlankOnes)
{
    const struct
    {
        const char* name;
        uint32_t packet, perAddress, perWord, family, start;
        std::vector<uint8_t> data;
        std::vector<Report> reports;
    } cases[] = {
        { "full packet, then a short one", 56, 1, 2, 1, 0x1000, data(60), { { 5, 0x1000, 56, 0, 56 }, { 5, 0x1038, 4, 56, 4 }, { 6 } } },
        { "blank region", 56, 1, 2, 1, 0x1000, data(112, { { 0, 112 } }), { { 6 } } },
        { "data, then two blank packets", 56, 1, 2, 1, 0x2000, data(168, { { 56, 168 } }), { { 5, 0x2000, 56, 0, 56 }, { 6, 0x2038 } } },
        { "blank, data, blank, data", 56, 1, 2, 1, 0x1000, data(188, { { 0, 56 }, { 112, 168 } }),
          { { 5, 0x1038, 56, 56, 56 }, { 6, 0x1070 }, { 5, 0x10A8, 20, 168, 20 }, { 6 } } },
        { "packet size above the data field", 64, 1, 2, 1, 0x100, data(70), { { 5, 0x100, 58, 0, 58 }, { 5, 0x13A, 12, 58, 12 }, { 6 } } },
        { "packet size of part words", 58, 1, 4, 3, 0x100, data(60), { { 5, 0x100, 56, 0, 56 }, { 5, 0x138, 4, 56, 4 }, { 6 } } },
        { "short packet of part words", 56, 1, 4, 3, 0x3000, data(6), { { 5, 0x3000, 8, 0, 6 }, { 6 } } },
        { "two bytes per address", 56, 2, 4, 2, 0x400, data(80), { { 5, 0x400, 56, 0, 56 }, { 5, 0x41C, 24, 56, 24 }, { 6 } } },
        { "family 2 phantom bytes", 56, 2, 4, 2, 0x400, data(56, {}, true), { { 6 } } },
        { "the same bytes on family 3", 56, 1, 4, 3, 0x400, data(56, {}, true), { { 5, 0x400, 56, 0, 56 }, { 6 } } },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CommBench bench;
        const uint32_t end = c.start + uint32_t(c.data.size() / c.perAddress);
        ASSERT_EQ(bench.comm.Program(c.start, c.packet, c.perAddress, c.perWord, c.family, end, c.data.data(), c.data.size()), 0);
        expectReports(c.reports, c.data, bench);
    }
}

TEST(PICComm, BadArgumentsAndRepliesFailWithoutSendingMore)
{
    CommBench bench;
    std::vector<uint8_t> buffer(64, 0x11);
    uint8_t* const b = buffer.data();
    Comm& comm = bench.comm;
    EXPECT_EQ(comm.SendPacket(nullptr, 65), 2);
    EXPECT_EQ(comm.ReceivePacket(nullptr, 65), 2);
    EXPECT_EQ(comm.Program(0x1000, 56, 1, 2, 1, 0x1010, nullptr, 0), 2) << "no data";
    EXPECT_EQ(comm.Program(0x1000, 56, 0, 2, 1, 0x1010, b, 64), 2) << "no bytes per address";
    EXPECT_EQ(comm.Program(0x1000, 56, 1, 0, 1, 0x1010, b, 64), 2) << "no bytes per word";
    EXPECT_EQ(comm.Program(0x1010, 56, 1, 2, 1, 0x1000, b, 64), 2) << "end before start";
    EXPECT_EQ(comm.Program(0x1000, 56, 1, 2, 1, 0x1041, b, 64), 2) << "range beyond the data";
    EXPECT_EQ(comm.Program(0x1000, 3, 1, 4, 3, 0x1010, b, 64), 2) << "packet below a word";
    EXPECT_EQ(comm.Program(0x1000, 5, 2, 1, 1, 0x1010, b, 64), 2) << "packet of part addresses";
    EXPECT_EQ(comm.GetData(0x1000, 56, 1, 2, 0x1040, b, 63), 2) << "read-back into too small a buffer";
    EXPECT_EQ(comm.GetData(0x1000, 56, 1, 2, 0x1040, nullptr, 64), 2) << "read-back without a buffer";
    EXPECT_EQ(comm.GetData(0x1000, 0, 1, 2, 0x1040, b, 64), 2) << "read-back, packet size 0";
    EXPECT_EQ(comm.GetData(0x1000, 56, 0, 2, 0x1040, b, 64), 2) << "read-back, no bytes per address";
    EXPECT_EQ(comm.GetData(0x1040, 56, 1, 2, 0x1000, b, 64), 2) << "read-back, end before start";
    EXPECT_EQ(bench.log.lines().size(), 14u) << "one error line each";
    for (const auto& line : bench.log.lines())
        EXPECT_NE(line.find("Comm Error 2, origin at Comm.cpp:"), std::string::npos) << line;
    EXPECT_EQ(comm.Program(0x1000, 56, 1, 2, 1, 0x1000, nullptr, 0), 0) << "empty range";
    EXPECT_EQ(comm.GetData(0x1000, 56, 1, 2, 0x1000, nullptr, 0), 0) << "empty read-back";
    EXPECT_TRUE(bench.device.writtenReports().empty());

    // Replies of no data, more than asked for, more than a report holds, or part addresses: one
    // request each, and nothing copied.
    for (int replySize : { 0, 57, 255, 55 })
    {
        bench.bootloader.setGetDataReplySize(replySize);
        EXPECT_EQ(comm.GetData(0x1000, 56, replySize == 55 ? 2 : 1, 4, replySize == 55 ? 0x1020 : 0x1040, b, 64), 2) << replySize;
    }
    EXPECT_EQ(bench.device.writtenReports().size(), 4u);
    EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0x11));
    bench.bootloader.setGetDataReplySize(-1);
    EXPECT_EQ(comm.GetData(0x1000, 1, 1, 2, 0x1002, b, 64), 0) << "one byte a packet";
    EXPECT_EQ(bench.device.writtenReports().size(), 6u);

    bench.bootloader.setWrongReplyCommand(0x02, 0x07);
    DeviceDescription description;
    description.family = 99;
    EXPECT_EQ(comm.Query(description), 3);
    EXPECT_EQ(description.family, 99u) << "a wrong reply leaves the description alone";
}

TEST(PICDeviceDescription, QueryReplyGivesFamilyWidthsAndRegions)
{
    using Regions = std::vector<MemoryRegion>;
    const struct
    {
        std::vector<uint8_t> reply;
        std::vector<uint32_t> fields; // family, packet, words (flash, EEPROM, config), addresses (flash, EEPROM, config)
        Regions regions;
    } cases[] = {
        { queryReply(56, 1, { { 1, 0x1000, 0x200 }, { 2, 0xF00000, 0x100 }, { 3, 0x300000, 0x0E } }), { 1, 56, 2, 1, 2, 1, 1, 1 },
          Regions { { 1, 0x1000, 0x1200, 0x200 }, { 2, 0xF00000, 0xF00100, 0x100 }, { 3, 0x300000, 0x30000E, 0x0E } } },
        { queryReply(56, 2, { { 1, 0x400, 0x1000 }, { 2, 0x7FF000, 0x400 }, { 3, 0xF80000, 0x10 } }), { 2, 56, 4, 1, 4, 2, 1, 2 },
          Regions { { 1, 0x400, 0x1400, 0x2000 }, { 2, 0x7FF000, 0x7FF400, 0x400 }, { 3, 0xF80000, 0xF80010, 0x20 } } },
        { queryReply(64, 3, { { 9, 0x1000, 0x10 }, { 1, 0x10, 0xFFFFFFFF } }), { 3, 58, 4, 1, 2, 1, 1, 1 },
          Regions { { 0, 0x1000, 0x1010, 0 }, { 1, 0x10, 0x1000000F, 0x0FFFFFFF } } },
        { queryReply(57, 7, { { 1, 0x1000, 8 }, { 1, 0x2000, 8 }, { 3, 0x3000, 8 }, { 1, 0x4000, 8 } }, false), { 7, 57, 2, 1, 2, 1, 1, 1 },
          Regions { { 1, 0x1000, 0x1008, 8 }, { 1, 0x2000, 0x2008, 8 }, { 3, 0x3000, 0x3008, 8 } } },
        { queryReply(56, 1, {}), { 1, 56, 2, 1, 2, 1, 1, 1 }, Regions {} },
    };
    for (const auto& c : cases)
    {
        const auto d = DeviceDescription::fromQueryResponse(c.reply.data());
        EXPECT_EQ((std::vector<uint32_t> { d.family, d.bytesPerPacket, d.bytesPerWordFlash, d.bytesPerWordEEPROM, d.bytesPerWordConfig,
                                           d.bytesPerAddressFlash, d.bytesPerAddressEEPROM, d.bytesPerAddressConfig }),
                  c.fields);
        EXPECT_EQ(d.regions, c.regions) << "family " << c.fields[0];
    }
}
