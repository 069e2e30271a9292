// Bringing the pedal to the firmware of an archive: system firmware through the bootloader,
// DSP firmware through the protocol, then the archive's assets. The pedal leaves the bus and
// comes back after each firmware step; `reconnecting` keeps this task alive across that.

#include "TonecrestEditorService.h"

#include "Timing.h"
#include "TonecrestBootloader.h"

#include <thread>

namespace Tonecrest
{

Result TonecrestEditorService::chooseDSPImages(const TonecrestData::Archive& archive, int subType, TonecrestData::FirmwareData& images)
{
    const bool qv6Variant = subType == 1 || subType == 2;
    if (qv6Variant && archive.dspFirmwareQV6 && archive.dspFirmware2)
    {
        log(kLogDebug, "TonecrestEditorService: Using QV6 firmware from archive");
        images.dsp0Image = *archive.dspFirmwareQV6;
        images.dsp1Image = *archive.dspFirmware2;
        return kSuccess;
    }
    if (archive.dspFirmware && archive.dspFirmware2)
    {
        log(kLogDebug, "TonecrestEditorService: Using QV3 firmware from archive");
        images.dsp0Image = *archive.dspFirmware;
        images.dsp1Image = *archive.dspFirmware2;
        return kSuccess;
    }
    return TONECREST_ERROR("DSP firmware not found!");
}

Result TonecrestEditorService::beginFirmwareUpdate(const TonecrestData::Archive& archive, const RestoreOptions& options,
                                                   Progress progress, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: beginFirmwareUpdate()");
    std::lock_guard<std::mutex> lock(stateMutex);
    if (!running)
        return TONECREST_ERROR("Cannot start task while not running");
    const bool attached = protocol != nullptr || bootloader != nullptr;
    const bool startable = state == kStateReady || state == kStateBootloader || (state == kStateError && attached);
    if (!startable || !attached)
        return TONECREST_ERROR("Cannot start task while busy");
    // The body's own state changes tell the listeners.
    state = kStateFirmwareUpdate;
    taskQueue->push([this, archive, options, progress = std::move(progress)](Task& task) {
        return firmwareUpdate(task, archive, options, progress);
    },
                    std::move(completion));
    return kSuccess;
}

void TonecrestEditorService::setReconnecting(bool value)
{
    std::lock_guard<std::mutex> lock(stateMutex);
    reconnecting = value;
    reconnectToBootloader = false;
}

Result TonecrestEditorService::waitForReconnect(Task& task, int timeoutMs)
{
    auto reconnected = [this] {
        std::lock_guard<std::mutex> lock(stateMutex);
        return !reconnecting;
    };
    const auto step = Timing::scaledDuration(Timing::reconnectSleepStepMs);
    std::this_thread::sleep_for(step);
    if (reconnected())
        return kSuccess;
    // The limit counts steps, so scaled-down tests wait the same number of them.
    int elapsedMs = 0;
    while (true)
    {
        if (timeoutMs > 0)
        {
            elapsedMs += Timing::reconnectSleepStepMs;
            if (elapsedMs > timeoutMs)
                break;
        }
        if (task.cancelled)
            break;
        std::this_thread::sleep_for(step);
        if (reconnected())
            return kSuccess;
    }
    setReconnecting(false);
    return TONECREST_ERROR("Wait aborted");
}

Result TonecrestEditorService::firmwareUpdate(Task& task, const TonecrestData::Archive& archive, const RestoreOptions& options,
                                              const Progress& progress)
{
    log(kLogDebug, "TonecrestEditorService: Starting update");
    TonecrestData::FirmwareVersionInfo version = getDeviceVersion();

    const bool updateSystem = archive.versionInfo && archive.systemFirmware
                           && archive.versionInfo->systemVersionNumber() != version.systemVersionNumber();
    const double phases = updateSystem ? 3.0 : 2.0;
    auto phaseProgress = [&progress, phases](int phase) -> std::function<void(double)> {
        if (!progress)
            return nullptr;
        return [&progress, phases, phase](double fraction) { progress((phase + fraction) / phases); };
    };
    auto fail = [this](const char* text, Result result) {
        setReconnecting(false);
        return failTask(text, result);
    };

    if (TonecrestProtocol* device = getProtocol())
        device->clearError();

    int dspPhase = 0;
    if (!updateSystem)
    {
        log(kLogWarning, "Skipping system firmware update");
        setState(kStateFirmwareUpdate);
    }
    else
    {
        log(kLogDebug, "TonecrestEditorService: Waiting to connect to bootloader");
        while (true)
        {
            {
                std::lock_guard<std::mutex> lock(stateMutex);
                if (bootloader != nullptr)
                    break;
                reconnecting = true;
                reconnectToBootloader = true;
            }
            // The user power-cycles the pedal into its bootloader; the views show state 12.
            setState(kStateReconnecting);
            Result result = waitForReconnect(task, -1);
            if (!result)
                return fail("Could not reconnect to the device (1)", result);
        }

        setState(kStateFirmwareUpdate);
        setReconnecting(true);
        log(kLogDebug, "TonecrestEditorService: Updating system firmware");
        TonecrestBootloader* loader;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            loader = bootloader;
        }
        // The bootloader object may be deleted while it programs (it detaches its device), so
        // this call needs no device lock.
        Result result = loader != nullptr ? loader->updateFirmware(*archive.systemFirmware, phaseProgress(0))
                                          : TONECREST_ERROR("Bootloader went away");
        if (!result)
            return fail("Could not update system firmware", result);

        log(kLogDebug, "TonecrestEditorService: Reconnecting");
        result = waitForReconnect(task, Timing::reconnectTimeoutMs);
        if (!result)
            return fail("Could not reconnect to the device (2)", result);
        if (getProtocol() == nullptr)
            return fail("Could not reconnect to the device (3)", TONECREST_ERROR("Failed to reconnect to protocol"));
        std::this_thread::sleep_for(Timing::scaledDuration(Timing::firmwareSettleMs));
        dspPhase = 1;
    }

