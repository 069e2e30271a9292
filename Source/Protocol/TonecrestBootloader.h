#pragma once

#include "IUSBHIDDevice.h"
#include "Result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Tonecrest
{

/** The pedal in bootloader mode (product ID 0x003C): programs the system processor from an
    Intel HEX image through the PIC bootloader client.

    Made and deleted by the application on the message thread, one per bootloader-mode device;
    updateFirmware runs on the editor service's task worker. The device is not owned.

    The pedal leaves the bus at the end of every update (and whenever it is unplugged), so the
    application may delete this object while updateFirmware is still running. Deleting it
    detaches the device: the destructor waits for a device call in progress to return, later
    device calls fail at once, and the running update ends with "PIC update failed!" without
    touching the deleted object or the device again. */
class TonecrestBootloader
{
public:
    explicit TonecrestBootloader(IUSBHIDDevice* device);
    ~TonecrestBootloader();

    TonecrestBootloader(const TonecrestBootloader&) = delete;
    TonecrestBootloader& operator=(const TonecrestBootloader&) = delete;

    /** Query, erase, program, verify by read-back and reset. progress (may be empty) gets 0,
        0, 2/3 and 1.0, on the calling thread. Any failure is "PIC update failed!" (the step
        and its code go to the log); the pedal then stays in its bootloader. Blocks for the
        whole sequence. Task worker thread; one call at a time. */
    Result updateFirmware(const std::vector<uint8_t>& hexImage, std::function<void(double)> progress);

    IUSBHIDDevice* getDevice() const { return device; }

private:
    class DetachableDevice;

    IUSBHIDDevice* const device;
    std::shared_ptr<DetachableDevice> link;
};

} // namespace Tonecrest
