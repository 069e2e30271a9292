// Whole-preset and user-cabinet transfers, renames, saving the edit buffer, preset selection
// and rearranging the preset slots.

#include "TonecrestEditorService.h"

#include "TonecrestPresetMigration.h"

#include <algorithm>
#include <cmath>

namespace Tonecrest
{
namespace
{
// A pedal that keeps answering with another preset than the one asked for must not keep the
// selection task (and with it the whole service) busy for ever.
constexpr int kMaxSelectionPassesWithoutProgress = 3;

bool isPresetSlot(int slot)
{
    return static_cast<unsigned>(slot) < TonecrestEditorService::kNumPresets;
}

bool isUserCabinetSlot(int slot)
{
    return static_cast<unsigned>(slot) < static_cast<unsigned>(TonecrestEditorService::kNumUserCabinets);
}

} // namespace

// ---- Renames -------------------------------------------------------------------------------

Result TonecrestEditorService::setPresetName(int preset, const std::string& name, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: setPresetName(%d,%s)", preset, name.c_str());
    if (!isPresetSlot(preset))
        return TONECREST_ERROR("Invalid preset index: %d", preset);

    return enqueueTask(std::move(completion), [this, preset, name = sanitizeName(name, TonecrestData::presetNameChars)](Task&) -> Result {
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            if (presets[static_cast<size_t>(preset)].state != PresetInfo::kValid)
                return TONECREST_ERROR("Invalid preset state - can't rename");
        }
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        Result result = device->writePresetName(static_cast<unsigned>(preset), name);
        if (!result)
            return result;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            presets[static_cast<size_t>(preset)].name = name;
            if (preset == currentPreset)
                currentPresetName = name;
        }
        notifyPresetInfoChanged(preset);
        return kSuccess;
    });
}

Result TonecrestEditorService::setUserCabinetName(int cabinet, const std::string& name, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: setUserCabinetName(%d,%s)", cabinet, name.c_str());
    if (!isUserCabinetSlot(cabinet))
        return TONECREST_ERROR("Invalid user cabinet index: %d", cabinet);

    return enqueueTask(std::move(completion), [this, cabinet, name = sanitizeName(name, TonecrestData::cabinetNameChars)](Task&) -> Result {
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            if (userCabinets[static_cast<size_t>(cabinet)].state != PresetInfo::kValid)
                return TONECREST_ERROR("Invalid cabinet state - can't rename");
        }
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        Result result = device->writeUserCabinetName(static_cast<unsigned>(cabinet), name);
        if (!result)
            return result;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            userCabinets[static_cast<size_t>(cabinet)].name = name;
        }
        refreshCabinetList();
        notifyUserCabinetInfoChanged(cabinet);
        notifyParametersChanged();
        return kSuccess;
    });
}

// ---- User cabinets -----------------------------------------------------------------------

Result TonecrestEditorService::setUserCabinet(int cabinet, const TonecrestData::Cabinet& data, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: setUserCabinet(%d)", cabinet);
    if (!isUserCabinetSlot(cabinet))
        return TONECREST_ERROR("Invalid user cabinet index: %d", cabinet);

    return startTask(kStateSingleTransfer, std::move(completion), [this, cabinet, data](Task&) -> Result {
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        const auto slot = static_cast<unsigned>(cabinet);
        Result result = device->writeUserCabinetData(slot, data);
        if (!result)
            return failTask("Could not set user cabinet data", result);
        const std::string name = sanitizeName(data.name, TonecrestData::cabinetNameChars);
        result = device->writeUserCabinetName(slot, name);
        if (!result)
            return failTask("Could not set user cabinet name", result);
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            userCabinets[slot].name = name;
        }
        finishTask(kStateSingleTransfer);
        refreshCabinetList();
        notifyUserCabinetInfoChanged(cabinet);
        notifyParametersChanged();
        return kSuccess;
    });
}

