#pragma once

#include "IDevicePacketIO.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace Tonecrest::Testing
{

/** A packet transport without a device: each sent packet goes to a script that may answer by
    delivering packets or state changes on the sending thread, at once. Reaches what 64-byte
    HID reports cannot: reports shorter than a header, replies that come before the sender
    waits, a transport that comes back to running. Delivery holds the transport mutex, as the
    real reader does. */
class ScriptedPacketIO : public IDevicePacketIO
{
public:
    using Script = std::function<void(const std::vector<uint8_t>& packet, ScriptedPacketIO& io)>;

    explicit ScriptedPacketIO(int initialState = kStateRunning) : state(initialState) {}

    void setScript(Script newScript)
    {
        std::lock_guard<std::mutex> lock(mutex);
        script = std::move(newScript);
    }

    Result setHandler(Handler* newHandler) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        handler = newHandler;
        if (handler != nullptr)
            handler->onStateChanged(state);
        return kSuccess;
    }

    Result sendPacket(const uint8_t* data, size_t length) override
    {
        Script current;
        {
            std::lock_guard<std::mutex> lock(mutex);
            sent.emplace_back(data, data + length);
            current = script;
        }
        if (current)
            current(std::vector<uint8_t>(data, data + length), *this);
        return kSuccess;
    }

    /** Called from inside the handler: takes no lock. */
    Result reset() override
    {
        ++resets;
        return kSuccess;
    }

    void deliver(const std::vector<uint8_t>& packet)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (handler != nullptr)
            handler->onPacketReceived(packet.data(), packet.size());
    }

    void reportState(int newState)
    {
        std::lock_guard<std::mutex> lock(mutex);
        state = newState;
        if (handler != nullptr)
            handler->onStateChanged(newState);
    }

    std::vector<std::vector<uint8_t>> sentPackets() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return sent;
    }

    int resetCount() const { return resets.load(); }

private:
    mutable std::mutex mutex;
    Handler* handler = nullptr;
    int state;
    Script script;
    std::vector<std::vector<uint8_t>> sent;
    std::atomic<int> resets { 0 };
};

} // namespace Tonecrest::Testing
