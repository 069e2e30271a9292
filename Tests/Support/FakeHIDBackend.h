#pragma once

#include "HIDBackend.h"
#include "SimulatedHIDDevice.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Tonecrest::Testing
{

/** A scripted USB bus for USBDeviceManager: simulated devices are plugged in at a path, pulled
    out, made unopenable, or re-enumerated under another product ID (the pedal switching to
    its bootloader), the way hidraw presents them. Thread-safe. */
class FakeHIDBackend : public IHIDBackend
{
public:
    FakeHIDBackend() = default;
    ~FakeHIDBackend() override;

    std::vector<Entry> enumerate() override;
    Handle open(const std::string& path) override;
    int read(Handle handle, uint8_t* buffer, size_t length, int timeoutMs) override;
    int write(Handle handle, const uint8_t* data, size_t length) override;
    void close(Handle handle) override;

    /** Plugs a device in at path (after the devices already there). */
    void plug(const std::string& path, std::shared_ptr<SimulatedHIDDevice> device);
    /** Plugs a new simulated device in and returns it. */
    std::shared_ptr<SimulatedHIDDevice> plugNew(const std::string& path, uint16_t vendorID, uint16_t productID);
    /** Pulls the device at path out: it leaves the enumeration and its open handles fail. */
    void unplug(const std::string& path);
    /** The device at path goes away and a new one with productID appears at the same path,
        as a pedal does when it restarts into its bootloader. */
    std::shared_ptr<SimulatedHIDDevice> reenumerate(const std::string& path, uint16_t productID);
    /** Until the returned lock is released, enumerate waits: the changes made meanwhile reach
        the next enumeration all together, as when they happen between two polls. */
    std::unique_lock<std::mutex> holdEnumeration();
    /** Opening path fails while set (the device is still enumerated). */
    void setOpenFails(const std::string& path, bool fails);

    std::shared_ptr<SimulatedHIDDevice> deviceAt(const std::string& path) const;
    int openHandleCount() const;
    /** Handles still open on this device (whether or not it is still plugged in). */
    int openHandleCount(const SimulatedHIDDevice* device) const;

private:
    struct Slot
    {
        std::string path;
        std::shared_ptr<SimulatedHIDDevice> device;
    };
    struct OpenHandle
    {
        std::shared_ptr<SimulatedHIDDevice> device;
    };

    std::mutex enumerationMutex; // taken before mutex
    mutable std::mutex mutex;
    std::vector<Slot> slots;
    std::set<std::string> unopenable;
    std::vector<std::unique_ptr<OpenHandle>> handles;
};

} // namespace Tonecrest::Testing
