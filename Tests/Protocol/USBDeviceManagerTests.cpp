#include "FakeHIDBackend.h"
#include "USBDeviceManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{
// The manager owns the device objects: a test watches one address to see it freed.
std::atomic<const void*> gWatched { nullptr };
std::atomic<bool> gWatchedFreed { false };
} // namespace

void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
static void release(void* p) noexcept
{
    if (p != nullptr && p == gWatched.load())
        gWatchedFreed = true;
    std::free(p);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }

namespace
{
constexpr uint16_t kVendor = 0x04D8;
constexpr uint16_t kNormal = 0x003F;
constexpr uint16_t kBootloader = 0x003C;

// Records announcements in order, as "+path" and "-path".
struct RecordingHandler : USBDeviceManager::Handler
{
    std::vector<std::string> events;
    std::vector<IUSBHIDDevice*> added;

    void onUSBDeviceAdded(IUSBHIDDevice* device) override
    {
        events.push_back("+" + pathOf(device));
        added.push_back(device);
    }
    void onUSBDeviceRemoved(IUSBHIDDevice* device) override { events.push_back("-" + pathOf(device)); }

    static std::string pathOf(IUSBHIDDevice* device)
    {
        auto* hid = static_cast<USBDeviceManager::HIDDevice*>(device);
        return hid->getPath() + (device->getProductID() == kBootloader ? "(boot)" : "");
    }
};

struct USBDeviceManagerTest : testing::Test
{
    FakeHIDBackend bus;
    RecordingHandler handler;
    USBDeviceManager manager { &handler,
                               { USBDeviceManager::makeID(kVendor, kNormal), USBDeviceManager::makeID(kVendor, kBootloader) },
                               bus };
};
} // namespace

TEST_F(USBDeviceManagerTest, TwoPedalsAreOpenedAndAnnouncedInEnumerationOrder)
{
    bus.plugNew("/dev/hidraw3", kVendor, kNormal);
    bus.plugNew("/dev/hidraw1", kVendor, kNormal);
    manager.poll();
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw3", "+/dev/hidraw1" }));

    manager.poll();
    EXPECT_EQ(handler.events.size(), 2u) << "a held device is announced once";
    EXPECT_EQ(bus.openCount(), 2);
}

TEST_F(USBDeviceManagerTest, OtherProductsAndVendorsAreNeverOpened)
{
    bus.plugNew("/dev/hidraw0", kVendor, 0x0040);
    bus.plugNew("/dev/hidraw1", 0x1234, kNormal);
    manager.poll();
    EXPECT_TRUE(handler.events.empty());
    EXPECT_EQ(bus.openCount(), 0);
}

TEST_F(USBDeviceManagerTest, UnplugReportsOnceAndDeletesOnlyAfterTheOwnerCloses)
{
    auto pedal = bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    ASSERT_EQ(handler.added.size(), 1u);
    IUSBHIDDevice* device = handler.added[0];

    bus.unplug("/dev/hidraw0");
    manager.poll();
    manager.poll();
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw0", "-/dev/hidraw0" }));

    // Still held and usable by its owner (writes fail: the pedal is gone).
    uint8_t report[2] = { 0, 1 };
    EXPECT_EQ(device->write(report, 2), -1);
    EXPECT_FALSE(pedal->isClosed());

    device->close();
    EXPECT_TRUE(pedal->isClosed());
    EXPECT_EQ(bus.openHandleCount(), 0);
    device->close(); // idempotent
    EXPECT_EQ(pedal->closeCount(), 1);

    gWatchedFreed = false;
    gWatched = dynamic_cast<void*>(device);
    manager.poll();
    gWatched = nullptr;
    EXPECT_TRUE(gWatchedFreed) << "freed at the first poll after its owner closed it";
    EXPECT_EQ(handler.events.size(), 2u);
}

TEST_F(USBDeviceManagerTest, SwitchToBootloaderAnnouncesTheNewDeviceBeforeRemovingTheOld)
{
    bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    bus.unplug("/dev/hidraw0");
    bus.plugNew("/dev/hidraw5", kVendor, kBootloader);
    manager.poll();
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw0", "+/dev/hidraw5(boot)", "-/dev/hidraw0" }));
}

TEST_F(USBDeviceManagerTest, ReplugAtTheSamePathIsANewDeviceOnceTheOldWasReportedGone)
{
    bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    IUSBHIDDevice* old = handler.added[0];

    bus.unplug("/dev/hidraw0");
    manager.poll(); // removal reported, owner has not closed yet
    bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    ASSERT_EQ(handler.added.size(), 2u);
    EXPECT_NE(handler.added[1], old);
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw0", "-/dev/hidraw0", "+/dev/hidraw0" }));
}

TEST_F(USBDeviceManagerTest, ReenumerationAtTheSamePathInOnePollIsSeenThroughTheFailedRead)
{
    // hidraw can hand the re-enumerated pedal the old node before the poll ever sees it gone;
    // the owner's reader has already hit the read error, and that is what tells them apart.
    bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    IUSBHIDDevice* old = handler.added[0];

    bus.reenumerate("/dev/hidraw0", kBootloader);
    uint8_t buffer[64];
    EXPECT_LT(old->read(buffer, sizeof(buffer), 10), 0);

    manager.poll();
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw0", "+/dev/hidraw0(boot)", "-/dev/hidraw0" }));
    EXPECT_EQ(handler.added[1]->getProductID(), kBootloader);
}

TEST_F(USBDeviceManagerTest, ClosedByOwnerWhilePluggedInIsReopenedAsNew)
{
    bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    handler.added[0]->close();
    manager.poll();
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw0", "+/dev/hidraw0", "-/dev/hidraw0" }));
    EXPECT_EQ(bus.openHandleCount(), 1);
}

TEST_F(USBDeviceManagerTest, UnopenableDeviceIsSkippedSilentlyAndRetried)
{
    bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    bus.setOpenFails("/dev/hidraw0", true);
    manager.poll();
    EXPECT_TRUE(handler.events.empty());
    bus.setOpenFails("/dev/hidraw0", false);
    manager.poll();
    EXPECT_EQ(handler.events, (std::vector<std::string> { "+/dev/hidraw0" }));
}

TEST_F(USBDeviceManagerTest, WriteReturnsRequestedLengthOrMinusOne)
{
    auto pedal = bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    manager.poll();
    IUSBHIDDevice* device = handler.added[0];
    uint8_t report[5] = { 0, 1, 2, 3, 4 };
    EXPECT_EQ(device->write(report, 5), 5);
    pedal->setWriteResult(2);
    EXPECT_EQ(device->write(report, 5), 5) << "a short count from the library still reports the requested length";
    pedal->setWriteResult(-7);
    EXPECT_EQ(device->write(report, 5), -1);
}

TEST(USBDeviceManagerLifetime, DestructorDeletesHeldDevicesWithoutHandlerCalls)
{
    FakeHIDBackend bus;
    RecordingHandler handler;
    auto pedal = bus.plugNew("/dev/hidraw0", kVendor, kNormal);
    {
        USBDeviceManager manager(&handler, { USBDeviceManager::makeID(kVendor, kNormal) }, bus);
        manager.poll();
    }
    EXPECT_EQ(handler.events.size(), 1u);
    EXPECT_TRUE(pedal->isClosed());
    EXPECT_EQ(bus.openHandleCount(), 0);
}