Result TonecrestEditorService::getUserCabinet(int cabinet, std::function<void(const TonecrestData::Cabinet&)> done)
{
    log(kLogDebug, "TonecrestEditorService: getUserCabinet(%d)", cabinet);
    if (!isUserCabinetSlot(cabinet))
        return TONECREST_ERROR("Invalid cabinet index: %d", cabinet);

    return startTask(kStateSingleTransfer, nullptr, [this, cabinet, done = std::move(done)](Task&) -> Result {
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        TonecrestData::Cabinet data;
        Result result = device->readUserCabinetData(static_cast<unsigned>(cabinet), data);
        if (!result)
            return failTask("Could not get user cabinet data", result);
        std::string name;
        result = device->readUserCabinetName(static_cast<unsigned>(cabinet), name);
        if (!result)
            return failTask("Could not get user cabinet name", result);
        data.name = sanitizeName(name, TonecrestData::cabinetNameChars);
        finishTask(kStateSingleTransfer);
        if (done)
            done(data);
        return kSuccess;
    });
}

// ---- Whole presets -------------------------------------------------------------------------

Result TonecrestEditorService::fixCabinetID(TonecrestData::Preset& preset)
{
    Storage storage;
    if (!findStorage(TonecrestParamMap::kParamCabinet, storage))
        return TONECREST_ERROR("Parameter not found");
    const auto key = static_cast<uint32_t>(storage.deviceIndex);
    ParameterValue value = storage.info.defaultValue;
    auto found = preset.params.find(key);
    if (found != preset.params.end())
    {
        Result result = decodeParameterValue(storage.info, found->second, value);
        if (!result)
            return result;
    }
    // Beyond the int range it is none of the three settings.
    const int setting = TonecrestParamMap::truncateToInt(value.value).value_or(kCabinetOwn);
    const bool special = setting == kCabinetMatched || setting == kCabinetFilterOnly || setting == kCabinetNone;
    const ParameterValue fixed { TonecrestParamMap::kTypeInteger, static_cast<double>(special ? setting : kCabinetOwn) };
    float deviceValue = 0.0f;
    Result result = encodeParameterValue(storage.info, fixed, deviceValue);
    if (!result)
        return result;
    preset.params[key] = deviceValue;
    return kSuccess;
}

Result TonecrestEditorService::readPresetFromDevice(int slot, TonecrestData::Preset& preset, const Completion& step)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");
    const auto index = static_cast<unsigned>(slot);

    TonecrestData::Preset read;
    Result result = device->readPreset(index, read);
    if (!result)
        return failTask("Could not get preset data", result);
    std::string name;
    result = device->readPresetName(index, name);
    if (!result)
        return failTask("Could not get preset name", result);
    read.name = sanitizeName(name, TonecrestData::presetNameChars);
    read.cabinet = std::make_unique<TonecrestData::Cabinet>();
    result = device->readPresetCabinetData(index, *read.cabinet);
    if (!result)
        return failTask("Could not get preset cabinet data", result);
    result = device->readPresetCabinetName(index, read.cabinet->name);
    if (!result)
        return failTask("Could not get preset cabinet name", result);
    result = fixCabinetID(read);
    if (!result)
        return failTask("Could not fix cabinet ID", result);

    preset = std::move(read);
    if (step)
        step();
    return kSuccess;
}

Result TonecrestEditorService::writePresetContent(int slot, const TonecrestData::Preset& preset)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");
    const auto index = static_cast<unsigned>(slot);

    const std::string name = sanitizeName(preset.name, TonecrestData::presetNameChars);
    Result result = device->writePresetName(index, name);
    if (!result)
        return failTask("Could not set preset name", result);
    result = device->writePreset(index, preset.params);
    if (!result)
        return failTask("Could not set preset data", result);
    if (preset.cabinet != nullptr)
    {
        result = device->writePresetCabinetData(index, *preset.cabinet);
        if (!result)
            return failTask("Could not set preset cabinet data", result);
        result = device->writePresetCabinetName(index, sanitizeName(preset.cabinet->name, TonecrestData::presetNameChars));
        if (!result)
            return failTask("Could not set preset cabinet name", result);
    }
    std::lock_guard<std::mutex> lock(stateMutex);
    presets[index].name = name;
    return kSuccess;
}

