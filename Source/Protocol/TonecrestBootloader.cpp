#include "TonecrestBootloader.h"

#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"

#include <condition_variable>
#include <mutex>

namespace Tonecrest
{

/** The bootloader client's device, shared between this object and a running update so that
    either may go first. Device calls are counted in and out; detach waits for the count to
    drop and stops any further call from reaching the device. */
class TonecrestBootloader::DetachableDevice : public PICLoader::USBDevice
{
public:
    explicit DetachableDevice(IUSBHIDDevice* hidDevice) : hid(hidDevice) {}

    int read(uint8_t* buffer, size_t length, int timeoutMs) override
    {
        if (!enter())
            return -1;
        int count = hid.read(buffer, length, timeoutMs);
        leave();
        return count;
    }

    int write(const uint8_t* data, size_t length) override
    {
        if (!enter())
            return -1;
        int count = hid.write(data, length);
        leave();
        return count;
    }

    void detach()
    {
        std::unique_lock<std::mutex> lock(mutex);
        attached = false;
        idle.wait(lock, [this] { return callsInProgress == 0; });
    }

private:
    bool enter()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (attached)
            ++callsInProgress;
        return attached;
    }

    void leave()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (--callsInProgress == 0)
            idle.notify_all();
    }

    PICLoaderHIDDevice hid;
    std::mutex mutex;
    std::condition_variable idle;
    bool attached = true;
    int callsInProgress = 0;
};

TonecrestBootloader::TonecrestBootloader(IUSBHIDDevice* hidDevice)
    : device(hidDevice), link(std::make_shared<DetachableDevice>(hidDevice))
{
}

TonecrestBootloader::~TonecrestBootloader()
{
    link->detach();
}

Result TonecrestBootloader::updateFirmware(const std::vector<uint8_t>& hexImage, std::function<void(double)> progress)
{
    // The update holds its own reference: this object may be deleted before it returns.
    std::shared_ptr<DetachableDevice> deviceLink = link;
    return PICLoader::programHexImage(*deviceLink, hexImage, progress);
}

} // namespace Tonecrest
