#pragma once

#include "IUSBHIDDevice.h"
#include "TonecrestBootloader.h"
#include "TonecrestProtocol.h"
#include "TonecrestUSBPacketIO.h"

#include <cstdint>
#include <memory>

/** The objects made for the one pedal in use: a packet transport and a protocol in normal mode,
    or a bootloader client in bootloader mode, never both. The device itself belongs to the USB
    device manager and is closed by the application after this is gone. Made and deleted on the
    message thread. */
class DeviceConnection
{
public:
    static constexpr uint16_t normalProductID = 0x003F;

    /** Normal mode (product ID 0x003F) starts the transport's reader thread; every other product
        ID the manager accepted is taken for the bootloader. */
    explicit DeviceConnection(Tonecrest::IUSBHIDDevice* device);
    /** Protocol first, then the transport (which stops its reader), then the bootloader. */
    ~DeviceConnection();

    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    bool isBootloader() const { return bootloader != nullptr; }
    /** Which objects the constructor makes for a device: normal mode or its bootloader. */
    static bool isNormalMode(const Tonecrest::IUSBHIDDevice& device) { return device.getProductID() == normalProductID; }

    std::unique_ptr<Tonecrest::TonecrestBootloader> bootloader;
    Tonecrest::IUSBHIDDevice* const device;
    std::unique_ptr<Tonecrest::TonecrestProtocol> protocol;
    std::unique_ptr<Tonecrest::TonecrestUSBPacketIO> packetIO;
};