Result TonecrestEditorService::writePresetToDevice(int slot, const TonecrestData::Preset& preset, const Completion& step)
{
    Result result = writePresetContent(slot, preset);
    if (!result)
        return result;
    if (slot == getCurrentPresetIndex())
    {
        TonecrestProtocol* device = getProtocol();
        result = device != nullptr ? device->setCurrentPreset(static_cast<unsigned>(slot)) : TONECREST_ERROR("Cannot start task while not connected");
        if (!result)
        {
            setError("Could not change current preset");
            return result;
        }
        std::lock_guard<std::mutex> lock(stateMutex);
        currentPresetModified = false;
        currentCabinetModified = false;
    }
    if (step)
        step();
    return kSuccess;
}

Result TonecrestEditorService::setPreset(int preset, const TonecrestData::Preset& data, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: setPreset(%d)", preset);
    if (!isPresetSlot(preset))
        return TONECREST_ERROR("Invalid preset index: %d", preset);

    return startTask(kStateSingleTransfer, std::move(completion), [this, preset, data](Task&) -> Result {
        Result result = writePresetContent(preset, data);
        if (!result)
            return result;
        const bool isCurrent = preset == getCurrentPresetIndex();
        if (isCurrent)
        {
            TonecrestProtocol* device = getProtocol();
            result = device != nullptr ? device->setCurrentPreset(static_cast<unsigned>(preset)) : TONECREST_ERROR("Cannot start task while not connected");
            if (!result)
            {
                setError("Could not change current preset");
                return result;
            }
            result = refreshCurrentPreset(false);
            if (!result)
            {
                setError("Could not refresh current preset");
                return result;
            }
            std::lock_guard<std::mutex> lock(stateMutex);
            currentPresetModified = false;
            currentCabinetModified = false;
        }
        finishTask(kStateSingleTransfer);
        if (isCurrent)
            notifyParametersChanged();
        notifyPresetInfoChanged(preset);
        return kSuccess;
    });
}

Result TonecrestEditorService::getPreset(int preset, std::function<void(const TonecrestData::Preset&)> done)
{
    log(kLogDebug, "TonecrestEditorService: getPreset(%d)", preset);
    if (!isPresetSlot(preset))
        return TONECREST_ERROR("Invalid preset index: %d", preset);

    return startTask(kStateSingleTransfer, nullptr, [this, preset, done = std::move(done)](Task&) -> Result {
        TonecrestData::Preset data;
        Result result = readPresetFromDevice(preset, data, nullptr);
        if (!result)
            return result;
        finishTask(kStateSingleTransfer);
        if (done)
            done(data);
        return kSuccess;
    });
}

Result TonecrestEditorService::saveCurrentPresetToLocation(int location, std::optional<std::string> newName, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: saveCurrentPresetToLocation(%d)", location);
    return startTask(kStateSingleTransfer, std::move(completion), [this, location, newName = std::move(newName)](Task&) {
        return saveEditBuffer(location, newName);
    });
}

Result TonecrestEditorService::saveCurrentPreset(Completion completion)
{
    return saveCurrentPresetToLocation(-1, std::nullopt, std::move(completion));
}

