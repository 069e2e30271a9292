#pragma once

#include "DeviceConnection.h"
#include "HIDBackend.h"
#include "StandaloneFilterWindow.h"
#include "TonecrestEditorService.h"
#include "TonecrestLookAndFeel.h"
#include "USBDeviceManager.h"
#include "UpdateCheck.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <memory>
#include <vector>

/** The program's root: builds every long-lived object in a fixed order at start-up, tears them
    down in a fixed order at shutdown, turns USB arrivals and removals into connections of the
    editor service, and asks once per start whether a newer editor exists.

    Threads: everything here runs on the message thread except the update check, which runs on
    a detached thread and reaches back only through a shared UpdateCheck::Outcome. The wait-for-
    ready completion runs on the service's worker and only calls the service. */
class TonecrestApplication : public juce::JUCEApplication,
                             private juce::Timer,
                             private juce::AsyncUpdater,
                             private Tonecrest::USBDeviceManager::Handler
{
public:
    static constexpr uint16_t vendorID = 0x04D8;
    static constexpr uint16_t normalProductID = 0x003F;
    static constexpr uint16_t bootloaderProductID = 0x003C;
    /** The USB poll's period; read through the device side's timing scale. */
    static constexpr int usbPollIntervalMs = 333;

    /** backend: the HID bus the device manager polls (hidapi; tests hand in a fake bus). */
    explicit TonecrestApplication(Tonecrest::IHIDBackend& backend = Tonecrest::hidapiBackend());
    ~TonecrestApplication() override;

    const juce::String getApplicationName() override { return "Tonecrest"; }
    const juce::String getApplicationVersion() override { return "1.0.0"; }
    bool moreThanOneInstanceAllowed() override { return false; }

    void initialise(const juce::String& commandLine) override;
    void shutdown() override;
    void systemRequestedQuit() override;

    /** Starts the detached update-check thread. */
    void startUpdateCheck();
    /** The update check's thread body: asks `url`, logs, and reports a newer version to
        `outcome`. Touches nothing else of the application. */
    static void checkForUpdate(std::shared_ptr<UpdateCheck::Outcome> outcome, juce::URL url);

    /** The settings file: "Tonecrest/Tonecrest.settings" in the user's configuration folder. */
    static std::unique_ptr<juce::PropertiesFile> createSettingsFile();

    // What the application holds, for the tests and the start-up benchmark. Message thread.
    StandaloneFilterWindow* getMainWindow() const { return mainWindow.get(); }
    Tonecrest::TonecrestEditorService* getEditorService() const { return editorService.get(); }
    juce::PropertiesFile* getSettings() const { return settings.get(); }
    /** The device of the connection in use; null when none. */
    Tonecrest::IUSBHIDDevice* getConnectedDevice() const { return device != nullptr ? device->device : nullptr; }
    bool isConnectedToBootloader() const { return device != nullptr && device->isBootloader(); }
    /** Accepted devices that arrived while another one was held. */
    size_t getNumWaitingDevices() const { return waitingDevices.size(); }

private:
    void timerCallback() override;
    void handleAsyncUpdate() override;
    void onUSBDeviceAdded(Tonecrest::IUSBHIDDevice* newDevice) override;
    void onUSBDeviceRemoved(Tonecrest::IUSBHIDDevice* removedDevice) override;

    void connectDevice(Tonecrest::IUSBHIDDevice* newDevice);
    /** Deletes the connection, then closes its device. */
    static void closeConnection(std::unique_ptr<DeviceConnection> connection);

    // The order below is the order of destruction, reversed.
    std::shared_ptr<UpdateCheck::Outcome> updateOutcome; // holds updateMutex and the flag
    std::unique_ptr<StandaloneFilterWindow> mainWindow;
    std::unique_ptr<TonecrestLookAndFeel> lookAndFeel;
    std::unique_ptr<juce::PropertiesFile> settings;
    std::unique_ptr<Tonecrest::USBDeviceManager> usbManager;
    std::unique_ptr<DeviceConnection> device;
    struct WaitingDevice
    {
        Tonecrest::IUSBHIDDevice* device;
        uint64_t poll; // the poll that announced it
    };
    std::vector<WaitingDevice> waitingDevices;
    uint64_t pollCount = 0;
    std::unique_ptr<Tonecrest::TonecrestEditorService> editorService;
    std::unique_ptr<juce::FileLogger> logger;
    Tonecrest::IHIDBackend& hidBackend;
};
