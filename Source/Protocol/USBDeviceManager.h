#pragma once

#include "HIDBackend.h"
#include "IUSBHIDDevice.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tonecrest
{

/** Finds the pedal on the USB bus by polling, opens each accepted HID device once and tells
    its handler when one arrives and when one goes away. poll, the handler calls and the
    destructor run on the message thread. */
class USBDeviceManager
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** The device stays valid until its owner has closed it and a later poll has passed. */
        virtual void onUSBDeviceAdded(IUSBHIDDevice* device) = 0;
        /** Sent at most once per device. The owner must stop reading, then close() it. */
        virtual void onUSBDeviceRemoved(IUSBHIDDevice* device) = 0;
    };

    /** One opened device. read takes no lock (one reader thread at a time); write, close and the
        manager's match test are serialised by the device mutex. */
    class HIDDevice : public IUSBHIDDevice
    {
    public:
        HIDDevice(IHIDBackend& backend, IHIDBackend::Handle handle, const IHIDBackend::Entry& entry);
        ~HIDDevice() override;

        int read(uint8_t* buffer, size_t length, int timeoutMs) override;
        int write(const uint8_t* data, size_t length) override;
        void close() override;
        uint16_t getVendorID() const override { return vendorID; }
        uint16_t getProductID() const override { return productID; }

        const std::string& getPath() const { return path; }

    private:
        friend class USBDeviceManager;

        /** Open, at this path, and not already known to be gone. */
        bool matches(const IHIDBackend::Entry& entry);
        /** Sets the removal flag; true the first time only. */
        bool markRemovalReported();
        bool isClosed();

        IHIDBackend& backend;
        IHIDBackend::Handle handle;
        const std::string path;
        bool removalReported = false;
        // A failed read means the device is gone even when hidraw reuses its path for the
        // replugged pedal, so it must not match a fresh enumeration entry any more.
        std::atomic<bool> readFailed { false };
        std::mutex mutex;
        const uint16_t vendorID;
        const uint16_t productID;
    };

    /** acceptedIDs: (vendorID << 16) | productID for each accepted device. */
    USBDeviceManager(Handler* handler, const std::vector<uint32_t>& acceptedIDs, IHIDBackend& backend = hidapiBackend());
    /** Deletes every held device without calling the handler. */
    ~USBDeviceManager();

    USBDeviceManager(const USBDeviceManager&) = delete;
    USBDeviceManager& operator=(const USBDeviceManager&) = delete;

    /** One discovery pass: adds are announced before removals. Message thread only. */
    void poll();

    static constexpr uint32_t makeID(uint16_t vendorID, uint16_t productID)
    {
        return (static_cast<uint32_t>(vendorID) << 16) | productID;
    }

private:
    bool isAccepted(const IHIDBackend::Entry& entry) const;

    Handler* handler;
    std::vector<uint32_t> acceptedIDs;
    std::vector<HIDDevice*> devices;
    IHIDBackend& backend;
};

} // namespace Tonecrest
