#include "TonecrestApplication.h"

#include "AppResources.h"
#include "ResourceFileLocator.h"
#include "Result.h"
#include "Timing.h"

#include <hidapi.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

namespace
{
// The update check may log after shutdown has deleted the file logger, so the log sink and
// every change of JUCE's current logger go through this lock.
std::mutex loggerMutex;

void writeLineToLogger(void*, const char* line)
{
    std::lock_guard<std::mutex> lock(loggerMutex);
    juce::Logger::writeToLog(juce::String::fromUTF8(line));
}

void setCurrentLogger(juce::Logger* logger)
{
    std::lock_guard<std::mutex> lock(loggerMutex);
    juce::Logger::setCurrentLogger(logger);
}

Tonecrest::TonecrestData::FirmwareVersionInfo minimumFirmwareVersion()
{
    Tonecrest::TonecrestData::FirmwareVersionInfo minimum;
    minimum.system = { 3, 4, 1, 0 };
    minimum.dsp = { 6, 2, 0, 0 };
    return minimum;
}
} // namespace

TonecrestApplication::TonecrestApplication(Tonecrest::IHIDBackend& backend)
    : updateOutcome(std::make_shared<UpdateCheck::Outcome>()), hidBackend(backend)
{
}

TonecrestApplication::~TonecrestApplication()
{
    // Normally shutdown has run; a late update answer must still find nobody to wake.
    updateOutcome->attach(nullptr);
}

void TonecrestApplication::initialise(const juce::String&)
{
    lookAndFeel = std::make_unique<TonecrestLookAndFeel>();
    juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel.get());

    logger.reset(juce::FileLogger::createDefaultAppLogger("Tonecrest", "Tonecrest Log.txt", "Begin Session", 128 * 1024));
    setCurrentLogger(logger.get());
    Tonecrest::setLogCallback(writeLineToLogger, nullptr);

    settings = createSettingsFile();

    hid_init();

    juce::ImageCache::setCacheTimeout(30000);

    initAppResources(openResourcePackReader(locateResourcePack()));

    const auto minimum = minimumFirmwareVersion();
    editorService = std::make_unique<Tonecrest::TonecrestEditorService>(&minimum);

    mainWindow = std::make_unique<StandaloneFilterWindow>(getApplicationName(), settings.get(), editorService.get());
    mainWindow->setVisible(true);

    Tonecrest::USBDeviceManager::Handler* handler = this;
    usbManager = std::make_unique<Tonecrest::USBDeviceManager>(
        handler,
        std::vector<uint32_t> { Tonecrest::USBDeviceManager::makeID(vendorID, normalProductID),
                                Tonecrest::USBDeviceManager::makeID(vendorID, bootloaderProductID) },
        hidBackend);

    startTimer(Tonecrest::Timing::scaled(usbPollIntervalMs));

    startUpdateCheck();
}

void TonecrestApplication::shutdown()
{
    // Before anything goes: the update check and the poll must not reach a half-gone object.
    updateOutcome->attach(nullptr);
    cancelPendingUpdate();
    stopTimer();

    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: disconnecting the editor service");
    if (editorService != nullptr)
        editorService->disconnect();

    mainWindow.reset();
    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: main window deleted");

    // Joins a firmware task that was waiting for its pedal, so nothing uses the connections now.
    editorService.reset();
    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: editor service deleted");

    if (device != nullptr)
        closeConnection(std::move(device));
    waitingDevices.clear();
    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: device connection deleted");

    usbManager.reset();
    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: USB device manager deleted");

    if (settings != nullptr)
        settings->saveIfNeeded();
    settings.reset();
    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: settings saved");

    hid_exit();
    Tonecrest::log(Tonecrest::kLogDebug, "TonecrestApplication: shutdown: HID library shut down");

    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    setCurrentLogger(nullptr);

    shutdownAppResources();
}

void TonecrestApplication::systemRequestedQuit()
{
    if (mainWindow != nullptr)
        mainWindow->requestQuit();
    else
        quit();
}

std::unique_ptr<juce::PropertiesFile> TonecrestApplication::createSettingsFile()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Tonecrest";
    options.filenameSuffix = "settings";
    options.osxLibrarySubFolder = "Application Support";
    options.folderName = "Tonecrest";

    // The user's configuration folder (~/.config) stands in for Application Support here;
    // the options' own Linux default would be a folder in the home directory.
    const auto file = juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
                          .getChildFile(options.folderName)
                          .getChildFile(options.applicationName + "." + options.filenameSuffix);
    return std::make_unique<juce::PropertiesFile>(file, options);
}

