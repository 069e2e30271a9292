#include "Comm.h"
#include "PICLoaderHIDDevice.h"
#include "ByteMatchers.h"
#include "PICTestHelpers.h"
#include "Protocol/ProtocolTestHelpers.h"
#include "SimulatedBootloader.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
struct CommBench
{
    CapturedLog log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    PICLoaderHIDDevice hid { &device };
    Comm comm { hid };
};

SimulatedBootloader::Config chip(uint8_t family, uint32_t start, uint32_t size)
{
    return { family, 56, { { 1, start, size } } };
}

/** An output report: command, u32 address, size, and at the end of the report `count` bytes of
    `data` from `from`, then 0xFF up to `size`. */
struct Report
{
    int command;
    uint32_t address = 0;
    int size = 0;
    size_t from = 0, count = 0;

    std::vector<uint8_t> bytes(const std::vector<uint8_t>& data) const
    {
        std::vector<uint8_t> report(65, 0);
        report[1] = uint8_t(command);
        for (int i = 0; i < 4; ++i)
            report[size_t(2 + i)] = uint8_t(address >> (8 * i));
        report[6] = uint8_t(size);
        if (command == 0x05)
            std::fill(report.end() - size, report.end(), 0xFF);
        std::copy(data.begin() + long(from), data.begin() + long(from + count), report.end() - size);
        return report;
    }
};

void expectReports(const std::vector<Report>& expected, const std::vector<uint8_t>& data, const CommBench& bench)
{
    const auto written = bench.device.writtenReports();
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_BYTES_EQ(expected[i].bytes(data), written[i]) << "report " << i;
}

/** 1, 2, 3 ... with 0xFF over [blankFrom, blankTo) of each listed range. */
std::vector<uint8_t> counting(size_t count, std::vector<std::pair<size_t, size_t>> blanks = {})
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(i + 1);
    for (auto [from, to] : blanks)
        std::fill(bytes.begin() + long(from), bytes.begin() + long(to), 0xFF);
    return bytes;
}

/** Blank words as a family-2 compiler writes them: three 0xFF bytes and a zero phantom byte. */
std::vector<uint8_t> phantomBlank(size_t count)
{
    std::vector<uint8_t> bytes(count, 0xFF);
    for (size_t i = 3; i < count; i += 4)
        bytes[i] = 0x00;
    return bytes;
}
} // namespace

