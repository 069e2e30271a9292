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

// Every plain new and delete of the executable goes through these, so that the pairs match.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size)
{
    if (void* p = ::operator new(size, std::nothrow))
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
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }

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

// Each script is a list of steps: "+path" plugs a pedal (":boot" for its bootloader, ":other"
// for another product), "-path" unplugs, "~path" re-enumerates it as the bootloader at the same
// node (its owner's reader seeing the read fail), "close N" closes the Nth announced device,
// "fail path" / "open path" make opening fail or work again, "poll" polls.
TEST_F(USBDeviceManagerTest, AnnouncementsFollowTheBus)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> steps;
        std::vector<std::string> events;
        int openHandles;
    };
    const Case cases[] = {
        { "two pedals, announced once in enumeration order", { "+/dev/hidraw3", "+/dev/hidraw1", "poll", "poll" },
          { "+/dev/hidraw3", "+/dev/hidraw1" }, 2 },
        { "other products and vendors are never opened", { "+/dev/hidraw0:other", "+/dev/hidraw1:vendor", "poll" }, {}, 0 },
        { "the bootloader is announced before the pedal is reported gone",
          { "+/dev/hidraw0", "poll", "-/dev/hidraw0", "+/dev/hidraw5:boot", "poll" },
          { "+/dev/hidraw0", "+/dev/hidraw5(boot)", "-/dev/hidraw0" }, 2 },
        { "replug at the same path once the old was reported gone",
          { "+/dev/hidraw0", "poll", "-/dev/hidraw0", "poll", "+/dev/hidraw0", "poll" },
          { "+/dev/hidraw0", "-/dev/hidraw0", "+/dev/hidraw0" }, 2 },
        { "re-enumeration at the same node within one poll", { "+/dev/hidraw0", "poll", "~/dev/hidraw0", "poll" },
          { "+/dev/hidraw0", "+/dev/hidraw0(boot)", "-/dev/hidraw0" }, 2 },
        { "closed by its owner while plugged in: reopened as new", { "+/dev/hidraw0", "poll", "close 0", "poll" },
          { "+/dev/hidraw0", "+/dev/hidraw0", "-/dev/hidraw0" }, 1 },
        { "an unopenable device is skipped silently and retried",
          { "+/dev/hidraw0", "fail /dev/hidraw0", "poll", "open /dev/hidraw0", "poll" }, { "+/dev/hidraw0" }, 1 },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        FakeHIDBackend bus;
        RecordingHandler handler;
        USBDeviceManager manager(&handler, { USBDeviceManager::makeID(kVendor, kNormal), USBDeviceManager::makeID(kVendor, kBootloader) },
                                 bus);
        for (const std::string& step : c.steps)
        {
            const std::string path = step.substr(step.find('/') == std::string::npos ? 0 : step.find('/'));
            const std::string node = path.substr(0, path.find(':'));
            if (step == "poll")
                manager.poll();
            else if (step[0] == '+')
                bus.plugNew(node, path.find(":vendor") != std::string::npos ? 0x1234 : kVendor,
                            path.find(":boot") != std::string::npos ? kBootloader : path.find(":other") != std::string::npos ? 0x0040 : kNormal);
            else if (step[0] == '-')
                bus.unplug(node);
            else if (step[0] == '~')
            {
                bus.reenumerate(node, kBootloader);
                uint8_t buffer[64];
                EXPECT_LT(handler.added.back()->read(buffer, sizeof buffer, 10), 0);
            }
            else if (step.rfind("close ", 0) == 0)
                handler.added.at(static_cast<size_t>(std::stoi(step.substr(6))))->close();
            else
                bus.setOpenFails(node, step.rfind("fail ", 0) == 0);
        }
        EXPECT_EQ(handler.events, c.events);
        EXPECT_EQ(bus.openHandleCount(), c.openHandles);
    }
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
