#pragma once

#include "FakeHIDBackend.h"
#include "TonecrestBootloader.h"
#include "TonecrestEditorService.h"
#include "TonecrestProtocol.h"
#include "TonecrestUSBPacketIO.h"
#include "USBDeviceManager.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Tonecrest::Testing
{

/** The application's device wiring, for tests: a USB device manager over a fake bus, polled
    on a thread of its own that plays the message thread, which turns each arrival into a
    connection of the editor service (normal mode: packet transport, protocol with format
    variant 0, connect, wait for ready and a full refresh if ready; bootloader mode: a
    TonecrestBootloader and connectBootloader) and each removal of the held device into a
    disconnect, the connection's deletion (protocol, transport, bootloader) and the device's
    close. Only one device is held at a time; another one stays idle, as in the application.

    The service is optional: without one the wiring only makes and deletes the connections,
    and a test drives the protocol or bootloader itself. The service must outlive the wiring.
    Start, stop and the destructor run on the test's thread. */
class SimulatedDeviceWiring : private USBDeviceManager::Handler
{
public:
    static constexpr uint16_t kVendorID = 0x04D8;
    static constexpr uint16_t kNormalProductID = 0x003F;
    static constexpr uint16_t kBootloaderProductID = 0x003C;

    SimulatedDeviceWiring(FakeHIDBackend& backend, TonecrestEditorService* service,
                          std::chrono::milliseconds pollInterval = std::chrono::milliseconds(2));
    /** Stops polling, disconnects the service and deletes the connection, as at shutdown. */
    ~SimulatedDeviceWiring();

    SimulatedDeviceWiring(const SimulatedDeviceWiring&) = delete;
    SimulatedDeviceWiring& operator=(const SimulatedDeviceWiring&) = delete;

    /** The current connection's objects (null when it is of the other mode or absent). Valid
        until the next removal: use them only while the device is known to stay. */
    TonecrestProtocol* protocol() const;
    TonecrestBootloader* bootloader() const;
    /** Waits (real time) until a connection of that mode (true: bootloader) exists. */
    bool waitForConnection(bool bootloaderMode, std::chrono::milliseconds timeout) const;
    bool waitForNoConnection(std::chrono::milliseconds timeout) const;

    int connectionsMade() const;
    int connectionsDeleted() const;

private:
    struct DeviceConnection
    {
        explicit DeviceConnection(IUSBHIDDevice* device);
        ~DeviceConnection();

        std::unique_ptr<TonecrestBootloader> bootloader;
        IUSBHIDDevice* device;
        std::unique_ptr<TonecrestProtocol> protocol;
        std::unique_ptr<TonecrestUSBPacketIO> packetIO;
    };

    void onUSBDeviceAdded(IUSBHIDDevice* device) override;
    void onUSBDeviceRemoved(IUSBHIDDevice* device) override;
    void pollLoop(std::chrono::milliseconds interval);

    TonecrestEditorService* const service;
    std::unique_ptr<USBDeviceManager> manager;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::unique_ptr<DeviceConnection> connection;
    int made = 0;
    int deleted = 0;

    std::atomic<bool> polling { true };
    std::thread poller;
};

} // namespace Tonecrest::Testing