TEST(PICComm, QueryEraseReadBackAndResetReports)
{
    CommBench bench;
    SimulatedBootloader bootloader(bench.device, chip(2, 0x800, 100));
    DeviceDescription description;
    ASSERT_EQ(bench.comm.Query(description), kCommSuccess);
    ASSERT_EQ(bench.comm.Erase(), kCommSuccess);
    // 100 addresses of two bytes, 56-byte packets: 56, 56, 56 and 32 bytes.
    std::vector<uint8_t> out(200, 0xEE);
    ASSERT_EQ(bench.comm.GetData(0x800, 56, 2, 4, 0x800 + 100, out.data(), out.size()), kCommSuccess);
    ASSERT_EQ(bench.comm.ResetDevice(), kCommSuccess);

    expectReports({ { 0x02 }, { 0x04 }, { 0x07, 0x800, 56 }, { 0x07, 0x81C, 56 }, { 0x07, 0x838, 56 }, { 0x07, 0x854, 32 },
                    { 0x08 } },
                  std::vector<uint8_t>(64, 0), bench);
    EXPECT_EQ(out, bootloader.flash(0x800));
    EXPECT_TRUE(bench.log.contains("Comm::GetData: Fetching packet with address: 0x854"));
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
        { "full packet, then a short one", 56, 1, 2, 1, 0x1000, counting(60),
          { { 5, 0x1000, 56, 0, 56 }, { 5, 0x1038, 4, 56, 4 }, { 6 } } },
        { "blank region", 56, 1, 2, 1, 0x1000, counting(112, { { 0, 112 } }), { { 6 } } },
        { "data, then two blank packets", 56, 1, 2, 1, 0x2000, counting(168, { { 56, 168 } }),
          { { 5, 0x2000, 56, 0, 56 }, { 6, 0x2038 } } },
        { "blank, data, blank, data", 56, 1, 2, 1, 0x1000, counting(188, { { 0, 56 }, { 112, 168 } }),
          { { 5, 0x1038, 56, 56, 56 }, { 6, 0x1070 }, { 5, 0x10A8, 20, 168, 20 }, { 6 } } },
        { "packet size above the data field", 64, 1, 2, 1, 0x100, counting(70),
          { { 5, 0x100, 58, 0, 58 }, { 5, 0x13A, 12, 58, 12 }, { 6 } } },
        { "packet size of part words", 58, 1, 4, 3, 0x100, counting(60),
          { { 5, 0x100, 56, 0, 56 }, { 5, 0x138, 4, 56, 4 }, { 6 } } },
        { "short packet of part words", 56, 1, 4, 3, 0x3000, counting(6), { { 5, 0x3000, 8, 0, 6 }, { 6 } } },
        { "two bytes per address", 56, 2, 4, 2, 0x400, counting(80),
          { { 5, 0x400, 56, 0, 56 }, { 5, 0x41C, 24, 56, 24 }, { 6 } } },
        { "family 2 phantom bytes", 56, 2, 4, 2, 0x400, phantomBlank(56), { { 6 } } },
        { "the same bytes on family 3", 56, 1, 4, 3, 0x400, phantomBlank(56), { { 5, 0x400, 56, 0, 56 }, { 6 } } },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CommBench bench;
        const uint32_t end = c.start + uint32_t(c.data.size() / c.perAddress);
        ASSERT_EQ(bench.comm.Program(c.start, c.packet, c.perAddress, c.perWord, c.family, end, c.data.data(), c.data.size()),
                  kCommSuccess);
        expectReports(c.reports, c.data, bench);
    }
}

TEST(PICComm, BadArgumentsAndRepliesEndWithFailureAndSendNoMore)
{
    std::vector<uint8_t> buffer(64, 0x11);
    uint8_t* data = buffer.data();
    const struct
    {
        const char* name;
        std::function<int(Comm&)> call;
        int code;
        int getDataReplySize = -1;
        size_t reports = 0;
    } cases[] = {
        { "program without data", [](Comm& c) { return c.Program(0x10, 56, 1, 2, 1, 0x20, nullptr, 0); }, 2 },
        { "program, no bytes per address", [&](Comm& c) { return c.Program(0x10, 56, 0, 2, 1, 0x20, data, 64); }, 2 },
        { "program, no bytes per word", [&](Comm& c) { return c.Program(0x10, 56, 1, 0, 1, 0x20, data, 64); }, 2 },
        { "program, end before start", [&](Comm& c) { return c.Program(0x20, 56, 1, 2, 1, 0x10, data, 64); }, 2 },
        { "program, range beyond the data", [&](Comm& c) { return c.Program(0x10, 56, 1, 2, 1, 0x51, data, 64); }, 2 },
        { "program, packet below a word", [&](Comm& c) { return c.Program(0x10, 3, 1, 4, 3, 0x20, data, 64); }, 2 },
        { "program, packet of part addresses", [&](Comm& c) { return c.Program(0x10, 5, 2, 1, 1, 0x20, data, 64); }, 2 },
        { "program, empty range", [](Comm& c) { return c.Program(0x10, 56, 1, 2, 1, 0x10, nullptr, 0); }, 0 },
        { "read-back into too small a buffer", [&](Comm& c) { return c.GetData(0x1000, 56, 1, 2, 0x1040, data, 63); }, 2 },
        { "read-back without a buffer", [](Comm& c) { return c.GetData(0x1000, 56, 1, 2, 0x1040, nullptr, 64); }, 2 },
        { "read-back, packet size 0", [&](Comm& c) { return c.GetData(0x1000, 0, 1, 2, 0x1040, data, 64); }, 2 },
        { "read-back, no bytes per address", [&](Comm& c) { return c.GetData(0x1000, 56, 0, 2, 0x1040, data, 64); }, 2 },
        { "read-back, end before start", [&](Comm& c) { return c.GetData(0x1040, 56, 1, 2, 0x1000, data, 64); }, 2 },
        { "read-back, empty range", [](Comm& c) { return c.GetData(0x1000, 56, 1, 2, 0x1000, nullptr, 0); }, 0 },
        { "read-back reply of no data", [&](Comm& c) { return c.GetData(0x1000, 56, 1, 2, 0x1040, data, 64); }, 2, 0, 1 },
        { "read-back reply beyond the request", [&](Comm& c) { return c.GetData(0x1000, 56, 1, 2, 0x1040, data, 64); }, 2, 57, 1 },
        { "read-back reply of 255 bytes", [&](Comm& c) { return c.GetData(0x1000, 56, 1, 2, 0x1040, data, 64); }, 2, 255, 1 },
        { "read-back reply of part addresses", [&](Comm& c) { return c.GetData(0x1000, 56, 2, 4, 0x1020, data, 64); }, 2, 55, 1 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CommBench bench;
        SimulatedBootloader bootloader(bench.device, chip(1, 0x1000, 64));
        bootloader.setGetDataReplySize(c.getDataReplySize);
        EXPECT_EQ(c.call(bench.comm), c.code);
        EXPECT_EQ(bench.device.writtenReports().size(), c.reports);
        EXPECT_EQ(bench.log.contains("Comm Error 2, origin at Comm.cpp:"), c.code == 2);
        EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0x11)) << "nothing of a refused reply is copied";
    }
}

