#include "DeviceConnection.h"

DeviceConnection::DeviceConnection(Tonecrest::IUSBHIDDevice* hidDevice) : device(hidDevice)
{
    if (isNormalMode(*hidDevice))
    {
        packetIO = std::make_unique<Tonecrest::TonecrestUSBPacketIO>(hidDevice);
        protocol = std::make_unique<Tonecrest::TonecrestProtocol>(packetIO.get(), 0);
    }
    else
    {
        bootloader = std::make_unique<Tonecrest::TonecrestBootloader>(hidDevice);
    }
}

DeviceConnection::~DeviceConnection()
{
    protocol.reset();
    packetIO.reset();
    bootloader.reset();
}