Result TonecrestEditorService::saveEditBuffer(int location, const std::optional<std::string>& newName)
{
    log(kLogDebug, "TonecrestEditorService: Saving preset");
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    int current;
    bool cabinetModified;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        current = currentPreset;
        cabinetModified = currentCabinetModified;
    }
    if (current == -1)
    {
        finishTask(kStateSingleTransfer);
        return TONECREST_ERROR("No current preset index - cannot save");
    }
    const int target = location == -1 ? current : location;
    if (!isPresetSlot(target))
    {
        finishTask(kStateSingleTransfer);
        return TONECREST_ERROR("Invalid preset index: %d", target);
    }

    TonecrestData::Preset preset;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        if (newName)
            currentPresetName = *newName;
        preset.name = currentPresetName;
        preset.params = currentPresetParams;
    }

    if (cabinetModified || target != current)
    {
        preset.cabinet = std::make_unique<TonecrestData::Cabinet>();
        Result result = device->readCurrentCabinetData(*preset.cabinet);
        if (!result)
            return failTask("Could not get preset cabinet data", result);
        result = device->readCurrentCabinetName(preset.cabinet->name);
        if (!result)
            return failTask("Could not get preset cabinet name", result);
        result = fixCabinetID(preset);
        if (!result)
            return failTask("Could not fix cabinet ID", result);
    }

    const auto slot = static_cast<unsigned>(target);
    Result result = device->writePresetName(slot, preset.name);
    if (!result)
        return failTask("Could not set preset name", result);
    result = device->writePreset(slot, preset.params);
    if (!result)
        return failTask("Could not set preset data", result);
    if (preset.cabinet != nullptr)
    {
        result = device->writePresetCabinetData(slot, *preset.cabinet);
        if (!result)
            return failTask("Could not set preset cabinet data", result);
        result = device->writePresetCabinetName(slot, preset.cabinet->name);
        if (!result)
            return failTask("Could not set preset cabinet name", result);
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        currentPresetModified = false;
        currentCabinetModified = false;
        presets[slot].name = preset.name;
    }

    result = device->setCurrentPreset(slot);
    if (!result)
        return failTask("Could not set current preset", result);
    result = refreshCurrentPreset(false);
    if (!result)
        return failTask("Could not refresh current preset", result);

    log(kLogDebug, "TonecrestEditorService: Save complete");
    finishTask(kStateSingleTransfer);
    notifyPresetInfoChanged(target);
    notifyCurrentPresetChanged();
    return kSuccess;
}

// ---- Preset selection ----------------------------------------------------------------------

Result TonecrestEditorService::requestChangePreset(int index)
{
    if (!isPresetSlot(index))
        return TONECREST_ERROR("Invalid preset index: %d", index);
    log(kLogDebug, "TonecrestEditorService: requestChangePreset(%d)", index);
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        requestedPreset = index;
        if (presetChangePending)
            return kSuccess;
    }
    return enqueueTask(nullptr, [this](Task& task) { return selectPresets(task); });
}

Result TonecrestEditorService::selectPresets(Task& task)
{
    TonecrestProtocol* device = getProtocol();
    int passesWithoutProgress = 0;
    int lastTarget = -1;
    Result result = kSuccess;

    while (true)
    {
        if (task.cancelled)
            break;
        int target;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            presetChangePending = true;
            target = requestedPreset;
        }
        passesWithoutProgress = target == lastTarget ? passesWithoutProgress + 1 : 1;
        lastTarget = target;
        if (passesWithoutProgress > kMaxSelectionPassesWithoutProgress)
        {
            log(kLogWarning, "TonecrestEditorService: device stays on preset %d instead of %d", getCurrentPresetIndex(), target);
            result = TONECREST_ERROR("Device did not select preset %d", target);
            break;
        }

        result = device != nullptr ? device->setCurrentPreset(static_cast<unsigned>(target)) : TONECREST_ERROR("Cannot start task while not connected");
        if (!result)
            break;
        result = refreshCurrentPreset(false);
        if (!result)
            break;

        bool done = false;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            currentPresetModified = false;
            currentCabinetModified = false;
            if (currentPreset == requestedPreset)
            {
                presetChangePending = false;
                done = true;
            }
        }
        notifyCurrentPresetChanged();
        notifyParametersChanged();
        if (done)
            return kSuccess;
    }

    std::lock_guard<std::mutex> lock(stateMutex);
    presetChangePending = false;
    return result;
}

