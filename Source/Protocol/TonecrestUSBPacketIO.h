#pragma once

#include "IDevicePacketIO.h"
#include "IUSBHIDDevice.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace Tonecrest
{

/** Carries packets to one opened pedal as HID reports: a reader thread blocks on 64-byte
    input reports and hands each to the handler; sends go out as report ID 0 + packet.
    Constructed, given its handler and deleted on the message thread; sendPacket runs on the
    task worker. Deleting it does not close the device: the owner closes it afterwards. */
class TonecrestUSBPacketIO : public IDevicePacketIO
{
public:
    static constexpr size_t kMaxPacketSize = 64;
    static constexpr size_t kInputReportSize = 64;

    /** The reader is running, and the state is already 1, when this returns. */
    explicit TonecrestUSBPacketIO(IUSBHIDDevice* device);
    ~TonecrestUSBPacketIO() override;

    TonecrestUSBPacketIO(const TonecrestUSBPacketIO&) = delete;
    TonecrestUSBPacketIO& operator=(const TonecrestUSBPacketIO&) = delete;

    Result setHandler(Handler* handler) override;
    Result sendPacket(const uint8_t* data, size_t length) override;
    Result reset() override;

    /** Stops the reader (after at most one read time-out) and joins it. */
    void stop();

    int getState() const;

private:
    void startReader();
    void readerLoop();
    void setState(int newState);

    IUSBHIDDevice* device;
    mutable std::mutex mutex;
    std::thread reader;
    std::atomic<bool> running { false };
    Handler* handler = nullptr;
    int state = kStateStopped;
};

} // namespace Tonecrest