// ---- Update check ----------------------------------------------------------------------------

void TonecrestApplication::startUpdateCheck()
{
    updateOutcome->attach(this);
    std::thread(checkForUpdate, updateOutcome, UpdateCheck::getRequestURL()).detach();
}

void TonecrestApplication::checkForUpdate(std::shared_ptr<UpdateCheck::Outcome> outcome, juce::URL url)
{
    Tonecrest::log(Tonecrest::kLogDebug, "Checking for update...");

    const juce::String reply = UpdateCheck::fetch(url);
    char buffer[256] = {};
    std::strncpy(buffer, reply.toRawUTF8(), sizeof(buffer) - 1);
    Tonecrest::log(Tonecrest::kLogDebug, "Update check response: %s", buffer);

    if (UpdateCheck::parseLatestVersion(buffer) < UpdateCheck::referenceVersion)
    {
        Tonecrest::log(Tonecrest::kLogDebug, "Application is up-to-date.");
        return;
    }

    Tonecrest::log(Tonecrest::kLogDebug, "There is a newer application version available!");
    outcome->reportNewerVersion();
}

void TonecrestApplication::handleAsyncUpdate()
{
    if (updateOutcome->takeNewerVersion() && mainWindow != nullptr)
        mainWindow->showUpdateNotice();
}

// ---- Devices ---------------------------------------------------------------------------------

void TonecrestApplication::timerCallback()
{
    ++pollCount;
    if (usbManager != nullptr)
        usbManager->poll();
}

void TonecrestApplication::onUSBDeviceAdded(Tonecrest::IUSBHIDDevice* newDevice)
{
    // One pedal at a time; another stays open and idle.
    if (device != nullptr)
    {
        waitingDevices.push_back({ newDevice, pollCount });
        return;
    }
    connectDevice(newDevice);
}

void TonecrestApplication::onUSBDeviceRemoved(Tonecrest::IUSBHIDDevice* removedDevice)
{
    waitingDevices.erase(std::remove_if(waitingDevices.begin(), waitingDevices.end(),
                                        [removedDevice](const WaitingDevice& waiting) { return waiting.device == removedDevice; }),
                         waitingDevices.end());

    if (device == nullptr || device->device != removedDevice)
    {
        removedDevice->close();
        return;
    }

    // Once disconnect has returned no task is inside this device's objects any more, also
    // during a firmware update that goes on across the pedal's restart.
    editorService->disconnect();
    closeConnection(std::move(device));

    // A pedal back on the bus before the next poll is announced in the same poll as its old
    // device's removal, just before it: that one takes over. One that was idle before stays
    // idle. While a firmware update waits for its pedal, only a device in the mode it waits
    // for is taken, so the update's firmware and assets never reach a pedal it did not expect.
    const auto awaited = editorService->getAwaitedReconnect();
    using Reconnect = Tonecrest::TonecrestEditorService::Reconnect;
    auto replug = std::find_if(waitingDevices.begin(), waitingDevices.end(), [this, awaited](const WaitingDevice& waiting) {
        return waiting.poll == pollCount
            && (awaited == Reconnect::kNone || DeviceConnection::isNormalMode(*waiting.device) == (awaited == Reconnect::kNormal));
    });
    if (replug == waitingDevices.end())
        return;
    auto* next = replug->device;
    waitingDevices.erase(replug);
    connectDevice(next);
}

void TonecrestApplication::connectDevice(Tonecrest::IUSBHIDDevice* newDevice)
{
    device = std::make_unique<DeviceConnection>(newDevice);
    if (device->isBootloader())
    {
        editorService->connectBootloader(device->bootloader.get());
        return;
    }

    editorService->connect(device->protocol.get());
    auto* service = editorService.get();
    service->beginWaitForReady([service] {
        if (service->isReady())
            service->beginRefreshAll({});
    });
}

void TonecrestApplication::closeConnection(std::unique_ptr<DeviceConnection> connection)
{
    auto* hidDevice = connection->device;
    connection.reset();
    hidDevice->close();
}
