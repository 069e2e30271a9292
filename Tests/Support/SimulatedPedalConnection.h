#pragma once

#include "SimulatedHIDDevice.h"
#include "SimulatedPedal.h"
#include "TonecrestProtocol.h"
#include "TonecrestUSBPacketIO.h"

#include <cstdint>
#include <memory>

namespace Tonecrest::Testing
{

/** The editor's device side wired to a simulated pedal in normal mode, the way the
    application wires a real one: protocol -> USB packet transport -> HID device -> pedal.
    The protocol and the pedal share the preset-list format (formatVariant 1: the older
    128-pair list). Members are torn down in the order the application uses: protocol,
    transport, then the pedal and its device. */
struct SimulatedPedalConnection
{
    static constexpr uint16_t kVendorID = 0x04D8;
    static constexpr uint16_t kNormalProductID = 0x003F;

    explicit SimulatedPedalConnection(unsigned formatVariant = 0)
        : device(kVendorID, kNormalProductID),
          pedal(device, formatVariant),
          transport(std::make_unique<TonecrestUSBPacketIO>(&device)),
          protocol(std::make_unique<TonecrestProtocol>(transport.get(), formatVariant))
    {
    }

    ~SimulatedPedalConnection()
    {
        protocol.reset();
        transport.reset();
    }

    SimulatedHIDDevice device;
    SimulatedPedal pedal;
    std::unique_ptr<TonecrestUSBPacketIO> transport;
    std::unique_ptr<TonecrestProtocol> protocol;
};

} // namespace Tonecrest::Testing
