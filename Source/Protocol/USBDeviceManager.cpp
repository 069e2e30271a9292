#include "USBDeviceManager.h"

#include <algorithm>

namespace Tonecrest
{

USBDeviceManager::HIDDevice::HIDDevice(IHIDBackend& hidBackend, IHIDBackend::Handle openHandle, const IHIDBackend::Entry& entry)
    : backend(hidBackend), handle(openHandle), path(entry.path), vendorID(entry.vendorID), productID(entry.productID)
{
}

USBDeviceManager::HIDDevice::~HIDDevice()
{
    close();
}

int USBDeviceManager::HIDDevice::read(uint8_t* buffer, size_t length, int timeoutMs)
{
    // Unlocked by design: the owner stops its single reader before it calls close().
    int result = backend.read(handle, buffer, length, timeoutMs);
    if (result < 0)
        readFailed = true;
    return result;
}

int USBDeviceManager::HIDDevice::write(const uint8_t* data, size_t length)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (handle == nullptr)
        return -1;
    int result = backend.write(handle, data, length);
    return result < 0 ? -1 : static_cast<int>(length);
}

void USBDeviceManager::HIDDevice::close()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (handle == nullptr)
        return;
    backend.close(handle);
    handle = nullptr;
}

bool USBDeviceManager::HIDDevice::matches(const IHIDBackend::Entry& entry)
{
    std::lock_guard<std::mutex> lock(mutex);
    return handle != nullptr && !removalReported && !readFailed && path == entry.path;
}

bool USBDeviceManager::HIDDevice::markRemovalReported()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (removalReported)
        return false;
    removalReported = true;
    return true;
}

bool USBDeviceManager::HIDDevice::isClosed()
{
    std::lock_guard<std::mutex> lock(mutex);
    return handle == nullptr;
}

USBDeviceManager::USBDeviceManager(Handler* deviceHandler, const std::vector<uint32_t>& accepted, IHIDBackend& hidBackend)
    : handler(deviceHandler), acceptedIDs(accepted), backend(hidBackend)
{
}

USBDeviceManager::~USBDeviceManager()
{
    for (HIDDevice* device : devices)
        delete device;
}

bool USBDeviceManager::isAccepted(const IHIDBackend::Entry& entry) const
{
    uint32_t id = makeID(entry.vendorID, entry.productID);
    return std::find(acceptedIDs.begin(), acceptedIDs.end(), id) != acceptedIDs.end();
}

void USBDeviceManager::poll()
{
    std::vector<HIDDevice*> unseen = devices;
    std::vector<HIDDevice*> added;

    for (const IHIDBackend::Entry& entry : backend.enumerate())
    {
        if (!isAccepted(entry))
            continue;

        auto held = std::find_if(devices.begin(), devices.end(), [&](HIDDevice* d) { return d->matches(entry); });
        if (held != devices.end())
        {
            unseen.erase(std::remove(unseen.begin(), unseen.end(), *held), unseen.end());
            continue;
        }

        // A device that cannot be opened now is simply tried again at the next poll.
        if (IHIDBackend::Handle handle = backend.open(entry.path))
            added.push_back(new HIDDevice(backend, handle, entry));
    }

    for (HIDDevice* device : added)
    {
        devices.push_back(device);
        if (handler != nullptr)
            handler->onUSBDeviceAdded(device);
    }

    for (HIDDevice* device : unseen)
    {
        if (device->markRemovalReported() && handler != nullptr)
            handler->onUSBDeviceRemoved(device);

        // Still open means the owner is still using it: keep it until the owner closes it.
        if (device->isClosed())
        {
            devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
            delete device;
        }
    }
}

} // namespace Tonecrest
