#include "SimulatedHIDDevice.h"
#include "TonecrestUSBPacketIO.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{
struct RecordingPacketHandler : IDevicePacketIO::Handler
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> states;
    std::vector<std::vector<uint8_t>> packets;

    void onStateChanged(int state) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        states.push_back(state);
        changed.notify_all();
    }
    void onPacketReceived(const uint8_t* data, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        packets.emplace_back(data, data + length);
        changed.notify_all();
    }

    template <typename Predicate>
    bool waitFor(Predicate predicate)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), predicate);
    }
    std::vector<int> statesSeen()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return states;
    }
};

struct CapturedLog
{
    static std::mutex mutex;
    static std::vector<std::string> lines;
    CapturedLog()
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.clear();
        setLogCallback(&CapturedLog::sink, nullptr);
    }
    ~CapturedLog() { setLogCallback(nullptr, nullptr); }
    static void sink(void*, const char* line)
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(line);
    }
    static bool contains(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& line : lines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};
std::mutex CapturedLog::mutex;
std::vector<std::string> CapturedLog::lines;

std::vector<uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}
} // namespace

TEST(TransportFraming, PacketGoesOutAsReportIdZeroPlusPacket)
{
    SimulatedHIDDevice device(0x04D8, 0x003F);
    TonecrestUSBPacketIO transport(&device);

    auto packet = bytes({ 0xC7, 0x06, 0x03, 0x00, 0x00, 0x00, 0x80, 0x3F });
    ASSERT_TRUE(transport.sendPacket(packet.data(), packet.size()).ok);

    auto reports = device.writtenReports();
    ASSERT_EQ(reports.size(), 1u);
    std::vector<uint8_t> expected { 0x00 };
    expected.insert(expected.end(), packet.begin(), packet.end());
    EXPECT_EQ(reports[0], expected);
}

TEST(TransportFraming, SixtyFourBytePacketIsA65ByteReportAnd65IsRefused)
{
    SimulatedHIDDevice device(0x04D8, 0x003F);
    TonecrestUSBPacketIO transport(&device);

    std::vector<uint8_t> full(64);
    for (size_t i = 0; i < full.size(); ++i)
        full[i] = static_cast<uint8_t>(i + 1);
    ASSERT_TRUE(transport.sendPacket(full.data(), full.size()).ok);
    ASSERT_EQ(device.writtenReports().size(), 1u);
    EXPECT_EQ(device.writtenReports()[0].size(), 65u);
    EXPECT_EQ(device.writtenReports()[0][0], 0);
    EXPECT_EQ(device.writtenReports()[0][64], 64);

    CapturedLog log;
    std::vector<uint8_t> tooLong(65, 0xAA);
    Result result = transport.sendPacket(tooLong.data(), tooLong.size());
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.error, "Packet too large");
    EXPECT_EQ(device.writtenReports().size(), 1u) << "nothing is written for a refused packet";
}

TEST(TransportFraming, WriteFailuresAreReported)
{
    SimulatedHIDDevice device(0x04D8, 0x003F);
    TonecrestUSBPacketIO transport(&device);
    CapturedLog log;
    auto packet = bytes({ 0xA0, 0x00 });

    device.setWriteResult(-1);
    Result failed = transport.sendPacket(packet.data(), packet.size());
    EXPECT_STREQ(failed.error, "hid_write failed with %d");
    EXPECT_TRUE(CapturedLog::contains("hid_write failed with -1"));

    device.setWriteResult(2); // report ID plus one byte of a two-byte packet
    EXPECT_STREQ(transport.sendPacket(packet.data(), packet.size()).error, "hid_write incomplete");

    device.setWriteResult(3);
    EXPECT_TRUE(transport.sendPacket(packet.data(), packet.size()).ok);
    EXPECT_EQ(transport.getState(), IDevicePacketIO::kStateRunning) << "send failures leave the state";
}

TEST(TransportReader, HandlerSetRightAfterConstructionSeesRunning)
{
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        SimulatedHIDDevice device(0x04D8, 0x003F);
        TonecrestUSBPacketIO transport(&device);
        RecordingPacketHandler handler;
        transport.setHandler(&handler);
        ASSERT_FALSE(handler.statesSeen().empty());
        EXPECT_EQ(handler.statesSeen().front(), IDevicePacketIO::kStateRunning);
        transport.setHandler(nullptr);
    }
}

TEST(TransportReader, InputReportsAreDeliveredWhole)
{
    SimulatedHIDDevice device(0x04D8, 0x003F);
    TonecrestUSBPacketIO transport(&device);
    RecordingPacketHandler handler;
    transport.setHandler(&handler);

    device.pushInputReport(bytes({ 0xA0, 0x00 }));
    device.pushInputReport(bytes({ 0xCE, 0x02, 0x05, 0x06 }));
    ASSERT_TRUE(handler.waitFor([&] { return handler.packets.size() == 2; }));
    EXPECT_EQ(handler.packets[0].size(), 64u);
    EXPECT_EQ(handler.packets[0][0], 0xA0);
    EXPECT_EQ(handler.packets[1][0], 0xCE);
    EXPECT_EQ(handler.packets[1][3], 0x06);
    transport.setHandler(nullptr);
}

TEST(TransportReader, ReadErrorEntersStateTwoWithNoStopAfterIt)
{
    CapturedLog log;
    SimulatedHIDDevice device(0x04D8, 0x003F);
    RecordingPacketHandler handler;
    {
        TonecrestUSBPacketIO transport(&device);
        transport.setHandler(&handler);
        device.unplug();
        ASSERT_TRUE(handler.waitFor([&] { return !handler.states.empty() && handler.states.back() == 2; }));
        EXPECT_EQ(transport.getState(), IDevicePacketIO::kStateError);
        transport.stop();
        EXPECT_EQ(transport.getState(), IDevicePacketIO::kStateError);
    }
    EXPECT_EQ(handler.statesSeen(), (std::vector<int> { 1, 2 }));
    EXPECT_TRUE(CapturedLog::contains("HID read error: -1"));
}

TEST(TransportReader, TransientReadErrorStillEndsTheReader)
{
    CapturedLog log;
    SimulatedHIDDevice device(0x04D8, 0x003F);
    TonecrestUSBPacketIO transport(&device);
    RecordingPacketHandler handler;
    transport.setHandler(&handler);
    device.failNextRead(-5);
    ASSERT_TRUE(handler.waitFor([&] { return handler.states.size() == 2; }));
    device.pushInputReport(bytes({ 0xA0, 0x00 }));
    transport.stop();
    EXPECT_TRUE(handler.packets.empty()) << "nothing restarts the reader after an error";
    EXPECT_TRUE(CapturedLog::contains("HID read error: -5"));
    transport.setHandler(nullptr);
}

TEST(TransportReader, StopReportsStoppedAndDeletionDoesNotCloseTheDevice)
{
    SimulatedHIDDevice device(0x04D8, 0x003F);
    RecordingPacketHandler handler;
    {
        TonecrestUSBPacketIO transport(&device);
        transport.setHandler(&handler);
    }
    EXPECT_EQ(handler.statesSeen(), (std::vector<int> { 1, 0 }));
    EXPECT_FALSE(device.isClosed());
}

TEST(TransportReader, ResetSucceedsAndChangesNothing)
{
    SimulatedHIDDevice device(0x04D8, 0x003F);
    TonecrestUSBPacketIO transport(&device);
    EXPECT_TRUE(transport.reset().ok);
    EXPECT_EQ(transport.getState(), IDevicePacketIO::kStateRunning);
}
