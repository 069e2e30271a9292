// Waiting for the pedal to become ready, and filling the cache from it.

#include "TonecrestEditorService.h"

#include "Timing.h"
#include "TonecrestPresetMigration.h"

#include <chrono>
#include <thread>

namespace Tonecrest
{
namespace
{
using Clock = std::chrono::steady_clock;

// Amp ids share the cabinet menu with the special settings (-1 to -4) and with the user and
// preset cabinet choices (10000 and up); an id in those ranges could not be told apart.
bool isUsableAmpId(uint32_t id)
{
    return id < static_cast<uint32_t>(TonecrestEditorService::kUserCabinetChoiceBase);
}

std::unique_ptr<TonecrestData::Cabinet> unitImpulseCabinet(const std::string& name)
{
    auto cabinet = std::make_unique<TonecrestData::Cabinet>();
    cabinet->name = name;
    return cabinet;
}
} // namespace

Result TonecrestEditorService::beginWaitForReady(Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: beginWaitForReady()");
    return startTask(kStateWaitingForReady, std::move(completion), [this](Task& task) -> Result {
        Result result = waitForReady(task, Timing::readyGiveUpMs);
        if (!result)
        {
            setError("Timed out waiting for device to become ready");
            return result;
        }
        bool supported = isFirmwareVersionSupported(getDeviceVersion());
        finishTask(kStateWaitingForReady, supported ? kStateReady : kStateBootloader);
        return kSuccess;
    });
}

Result TonecrestEditorService::beginRefreshAll(Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: beginRefreshAll()");
    return startTask(kStateRefreshing, std::move(completion), [this](Task& task) -> Result {
        Result result = refreshAll(task);
        if (!result)
        {
            setError("Could not refresh the device");
            return result;
        }
        finishTask(kStateRefreshing);
        notifyCurrentPresetChanged();
        notifyParametersChanged();
        return kSuccess;
    });
}

bool TonecrestEditorService::isFirmwareVersionSupported(const TonecrestData::FirmwareVersionInfo& version) const
{
    uint32_t minimumSystem = minimumVersion.systemVersionNumber();
    uint32_t minimumDsp = minimumVersion.dspVersionNumber();
    if (minimumSystem != 0 && version.systemVersionNumber() < minimumSystem)
        return false;
    if (minimumDsp == 0)
        return true;
    return version.dspVersionNumber() >= minimumDsp;
}

Result TonecrestEditorService::waitForReady(Task& task, int timeoutMs)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    const Clock::time_point start = Clock::now();
    const auto limit = Timing::scaledDuration(timeoutMs);
    log(kLogDebug, "TonecrestEditorService: Waiting for device to become ready");

    bool responded = false;
    Result result = device->ping(responded);
    if (!result)
        return result;
    while (!responded)
    {
        if (Clock::now() - start > limit)
            return TONECREST_ERROR("Timeout waiting for ready");
        if (task.cancelled)
            return TONECREST_ERROR("Cancelled while waiting for ready");
        log(kLogDebug, "TonecrestEditorService: Device not ready");
        std::this_thread::sleep_for(Timing::scaledDuration(Timing::readyPingIntervalMs));
        result = device->ping(responded);
        if (!result)
            return result;
    }

    log(kLogDebug, "TonecrestEditorService: Got response - waiting extra time");
    std::this_thread::sleep_for(Timing::scaledDuration(Timing::readySettleMs));
    log(kLogDebug, "TonecrestEditorService: Device ready");
    log(kLogDebug, "TonecrestEditorService: Requesting version");

    TonecrestData::FirmwareVersionInfo version;
    if (device->getFirmwareVersionInfo(version).ok)
    {
        log(kLogDebug, "TonecrestEditorService: System version: %d.%d.%d", version.system[0], version.system[1], version.system[2]);
        log(kLogDebug, "TonecrestEditorService: DSP version: %d.%d.%d", version.dsp[0], version.dsp[1], version.dsp[2]);
        log(kLogDebug, "TonecrestEditorService: Device subtype: %d", static_cast<int>(version.subType));
    }
    else
    {
        log(kLogWarning, "Failed to get version information - assuming invalid version");
        version = TonecrestData::FirmwareVersionInfo {};
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        deviceVersion = version;
    }

    result = device->ping(responded);
    if (!result)
        return result;
    if (!responded)
        return TONECREST_ERROR("Second ping check failed");
    return kSuccess;
}