    if (TonecrestProtocol* device = getProtocol())
    {
        TonecrestData::FirmwareVersionInfo refreshed;
        if (device->getFirmwareVersionInfo(refreshed).ok)
            version = refreshed;
        else
            log(kLogWarning, "Failed to refresh version information");
    }
    log(kLogDebug, "TonecrestEditorService: Device subType: %d", static_cast<int>(version.subType));
    if (version.subType == -1)
        log(kLogWarning, "Device subtype is unknown!");
    log(kLogDebug, "TonecrestEditorService: Archive contains QV3 fw: %d", archive.dspFirmware ? 1 : 0);
    log(kLogDebug, "TonecrestEditorService: Archive contains QV6 fw: %d", archive.dspFirmwareQV6 ? 1 : 0);

    TonecrestData::FirmwareData images;
    Result result = chooseDSPImages(archive, version.subType, images);
    if (!result)
        return fail("DSP firmware not found", result);
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        deviceVersion = version;
    }

    setReconnecting(true);
    {
        std::lock_guard<std::mutex> deviceLock(deviceUseMutex);
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
        {
            log(kLogError, "Tried to update DSP firmware without protocol");
            result = TONECREST_ERROR("No protocol for the DSP update");
        }
        else
        {
            result = device->updateDSPFirmware(images, phaseProgress(dspPhase));
            if (!result)
                return fail("Could not update DSP firmware", result);
        }
    }
    if (!result)
        return fail("Could not communicate with the device", result);

    log(kLogDebug, "TonecrestEditorService: Reconnecting");
    result = waitForReconnect(task, Timing::reconnectTimeoutMs);
    if (!result)
        return fail("Could not reconnect to the device (4)", result);
    log(kLogDebug, "TonecrestEditorService: Waiting for ready");
    result = waitForReady(task, Timing::readyGiveUpMs);
    if (!result)
        return fail("Could not reconnect to the device (5)", result);

    log(kLogDebug, "TonecrestEditorService: Restoring assets");
    result = restoreFromArchive(archive, options, phaseProgress(dspPhase + 1));
    if (!result)
        return fail("Could not restore assets", result);

    log(kLogDebug, "TonecrestEditorService: Update complete");
    finishTask(kStateFirmwareUpdate);
    return beginRefreshAll(nullptr);
}

} // namespace Tonecrest