Result TonecrestEditorService::requestRefreshCurrentPreset()
{
    return enqueueTask(nullptr, [this](Task&) -> Result {
        Result result = refreshCurrentPreset(true);
        if (!result)
            return result;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            currentPresetModified = false;
            currentCabinetModified = false;
        }
        notifyCurrentPresetChanged();
        notifyParametersChanged();
        return kSuccess;
    });
}

// ---- Rearranging the preset slots ------------------------------------------------------------

int TonecrestEditorService::countPresetReorderSteps(std::vector<int> current, std::vector<int> wanted)
{
    const size_t count = std::min(current.size(), wanted.size());
    int steps = 0;
    for (size_t p = 0; p < count; ++p)
    {
        if (current[p] == wanted[p])
            continue;
        ++steps;
        size_t reached = p;
        // Each slot is visited at most once per cycle; the bound guards against input that is
        // not a permutation.
        for (size_t guard = 0; guard < count; ++guard)
        {
            auto next = std::find(wanted.begin(), wanted.begin() + static_cast<long>(count), static_cast<int>(reached));
            if (next == wanted.begin() + static_cast<long>(count))
                break;
            const auto k = static_cast<size_t>(next - wanted.begin());
            ++steps;
            current[k] = wanted[k];
            if (k == p)
                break;
            ++steps;
            reached = k;
        }
    }
    return steps;
}

Result TonecrestEditorService::updatePresets(Progress progress, const std::vector<int>& currentOrder,
                                             const std::vector<int>& wantedOrder, Completion completion)
{
    // Checked before anything touches the pedal: the walk identifies presets by slot number.
    if (currentOrder.size() != kNumPresets || wantedOrder.size() != kNumPresets)
        return TONECREST_ERROR("Invalid preset order");
    std::vector<bool> seen(kNumPresets, false);
    for (unsigned i = 0; i < kNumPresets; ++i)
    {
        const int wanted = wantedOrder[i];
        if (currentOrder[i] != static_cast<int>(i) || !isPresetSlot(wanted) || seen[static_cast<size_t>(wanted)])
            return TONECREST_ERROR("Invalid preset order");
        seen[static_cast<size_t>(wanted)] = true;
    }

    return startTask(kStatePresetUpdate, nullptr,
                     [this, progress = std::move(progress), currentOrder, wantedOrder, completion = std::move(completion)](Task&) {
                         return runPresetUpdate(progress, currentOrder, wantedOrder, completion);
                     });
}

