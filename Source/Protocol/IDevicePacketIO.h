#pragma once

#include "Result.h"

#include <cstddef>
#include <cstdint>

namespace Tonecrest
{

/** Carries protocol packets ([type][length][payload]) to and from one device. */
class IDevicePacketIO
{
public:
    enum State
    {
        kStateStopped = 0,
        kStateRunning = 1,
        kStateError = 2
    };

    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** Called on the reader thread (or inside setHandler) with the transport mutex held. */
        virtual void onStateChanged(int state) = 0;
        /** Called on the reader thread with the transport mutex held: copy and return quickly,
            never send on the same transport from here. */
        virtual void onPacketReceived(const uint8_t* data, size_t length) = 0;
    };

    virtual ~IDevicePacketIO() = default;

    /** Stores the handler and reports the current state to it at once. */
    virtual Result setHandler(Handler* handler) = 0;
    virtual Result sendPacket(const uint8_t* data, size_t length) = 0;
    /** Called after a malformed packet; a transport that can resynchronise does it here. */
    virtual Result reset() = 0;
};

} // namespace Tonecrest
