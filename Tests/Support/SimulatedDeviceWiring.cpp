#include "SimulatedDeviceWiring.h"

namespace Tonecrest::Testing
{

SimulatedDeviceWiring::DeviceConnection::DeviceConnection(IUSBHIDDevice* hidDevice)
    : device(hidDevice)
{
    if (hidDevice->getProductID() == kNormalProductID)
    {
        packetIO = std::make_unique<TonecrestUSBPacketIO>(hidDevice);
        protocol = std::make_unique<TonecrestProtocol>(packetIO.get(), 0);
    }
    else
    {
        bootloader = std::make_unique<TonecrestBootloader>(hidDevice);
    }
}

SimulatedDeviceWiring::DeviceConnection::~DeviceConnection()
{
    protocol.reset();
    packetIO.reset();
    bootloader.reset();
}

SimulatedDeviceWiring::SimulatedDeviceWiring(FakeHIDBackend& backend, TonecrestEditorService* editorService,
                                             std::chrono::milliseconds pollInterval)
    : service(editorService)
{
    USBDeviceManager::Handler* handler = this;
    manager = std::make_unique<USBDeviceManager>(
        handler,
        std::vector<uint32_t> { USBDeviceManager::makeID(kVendorID, kNormalProductID),
                                USBDeviceManager::makeID(kVendorID, kBootloaderProductID) },
        backend);
    poller = std::thread([this, pollInterval] { pollLoop(pollInterval); });
}

SimulatedDeviceWiring::~SimulatedDeviceWiring()
{
    polling = false;
    poller.join();
    if (service != nullptr)
        service->disconnect();
    std::unique_ptr<DeviceConnection> closing;
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = std::move(connection);
    }
    closing.reset();
    manager.reset();
}

void SimulatedDeviceWiring::pollLoop(std::chrono::milliseconds interval)
{
    while (polling)
    {
        manager->poll();
        std::this_thread::sleep_for(interval);
    }
}

void SimulatedDeviceWiring::onUSBDeviceAdded(IUSBHIDDevice* device)
{
    TonecrestProtocol* newProtocol = nullptr;
    TonecrestBootloader* newBootloader = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (connection != nullptr)
            return;
        connection = std::make_unique<DeviceConnection>(device);
        newProtocol = connection->protocol.get();
        newBootloader = connection->bootloader.get();
        ++made;
    }
    changed.notify_all();
    if (service == nullptr)
        return;

    if (newBootloader != nullptr)
    {
        service->connectBootloader(newBootloader);
        return;
    }
    service->connect(newProtocol);
    TonecrestEditorService* editorService = service;
    service->beginWaitForReady([editorService] {
        if (editorService->isReady())
            editorService->beginRefreshAll({});
    });
}

void SimulatedDeviceWiring::onUSBDeviceRemoved(IUSBHIDDevice* device)
{
    bool held;
    {
        std::lock_guard<std::mutex> lock(mutex);
        held = connection != nullptr && connection->device == device;
    }
    if (held)
    {
        if (service != nullptr)
            service->disconnect();
        std::unique_ptr<DeviceConnection> closing;
        {
            std::lock_guard<std::mutex> lock(mutex);
            closing = std::move(connection);
            ++deleted;
        }
        closing.reset();
        changed.notify_all();
    }
    device->close();
}

TonecrestProtocol* SimulatedDeviceWiring::protocol() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return connection != nullptr ? connection->protocol.get() : nullptr;
}

TonecrestBootloader* SimulatedDeviceWiring::bootloader() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return connection != nullptr ? connection->bootloader.get() : nullptr;
}

bool SimulatedDeviceWiring::waitForConnection(bool bootloaderMode, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] {
        return connection != nullptr && (bootloaderMode ? connection->bootloader != nullptr : connection->protocol != nullptr);
    });
}

bool SimulatedDeviceWiring::waitForNoConnection(std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return connection == nullptr; });
}

int SimulatedDeviceWiring::connectionsMade() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return made;
}

int SimulatedDeviceWiring::connectionsDeleted() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return deleted;
}

} // namespace Tonecrest::Testing