Result TonecrestEditorService::runPresetUpdate(const Progress& progress, const std::vector<int>& currentOrder,
                                               const std::vector<int>& wantedOrder, const Completion& completion)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    std::vector<int> working = currentOrder;
    const int total = countPresetReorderSteps(currentOrder, wantedOrder);
    int step = 0;
    // Progress runs from 0 before any device work to 1 after the last read or write.
    auto report = [&]() {
        if (progress)
            progress(total > 0 ? std::min(1.0, static_cast<double>(step) / total) : 1.0);
    };
    report();

    DeferredWritebacks deferred(device);

    TonecrestData::Preset bufferA;
    TonecrestData::Preset bufferB;
    enum class Phase { Start, Place, Write, None };
    Phase phase = Phase::Start;
    size_t held = 0;
    // While a cycle is open, the preset in A lives only in memory once its own slot has been
    // overwritten; the cycle's first slot then holds a copy that is also at its destination,
    // so that is where A goes back if the cycle cannot be finished.
    size_t cycleStart = 0;
    bool cycleWritten = false;
    // A refused write-back leaves a duplicate or a half-written slot among the staged writes;
    // committing them would lose a preset that the stored copy still holds.
    bool writeBackFailed = false;

    auto rescue = [&](const char* text, Result failure) -> Result {
        if (cycleWritten)
        {
            log(kLogWarning, "TonecrestEditorService: preset update failed mid-cycle, saving held preset to slot %d", static_cast<int>(cycleStart));
            device->clearError();
            if (!writePresetContent(static_cast<int>(cycleStart), bufferA).ok)
            {
                log(kLogError, "TonecrestEditorService: could not save held preset '%s'", bufferA.name.c_str());
                writeBackFailed = true;
            }
            if (writeBackFailed)
                log(kLogWarning, "TonecrestEditorService: preset update not committed; the pedal keeps its stored presets");
            else
                device->flushWritebacks();
        }
        setError(text);
        return failure;
    };
    auto stillUpdating = [this]() {
        std::lock_guard<std::mutex> lock(stateMutex);
        return state == kStatePresetUpdate;
    };

    for (size_t p = 0; p < kNumPresets;)
    {
        if (working[p] == wantedOrder[p])
        {
            phase = Phase::Start;
            ++p;
            continue;
        }
        if (!stillUpdating())
        {
            log(kLogWarning, "TonecrestEditorService: preset update interrupted");
            if (cycleWritten)
                log(kLogError, "TonecrestEditorService: preset '%s' was held in memory only and is lost", bufferA.name.c_str());
            return TONECREST_ERROR("Preset update interrupted");
        }

        if (phase == Phase::Start)
        {
            phase = Phase::None;
            held = p;
            cycleStart = p;
            cycleWritten = false;
            Result result = readPresetFromDevice(static_cast<int>(p), bufferA, nullptr);
            if (!result)
                return rescue("Failed to get preset", result);
            phase = Phase::Place;
            ++step;
            report();
        }
        if (phase == Phase::Place)
        {
            phase = Phase::None;
            auto destination = std::find(wantedOrder.begin(), wantedOrder.end(), static_cast<int>(held));
            if (destination != wantedOrder.end())
                held = static_cast<size_t>(destination - wantedOrder.begin());
            if (held != p)
            {
                Result result = readPresetFromDevice(static_cast<int>(held), bufferB, nullptr);
                if (!result)
                    return rescue("Failed to get preset", result);
                phase = Phase::Write;
                ++step;
                report();
            }
            else
            {
                // The cycle closes: the last preset read goes into its first slot.
                Result result = writePresetToDevice(static_cast<int>(p), bufferB, nullptr);
                if (!result)
                    return rescue("Failed to set preset", result);
                working[held] = wantedOrder[held];
                cycleWritten = false;
                ++step;
                report();
            }
        }
        if (phase == Phase::Write)
        {
            phase = Phase::None;
            Result result = writePresetToDevice(static_cast<int>(held), bufferA, nullptr);
            if (!result)
            {
                // The destination may be half written; its own preset is safe in B.
                if (!cycleWritten)
                {
                    cycleWritten = true;
                    bufferA = bufferB;
                    cycleStart = held;
                }
                else
                {
                    device->clearError();
                    if (!writePresetContent(static_cast<int>(held), bufferB).ok)
                    {
                        log(kLogError, "TonecrestEditorService: could not restore preset '%s'", bufferB.name.c_str());
                        writeBackFailed = true;
                    }
                }
                return rescue("Failed to set preset", result);
            }
            working[held] = wantedOrder[held];
            cycleWritten = true;
            phase = Phase::Place;
            bufferA = bufferB;
            ++step;
            report();
        }
    }

    Result result = device->flushWritebacks();
    if (!result)
    {
        setError("Failed to set preset");
        return result;
    }
    // The pedal now plays another preset from the current slot; what the service holds of the
    // old one must not be shown, nor saved over the new one.
    const int current = getCurrentPresetIndex();
    const bool currentRewritten = isPresetSlot(current) && wantedOrder[static_cast<size_t>(current)] != current;
    if (currentRewritten)
    {
        result = refreshCurrentPreset(false);
        if (!result)
        {
            setError("Could not refresh current preset");
            return result;
        }
    }
    finishTask(kStatePresetUpdate);
    // The re-read has already sent the parameters notification.
    if (currentRewritten)
        notifyCurrentPresetChanged();
    if (completion)
        completion();
    return kSuccess;
}

} // namespace Tonecrest
