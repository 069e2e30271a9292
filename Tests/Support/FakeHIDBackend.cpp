#include "FakeHIDBackend.h"

#include <algorithm>

namespace Tonecrest::Testing
{

FakeHIDBackend::~FakeHIDBackend() = default;

std::vector<IHIDBackend::Entry> FakeHIDBackend::enumerate()
{
    std::lock_guard<std::mutex> held(enumerationMutex);
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Entry> entries;
    for (const auto& slot : slots)
        entries.push_back({ slot.path, slot.device->getVendorID(), slot.device->getProductID() });
    return entries;
}

IHIDBackend::Handle FakeHIDBackend::open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (unopenable.count(path) != 0)
        return nullptr;
    auto slot = std::find_if(slots.begin(), slots.end(), [&](const Slot& s) { return s.path == path; });
    if (slot == slots.end())
        return nullptr;
    handles.push_back(std::make_unique<OpenHandle>(OpenHandle { slot->device }));
    return handles.back().get();
}

int FakeHIDBackend::read(Handle handle, uint8_t* buffer, size_t length, int timeoutMs)
{
    // The device object outlives the call even if the test unplugs it meanwhile.
    std::shared_ptr<SimulatedHIDDevice> device = static_cast<OpenHandle*>(handle)->device;
    return device->read(buffer, length, timeoutMs);
}

int FakeHIDBackend::write(Handle handle, const uint8_t* data, size_t length)
{
    std::shared_ptr<SimulatedHIDDevice> device = static_cast<OpenHandle*>(handle)->device;
    return device->write(data, length);
}

void FakeHIDBackend::close(Handle handle)
{
    std::unique_ptr<OpenHandle> closing;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto found = std::find_if(handles.begin(), handles.end(), [&](const auto& h) { return h.get() == handle; });
        if (found == handles.end())
            return;
        closing = std::move(*found);
        handles.erase(found);
    }
    closing->device->close();
}

void FakeHIDBackend::plug(const std::string& path, std::shared_ptr<SimulatedHIDDevice> device)
{
    std::lock_guard<std::mutex> lock(mutex);
    slots.push_back({ path, std::move(device) });
}

std::shared_ptr<SimulatedHIDDevice> FakeHIDBackend::plugNew(const std::string& path, uint16_t vendorID, uint16_t productID)
{
    auto device = std::make_shared<SimulatedHIDDevice>(vendorID, productID);
    plug(path, device);
    return device;
}

void FakeHIDBackend::unplug(const std::string& path)
{
    std::shared_ptr<SimulatedHIDDevice> device;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto slot = std::find_if(slots.begin(), slots.end(), [&](const Slot& s) { return s.path == path; });
        if (slot == slots.end())
            return;
        device = slot->device;
        slots.erase(slot);
    }
    device->unplug();
}

std::shared_ptr<SimulatedHIDDevice> FakeHIDBackend::reenumerate(const std::string& path, uint16_t productID)
{
    auto old = deviceAt(path);
    uint16_t vendorID = old != nullptr ? old->getVendorID() : 0;
    unplug(path);
    return plugNew(path, vendorID, productID);
}

std::unique_lock<std::mutex> FakeHIDBackend::holdEnumeration()
{
    return std::unique_lock<std::mutex>(enumerationMutex);
}

void FakeHIDBackend::setOpenFails(const std::string& path, bool fails)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (fails)
        unopenable.insert(path);
    else
        unopenable.erase(path);
}

std::shared_ptr<SimulatedHIDDevice> FakeHIDBackend::deviceAt(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& slot : slots)
        if (slot.path == path)
            return slot.device;
    return nullptr;
}

int FakeHIDBackend::openHandleCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(handles.size());
}

int FakeHIDBackend::openHandleCount(const SimulatedHIDDevice* device) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(std::count_if(handles.begin(), handles.end(),
                                          [device](const auto& handle) { return handle->device.get() == device; }));
}

} // namespace Tonecrest::Testing
