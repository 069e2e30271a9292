#include "TonecrestUSBPacketIO.h"

#include "Timing.h"

#include <cstring>

namespace Tonecrest
{

TonecrestUSBPacketIO::TonecrestUSBPacketIO(IUSBHIDDevice* hidDevice)
    : device(hidDevice)
{
    startReader();
}

TonecrestUSBPacketIO::~TonecrestUSBPacketIO()
{
    stop();
}

void TonecrestUSBPacketIO::startReader()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (running)
        return;
    running = true;
    // Running from the start: a handler set right after construction must not see state 0
    // just because the reader thread has not been scheduled yet.
    state = kStateRunning;
    reader = std::thread(&TonecrestUSBPacketIO::readerLoop, this);
}

void TonecrestUSBPacketIO::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        running = false;
    }
    if (reader.joinable() && reader.get_id() != std::this_thread::get_id())
        reader.join();
}

Result TonecrestUSBPacketIO::setHandler(Handler* newHandler)
{
    std::lock_guard<std::mutex> lock(mutex);
    handler = newHandler;
    if (handler != nullptr)
        handler->onStateChanged(state);
    return kSuccess;
}

Result TonecrestUSBPacketIO::sendPacket(const uint8_t* data, size_t length)
{
    if (length > kMaxPacketSize)
        return TONECREST_ERROR("Packet too large");

    uint8_t report[kMaxPacketSize + 1];
    report[0] = 0;
    if (length > 0)
        std::memcpy(report + 1, data, length);

    int written;
    {
        std::lock_guard<std::mutex> lock(mutex);
        written = device->write(report, length + 1);
    }

    if (written < 0)
        return TONECREST_ERROR("hid_write failed with %d", written);
    if (static_cast<size_t>(written) > length)
        return kSuccess;
    return TONECREST_ERROR("hid_write incomplete");
}

Result TonecrestUSBPacketIO::reset()
{
    return kSuccess;
}

int TonecrestUSBPacketIO::getState() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return state;
}

void TonecrestUSBPacketIO::setState(int newState)
{
    std::lock_guard<std::mutex> lock(mutex);
    state = newState;
    if (handler != nullptr)
        handler->onStateChanged(newState);
}

void TonecrestUSBPacketIO::readerLoop()
{
    uint8_t buffer[kInputReportSize];

    while (running)
    {
        int count = device->read(buffer, sizeof(buffer), Timing::scaled(Timing::hidReadTimeoutMs));
        if (count < 0)
        {
            TONECREST_ERROR("HID read error: %d", count);
            {
                std::lock_guard<std::mutex> lock(mutex);
                running = false;
            }
            // The error state is final: no state 0 follows it.
            setState(kStateError);
            return;
        }
        if (count > 0)
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (handler != nullptr)
                handler->onPacketReceived(buffer, static_cast<size_t>(count));
        }
    }

    setState(kStateStopped);
}

} // namespace Tonecrest