TEST(PICComm, TransferResultsBecomeCodes)
{
    const auto report = std::vector<uint8_t>(65, 0);
    const struct
    {
        const char* name;
        std::function<void(CommBench&, SimulatedBootloader&)> fault;
        std::function<int(CommBench&)> call;
        int code;
        const char* logged;
    } cases[] = {
        { "write fails", [](CommBench& b, auto&) { b.device.setWriteResult(-1); },
          [&](CommBench& b) { return b.comm.SendPacket(report.data(), 65); }, 2, "Comm Error 2, origin at Comm.cpp:" },
        { "write sends nothing", [](CommBench& b, auto&) { b.device.setWriteResult(0); },
          [&](CommBench& b) { return b.comm.SendPacket(report.data(), 65); }, 4, "Comm Error 4, origin at Comm.cpp:" },
        { "write sends part of the report", [](CommBench& b, auto&) { b.device.setWriteResult(40); },
          [&](CommBench& b) { return b.comm.SendPacket(report.data(), 65); }, 2, "Comm Error 2" },
        { "write of no report", nullptr, [](CommBench& b) { return b.comm.SendPacket(nullptr, 65); }, 2, "Comm Error 2" },
        { "read fails", [](CommBench& b, auto&) { b.device.failNextRead(-1); },
          [](CommBench& b) { return b.comm.ReceivePacket(std::vector<uint8_t>(65).data(), 65); }, 2, "Comm Error 2" },
        { "read into no buffer", nullptr, [](CommBench& b) { return b.comm.ReceivePacket(nullptr, 65); }, 2, "Comm Error 2" },
        { "query reply with another echo", [](CommBench&, SimulatedBootloader& s) { s.setWrongReplyCommand(0x02, 0x07); },
          [](CommBench& b) {
              DeviceDescription d;
              d.family = 99;
              const int code = b.comm.Query(d);
              return d.family == 99 ? code : -1; // a wrong reply leaves the description alone
          },
          3, "Comm Error 3, origin at Comm.cpp:" },
        { "query not answered", [](CommBench&, SimulatedBootloader& s) { s.dropRepliesTo(0x02); },
          [](CommBench& b) { DeviceDescription d; return b.comm.Query(d); }, 4, "Comm Error 4" },
        { "query read fails", [](CommBench& b, auto&) { b.device.failNextRead(-1); },
          [](CommBench& b) { DeviceDescription d; return b.comm.Query(d); }, 2, "Comm Error 2" },
        { "query while unplugged", [](CommBench& b, auto&) { b.device.unplug(); },
          [](CommBench& b) { DeviceDescription d; return b.comm.Query(d); }, 2, "Comm Error 2" },
        { "erase while unplugged", [](CommBench& b, auto&) { b.device.unplug(); },
          [](CommBench& b) { return b.comm.Erase(); }, 2, "Comm Error check at Comm.cpp:" },
        { "reset while unplugged", [](CommBench& b, auto&) { b.device.unplug(); },
          [](CommBench& b) { return b.comm.ResetDevice(); }, 2, "Comm Error 2" },
        { "write succeeds", nullptr, [&](CommBench& b) { return b.comm.SendPacket(report.data(), 65); }, 0, "" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CommBench bench;
        SimulatedBootloader bootloader(bench.device, chip(1, 0x1000, 8));
        if (c.fault)
            c.fault(bench, bootloader);
        EXPECT_EQ(c.call(bench), c.code);
        EXPECT_EQ(bench.log.contains(c.logged), c.code != 0);
        EXPECT_EQ(bench.log.contains("Comm Error"), c.code != 0);
    }
}

TEST(PICDeviceDescription, QueryReplyGivesFamilyWidthsAndRegions)
{
    using Regions = std::vector<MemoryRegion>;
    const struct
    {
        std::vector<uint8_t> reply;
        // family, packet, words (flash, EEPROM, config), addresses (flash, EEPROM, config)
        std::vector<uint32_t> fields;
        Regions regions;
    } cases[] = {
        { queryReply(56, 1, { { 1, 0x1000, 0x200 }, { 2, 0xF00000, 0x100 }, { 3, 0x300000, 0x0E } }),
          { 1, 56, 2, 1, 2, 1, 1, 1 },
          Regions { { 1, 0x1000, 0x1200, 0x200 }, { 2, 0xF00000, 0xF00100, 0x100 }, { 3, 0x300000, 0x30000E, 0x0E } } },
        { queryReply(56, 2, { { 1, 0x400, 0x1000 }, { 2, 0x7FF000, 0x400 }, { 3, 0xF80000, 0x10 } }),
          { 2, 56, 4, 1, 4, 2, 1, 2 },
          Regions { { 1, 0x400, 0x1400, 0x2000 }, { 2, 0x7FF000, 0x7FF400, 0x400 }, { 3, 0xF80000, 0xF80010, 0x20 } } },
        { queryReply(64, 3, { { 9, 0x1000, 0x10 }, { 1, 0x10, 0xFFFFFFFF } }), { 3, 58, 4, 1, 2, 1, 1, 1 },
          Regions { { 0, 0x1000, 0x1010, 0 }, { 1, 0x10, 0x1000000F, 0x0FFFFFFF } } },
        { queryReply(57, 7, { { 1, 0x1000, 8 }, { 1, 0x2000, 8 }, { 3, 0x3000, 8 }, { 1, 0x4000, 8 } }, false),
          { 7, 57, 2, 1, 2, 1, 1, 1 }, Regions { { 1, 0x1000, 0x1008, 8 }, { 1, 0x2000, 0x2008, 8 }, { 3, 0x3000, 0x3008, 8 } } },
        { queryReply(56, 1, {}), { 1, 56, 2, 1, 2, 1, 1, 1 }, Regions {} },
    };
    for (const auto& c : cases)
    {
        const auto d = DeviceDescription::fromQueryResponse(c.reply.data());
        EXPECT_EQ((std::vector<uint32_t> { d.family, d.bytesPerPacket, d.bytesPerWordFlash, d.bytesPerWordEEPROM,
                                           d.bytesPerWordConfig, d.bytesPerAddressFlash, d.bytesPerAddressEEPROM,
                                           d.bytesPerAddressConfig }),
                  c.fields);
        EXPECT_EQ(d.regions, c.regions) << "family " << c.fields[0];
    }
}