Result TonecrestEditorService::refreshAll(Task& task)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    auto cancelled = [&task]() -> Result {
        return task.cancelled ? TONECREST_ERROR("Refresh cancelled") : kSuccess;
    };

    log(kLogDebug, "TonecrestEditorService: Starting refresh");
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        for (auto& entry : presets)
            entry.state = PresetInfo::kStale;
        for (auto& entry : userCabinets)
            entry.state = PresetInfo::kStale;
    }
    notifyAllChanged();

    log(kLogDebug, "TonecrestEditorService: Refreshing amp list");
    Result result = refreshAmpList(task);
    if (!result || !(result = cancelled()))
        return result;

    log(kLogDebug, "TonecrestEditorService: Refreshing globals");
    result = refreshGlobals();
    if (!result || !(result = cancelled()))
        return result;

    log(kLogDebug, "TonecrestEditorService: Refreshing preset names");
    for (unsigned i = 0; i < kNumPresets && !task.cancelled; ++i)
    {
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            presets[i].state = PresetInfo::kBeingRead;
        }
        notifyPresetInfoChanged(static_cast<int>(i));
        std::string name;
        result = device->readPresetName(i, name);
        if (!result)
            return result;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            presets[i].name = sanitizeName(name, TonecrestData::presetNameChars);
            presets[i].state = PresetInfo::kValid;
        }
        notifyPresetInfoChanged(static_cast<int>(i));
    }
    if (!(result = cancelled()))
        return result;

    log(kLogDebug, "TonecrestEditorService: Refreshing cabinet names");
    for (int i = 0; i < kNumUserCabinets && !task.cancelled; ++i)
    {
        auto slot = static_cast<size_t>(i);
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            userCabinets[slot].state = PresetInfo::kBeingRead;
        }
        notifyUserCabinetInfoChanged(i);
        std::string name;
        result = device->readUserCabinetName(static_cast<unsigned>(i), name);
        if (!result)
            return result;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            userCabinets[slot].name = sanitizeName(name, TonecrestData::cabinetNameChars);
            userCabinets[slot].state = PresetInfo::kValid;
        }
        notifyUserCabinetInfoChanged(i);
    }
    if (!(result = cancelled()))
        return result;

    refreshCabinetList();
    log(kLogDebug, "TonecrestEditorService: Refreshing current preset");
    result = refreshCurrentPreset(false);
    if (!result || !(result = cancelled()))
        return result;

    log(kLogDebug, "TonecrestEditorService: Refreshing complete");
    return kSuccess;
}

Result TonecrestEditorService::refreshAmpList(Task& task)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    std::vector<TonecrestParamMap::AmpModelEntry> models;
    for (unsigned slot = 0; slot < static_cast<unsigned>(kNumAmpSlots); ++slot)
    {
        // Cancelling keeps the old list; the caller's own check ends the refresh.
        if (task.cancelled)
            return kSuccess;
        TonecrestData::AmpModelInfo info;
        Result result = device->readAmpModelInfo(slot, info);
        if (!result)
            return result;
        if (info.id == TonecrestData::emptyAmpModelId)
            continue;
        if (!isUsableAmpId(info.id))
        {
            log(kLogWarning, "Skipping amp with index:%u and reserved id:%u", slot, info.id);
            continue;
        }
        models.push_back({ static_cast<int>(info.id), info.name });
        log(kLogDebug, "Got amp with index:%d id:%d name:'%s'", static_cast<int>(slot), static_cast<int>(info.id), info.name.c_str());
    }

    std::lock_guard<std::mutex> lock(paramMapMutex);
    paramMap.setAmpModelList(models);
    return kSuccess;
}

Result TonecrestEditorService::refreshGlobals()
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    TonecrestData::ParameterMap values;
    Result result = device->readGlobals(values);
    if (!result)
        return result;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        globals = std::move(values);
    }
    rebuildDefaultPresetListFromStore();
    notifyParametersChanged();
    return kSuccess;
}

void TonecrestEditorService::refreshCabinetList()
{
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        for (const auto& entry : userCabinets)
            names.push_back(entry.name);
    }
    std::lock_guard<std::mutex> lock(paramMapMutex);
    paramMap.setUserCabinetNames(names);
}

Result TonecrestEditorService::refreshCurrentPreset(bool useEditBuffer)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    unsigned index = 0;
    Result result = device->getCurrentPreset(index);
    if (!result)
        return result;
    // The pedal's answer decides which slot is read and written next: it must be a slot.
    if (index >= kNumPresets)
        return TONECREST_ERROR("Invalid preset index: %d", static_cast<int>(index));

    TonecrestData::Preset data;
    result = device->readPreset(useEditBuffer ? kEditBufferIndex : index, data);
    if (!result)
        return result;
    std::string name;
    result = device->readPresetName(index, name);
    if (!result)
        return result;
    std::string cabinetName;
    result = device->readCurrentCabinetName(cabinetName);
    if (!result)
        return result;

    {
        std::lock_guard<std::mutex> lock(stateMutex);
        currentPreset = static_cast<int>(index);
        currentPresetName = sanitizeName(name, TonecrestData::presetNameChars);
        currentPresetParams = std::move(data.params);
        currentCabinet = unitImpulseCabinet(cabinetName);
    }

    applyAssignmentFromStore(TonecrestParamMap::kParamAssignA);
    applyAssignmentFromStore(TonecrestParamMap::kParamAssignB);
    notifyParametersChanged();
    return kSuccess;
}

} // namespace Tonecrest
