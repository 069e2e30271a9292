#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "SimulatedHIDDevice.h"
#include "TonecrestUSBPacketIO.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
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

// The log is taken before the reader starts and handed back after it has stopped.
class TransportTest : public ::testing::Test
{
protected:
    TransportTest() { transport->setHandler(&handler); }

    Result send(const std::vector<uint8_t>& packet) { return transport->sendPacket(packet.data(), packet.size()); }

    CapturedLog log;
    SimulatedHIDDevice device { 0x04D8, 0x003F };
    RecordingPacketHandler handler;
    std::optional<TonecrestUSBPacketIO> transport { std::in_place, &device };
};
} // namespace

TEST_F(TransportTest, PacketsOfUpToSixtyFourBytesGoOutAsReportIdZeroPlusPacket)
{
    const auto small = bytes({ 0xC7, 0x06, 0x03, 0x00, 0x00, 0x00, 0x80, 0x3F });
    std::vector<uint8_t> full(64);
    for (size_t i = 0; i < full.size(); ++i)
        full[i] = static_cast<uint8_t>(i + 1);
    ASSERT_TRUE(send(small).ok);
    ASSERT_TRUE(send(full).ok);

    std::vector<std::vector<uint8_t>> expected { { 0 }, { 0 } };
    expected[0].insert(expected[0].end(), small.begin(), small.end());
    expected[1].insert(expected[1].end(), full.begin(), full.end());
    EXPECT_EQ(device.writtenReports(), expected);

    EXPECT_EQ(errorText(send(std::vector<uint8_t>(65, 0xAA))), "Packet too large");
    EXPECT_EQ(device.writtenReports().size(), 2u) << "nothing is written for a refused packet";
}

TEST_F(TransportTest, WriteFailuresAreReported)
{
    const auto packet = bytes({ 0xA0, 0x00 });
    device.setWriteResult(-1);
    EXPECT_EQ(errorText(send(packet)), "hid_write failed with %d");
    EXPECT_TRUE(log.contains("hid_write failed with -1"));

    device.setWriteResult(2); // report ID plus one byte of a two-byte packet
    EXPECT_EQ(errorText(send(packet)), "hid_write incomplete");

    device.setWriteResult(3);
    EXPECT_TRUE(send(packet).ok);
    EXPECT_EQ(transport->getState(), IDevicePacketIO::kStateRunning) << "send failures leave the state";
    EXPECT_TRUE(transport->reset().ok);
    EXPECT_EQ(transport->getState(), IDevicePacketIO::kStateRunning) << "nor does a reset change it";
}

TEST(TransportReader, HandlerSetRightAfterConstructionSeesRunning)
{
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        SimulatedHIDDevice device(0x04D8, 0x003F);
        RecordingPacketHandler handler;
        TonecrestUSBPacketIO transport(&device);
        transport.setHandler(&handler);
        ASSERT_FALSE(handler.statesSeen().empty());
        EXPECT_EQ(handler.statesSeen().front(), IDevicePacketIO::kStateRunning);
    }
}

TEST_F(TransportTest, InputReportsAreDeliveredWhole)
{
    device.pushInputReport(bytes({ 0xA0, 0x00 }));
    device.pushInputReport(bytes({ 0xCE, 0x02, 0x05, 0x06 }));
    ASSERT_TRUE(handler.waitFor([&] { return handler.packets.size() == 2; }));
    EXPECT_EQ(handler.packets[0].size(), 64u);
    EXPECT_EQ(handler.packets[0][0], 0xA0);
    EXPECT_EQ(handler.packets[1][0], 0xCE);
    EXPECT_EQ(handler.packets[1][3], 0x06);
}

TEST_F(TransportTest, ReadErrorEntersStateTwoWithNoStopAfterIt)
{
    device.unplug();
    ASSERT_TRUE(handler.waitFor([&] { return !handler.states.empty() && handler.states.back() == 2; }));
    EXPECT_EQ(transport->getState(), IDevicePacketIO::kStateError);
    transport->stop();
    EXPECT_EQ(transport->getState(), IDevicePacketIO::kStateError);
    transport.reset();
    EXPECT_EQ(handler.statesSeen(), (std::vector<int> { 1, 2 }));
    EXPECT_TRUE(log.contains("HID read error: -1"));
}

TEST_F(TransportTest, TransientReadErrorStillEndsTheReader)
{
    device.failNextRead(-5);
    ASSERT_TRUE(handler.waitFor([&] { return handler.states.size() == 2; }));
    device.pushInputReport(bytes({ 0xA0, 0x00 }));
    transport->stop();
    EXPECT_TRUE(handler.packets.empty()) << "nothing restarts the reader after an error";
    EXPECT_TRUE(log.contains("HID read error: -5"));
}

struct TimeoutRecordingDevice : SimulatedHIDDevice
{
    TimeoutRecordingDevice() : SimulatedHIDDevice(0x04D8, 0x003F) {}
    int read(uint8_t* buffer, size_t length, int timeoutMs) override
    {
        lastTimeoutMs = timeoutMs;
        return SimulatedHIDDevice::read(buffer, length, timeoutMs);
    }
    std::atomic<int> lastTimeoutMs { 0 };
};

TEST(TransportReader, ReadsWaitASecondEachScaledLikeEveryWait)
{
    TimeoutRecordingDevice device;
    {
        TonecrestUSBPacketIO transport(&device);
        for (int attempt = 0; attempt < 20000 && device.lastTimeoutMs == 0; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(device.lastTimeoutMs, 1000 / 50) << "1000 ms at the tests' scale of 1/50";
}

TEST_F(TransportTest, StopReportsStoppedAndDeletionDoesNotCloseTheDevice)
{
    transport.reset();
    EXPECT_EQ(handler.statesSeen(), (std::vector<int> { 1, 0 }));
    EXPECT_FALSE(device.isClosed());
}
