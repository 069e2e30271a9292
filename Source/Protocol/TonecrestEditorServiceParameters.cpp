// Parameter values, copy and paste of a block, and the edit buffer's cabinet.

#include "TonecrestEditorService.h"

#include "Timing.h"
#include "TonecrestPresetMigration.h"

#include <cmath>
#include <thread>

namespace Tonecrest
{
namespace
{
constexpr int kPasteSpacingMs = 100;

bool isStoredScope(int scope)
{
    return scope == TonecrestParamMap::kScopePreset || scope == TonecrestParamMap::kScopeGlobals;
}

bool isSpecialCabinetSetting(int value)
{
    return value == TonecrestEditorService::kCabinetMatched || value == TonecrestEditorService::kCabinetFilterOnly
        || value == TonecrestEditorService::kCabinetNone;
}
} // namespace

// ---- Definitions and stored values -------------------------------------------------------

bool TonecrestEditorService::findStorage(TonecrestParamID id, Storage& out) const
{
    std::lock_guard<std::mutex> lock(paramMapMutex);
    const ParameterInfo* info = paramMap.findParameterInfo(id);
    if (info == nullptr)
        return false;
    out.deviceIndex = info->deviceIndex;
    out.scope = info->scope;
    out.info.id = info->id;
    out.info.deviceIndex = info->deviceIndex;
    out.info.messageId = info->messageId;
    out.info.scope = info->scope;
    out.info.kind = info->kind;
    out.info.scale = info->scale;
    out.info.defaultValue = info->defaultValue;
    return true;
}

Result TonecrestEditorService::readParameterLocked(const Storage& storage, ParameterValue& out) const
{
    const TonecrestData::ParameterMap& store = storage.scope == TonecrestParamMap::kScopePreset ? currentPresetParams : globals;
    auto found = store.find(static_cast<uint32_t>(storage.deviceIndex));
    if (found == store.end())
    {
        out = storage.info.defaultValue;
        return kSuccess;
    }
    return decodeParameterValue(storage.info, found->second, out);
}

Result TonecrestEditorService::getParameterValue(TonecrestParamID id, ParameterValue& out) const
{
    // The definition is copied under its own lock first: applyAssignableTarget changes
    // definitions under paramMapMutex, and the two locks are never held together.
    Storage storage;
    if (!findStorage(id, storage) || !isStoredScope(storage.scope))
        return TONECREST_ERROR("No scope for parameter");
    std::lock_guard<std::mutex> lock(stateMutex);
    return readParameterLocked(storage, out);
}

Result TonecrestEditorService::getParameterInfo(TonecrestParamID id, ParameterInfo& out) const
{
    std::lock_guard<std::mutex> lock(paramMapMutex);
    const ParameterInfo* info = paramMap.findParameterInfo(id);
    if (info == nullptr)
        return TONECREST_ERROR("Parameter info not found");
    out = *info;
    return kSuccess;
}

Result TonecrestEditorService::encodeParameterValue(const ParameterInfo& info, const ParameterValue& value, float& deviceValue)
{
    return TonecrestParamMap::encodeParameterValue(info, value, deviceValue);
}

Result TonecrestEditorService::decodeParameterValue(const ParameterInfo& info, float deviceValue, ParameterValue& value)
{
    return TonecrestParamMap::decodeParameterValue(info, deviceValue, value);
}

Result TonecrestEditorService::applyParameterValue(TonecrestParamID id, const ParameterValue& value, bool sendToDevice, bool markModified)
{
    Storage storage;
    if (!findStorage(id, storage))
        return TONECREST_ERROR("Parameter not found");
    float deviceValue = 0.0f;
    Result result = encodeParameterValue(storage.info, value, deviceValue);
    if (!result)
        return result;
    if (sendToDevice)
    {
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        result = device->setParameter(storage.info.messageId, deviceValue);
        if (!result)
            return result;
    }
    if (isStoredScope(storage.scope))
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        auto& store = storage.scope == TonecrestParamMap::kScopePreset ? currentPresetParams : globals;
        store[static_cast<uint32_t>(storage.deviceIndex)] = deviceValue;
        if (markModified && storage.scope == TonecrestParamMap::kScopePreset)
            currentPresetModified = true;
    }
    return kSuccess;
}

void TonecrestEditorService::applyAssignmentFromStore(TonecrestParamID selector)
{
    ParameterValue target;
    if (!getParameterValue(selector, target).ok)
        return;
    // Beyond the int range no parameter can be meant: as "NONE".
    const TonecrestParamID targetID = TonecrestParamMap::truncateToInt(target.value).value_or(-1);
    std::lock_guard<std::mutex> lock(paramMapMutex);
    paramMap.applyAssignableTarget(selector, targetID);
}

void TonecrestEditorService::rebuildDefaultPresetListFromStore()
{
    ParameterValue base;
    if (!getParameterValue(TonecrestParamMap::kParamPresetIndex, base).ok)
        return;
    // A base beyond the int range counts as unreadable, as it does for the preset numbers.
    const std::optional<int> number = TonecrestParamMap::truncateToInt(base.value);
    if (!number)
        return;
    std::lock_guard<std::mutex> lock(paramMapMutex);
    paramMap.rebuildDefaultPresetList(*number);
}

// ---- Setting one parameter -----------------------------------------------------------------

Result TonecrestEditorService::setParameterValue(TonecrestParamID id, const ParameterValue& value, Completion completion)
{
    log(kLogDebug, "TonecrestEditorService: setParameterValue(%d,%f)", id, static_cast<double>(static_cast<float>(value.value)));
    if (!std::isfinite(value.value))
        return TONECREST_ERROR("Invalid parameter value");

    return enqueueTask(std::move(completion), [this, id, value](Task&) -> Result {
        Result result = applyParameterValue(id, value, true, true);
        if (!result)
            return result;
        notifyParameterValueChanged(id, value);

        TonecrestParamID minParam = 0;
        TonecrestParamID maxParam = 0;
        if (id == TonecrestParamMap::kParamAssignA)
        {
            minParam = TonecrestParamMap::kParamMinA;
            maxParam = TonecrestParamMap::kParamMaxA;
        }
        else if (id == TonecrestParamMap::kParamAssignB)
        {
            minParam = TonecrestParamMap::kParamMinB;
            maxParam = TonecrestParamMap::kParamMaxB;
        }
        else if (id == TonecrestParamMap::kParamPresetIndex)
        {
            rebuildDefaultPresetListFromStore();
            notifyAllChanged();
            return kSuccess;
        }
        else
        {
            return kSuccess;
        }

        // The assignment changed: Min and Max follow the new target's range on the pedal too.
        applyAssignmentFromStore(id);
        for (TonecrestParamID limit : { minParam, maxParam })
        {
            ParameterInfo info;
            result = getParameterInfo(limit, info);
            if (!result)
                return result;
            result = applyParameterValue(limit, info.defaultValue, true, false);
            if (!result)
                return result;
        }
        notifyAllChanged();
        return kSuccess;
    });
}

// ---- Copy and paste ----------------------------------------------------------------------

Result TonecrestEditorService::copyParamsForBlock(TonecrestParamMap::BlockID block, std::function<void(CopiedParameterData)> done)
{
    return enqueueTask(nullptr, [this, block, done = std::move(done)](Task&) { return copyTask(block, done); });
}

Result TonecrestEditorService::copyTask(TonecrestParamMap::BlockID block, const std::function<void(CopiedParameterData)>& done)
{
    std::vector<TonecrestParamID> ids;
    {
        std::lock_guard<std::mutex> lock(paramMapMutex);
        ids = paramMap.getBlockParameterIDs(block);
    }

    CopiedParameterData copied;
    bool holdsCabinet = false;
    std::vector<std::pair<TonecrestParamID, Storage>> storages;
    for (TonecrestParamID id : ids)
    {
        if (id == TonecrestParamMap::kParamCabinet)
        {
            holdsCabinet = true;
            continue;
        }
        Storage storage;
        if (!findStorage(id, storage) || !isStoredScope(storage.scope))
            return TONECREST_ERROR("Parameter not found");
        storages.emplace_back(id, storage);
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        for (const auto& [id, storage] : storages)
        {
            const auto& store = storage.scope == TonecrestParamMap::kScopePreset ? currentPresetParams : globals;
            auto found = store.find(static_cast<uint32_t>(storage.deviceIndex));
            if (found == store.end())
                continue;
            ParameterValue value;
            Result result = decodeParameterValue(storage.info, found->second, value);
            if (!result)
                return result;
            copied.values[id] = value;
        }
    }

    if (holdsCabinet)
    {
        TonecrestProtocol* device = getProtocol();
        if (device == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        copied.cabinet = std::make_unique<TonecrestData::Cabinet>();
        Result result = device->readCurrentCabinetData(*copied.cabinet);
        if (!result)
        {
            setError("Could not get preset cabinet data");
            return result;
        }
        result = device->readCurrentCabinetName(copied.cabinet->name);
        if (!result)
        {
            setError("Could not get preset cabinet name");
            return result;
        }
    }

    if (done)
        done(std::move(copied));
    return kSuccess;
}

Result TonecrestEditorService::pasteParams(const CopiedParameterData& data)
{
    for (const auto& entry : data.values)
        if (!std::isfinite(entry.second.value))
            return TONECREST_ERROR("Invalid parameter value");
    return enqueueTask(nullptr, [this, copy = CopiedParameterData(data)](Task&) { return pasteTask(copy); });
}

Result TonecrestEditorService::pasteTask(const CopiedParameterData& data)
{
    for (const auto& [id, value] : data.values)
    {
        Storage storage;
        if (!findStorage(id, storage))
        {
            log(kLogWarning, "Parameter not found");
            continue;
        }
        Result result = applyParameterValue(id, value, true, true);
        if (!result)
            return result;
        // A pasted assignment decides the scale of the Min and Max values pasted after it
        // (ids ascend, so 84/85 follow 83 and 87/88 follow 86).
        if (id == TonecrestParamMap::kParamAssignA || id == TonecrestParamMap::kParamAssignB)
            applyAssignmentFromStore(id);
        std::this_thread::sleep_for(Timing::scaledDuration(kPasteSpacingMs));
    }

    // The views learn about the pasted values even when a cabinet task follows.
    notifyParametersChanged();
    if (data.cabinet != nullptr)
        return setCurrentCabinetData(*data.cabinet);
    return kSuccess;
}

// ---- The edit buffer's cabinet -------------------------------------------------------------

Result TonecrestEditorService::getCurrentCabinetName(std::string& out) const
{
    Storage storage;
    if (!findStorage(TonecrestParamMap::kParamCabinet, storage) || !isStoredScope(storage.scope))
        return TONECREST_ERROR("No scope for parameter");

    std::lock_guard<std::mutex> lock(stateMutex);
    const auto& store = storage.scope == TonecrestParamMap::kScopePreset ? currentPresetParams : globals;
    auto found = store.find(static_cast<uint32_t>(storage.deviceIndex));
    if (found == store.end())
    {
        out.clear();
        return kSuccess;
    }
    ParameterValue value;
    Result result = decodeParameterValue(storage.info, found->second, value);
    if (!result)
        return result;
    // Beyond the int range it is none of the three settings.
    switch (TonecrestParamMap::truncateToInt(value.value).value_or(kCabinetOwn))
    {
        case kCabinetMatched: out = "MATCHED"; break;
        case kCabinetFilterOnly: out = "FILTER ONLY"; break;
        case kCabinetNone: out = "NONE"; break;
        default: out = currentCabinet != nullptr ? currentCabinet->name : std::string(); break;
    }
    return kSuccess;
}

Result TonecrestEditorService::encodeCabinetSetting(int value, Storage& storage, float& deviceValue)
{
    if (!findStorage(TonecrestParamMap::kParamCabinet, storage))
        return failTask("Failed get param info", TONECREST_ERROR("Parameter not found"));
    Result result = encodeParameterValue(storage.info, { TonecrestParamMap::kTypeInteger, static_cast<double>(value) }, deviceValue);
    if (!result)
        return failTask("Failed to encode param", result);
    return kSuccess;
}

Result TonecrestEditorService::storeCabinetSetting(int value)
{
    Storage storage;
    float deviceValue = 0.0f;
    Result result = encodeCabinetSetting(value, storage, deviceValue);
    if (!result)
        return result;
    if (isStoredScope(storage.scope))
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        auto& store = storage.scope == TonecrestParamMap::kScopePreset ? currentPresetParams : globals;
        store[static_cast<uint32_t>(storage.deviceIndex)] = deviceValue;
        currentPresetModified = true;
        currentCabinetModified = true;
    }
    return kSuccess;
}

void TonecrestEditorService::rememberCurrentCabinetName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(stateMutex);
    if (currentCabinet != nullptr)
        currentCabinet->name = name;
    else
        log(kLogError, "Current cabinet not present! This should never happen.");
}

Result TonecrestEditorService::setCurrentCabinetByID(int id)
{
    log(kLogDebug, "TonecrestEditorService: setCurrentCabinetByID()");
    return enqueueTask(nullptr, [this, id](Task&) { return setCabinetByIDTask(id); });
}

Result TonecrestEditorService::setCabinetByIDTask(int id)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    Storage storage;
    float deviceValue = 0.0f;
    Result result = encodeCabinetSetting(id, storage, deviceValue);
    if (!result)
        return result;
    result = device->setParameter(storage.info.messageId, deviceValue);
    if (!result)
        return failTask("Failed to set param", result);

    // The pedal now plays a cabinet of its own in the edit buffer unless a special setting
    // was chosen.
    const int stored = isSpecialCabinetSetting(id) ? id : kCabinetOwn;
    result = storeCabinetSetting(stored);
    if (!result)
        return result;

    std::string name;
    result = device->readCurrentCabinetName(name);
    if (!result)
    {
        setError("Failed to get cabinet name");
        return result;
    }
    rememberCurrentCabinetName(name);
    notifyParameterValueChanged(TonecrestParamMap::kParamCabinet, { TonecrestParamMap::kTypeInteger, static_cast<double>(stored) });
    finishTask(kStateReady);
    return kSuccess;
}

Result TonecrestEditorService::setCurrentCabinetData(const TonecrestData::Cabinet& cabinet)
{
    log(kLogDebug, "TonecrestEditorService: setCurrentCabinetData()");
    return startTask(kStateSingleTransfer, nullptr, [this, copy = cabinet](Task&) { return setCabinetDataTask(copy); });
}

Result TonecrestEditorService::setCabinetDataTask(const TonecrestData::Cabinet& cabinet)
{
    TonecrestProtocol* device = getProtocol();
    if (device == nullptr)
        return TONECREST_ERROR("Cannot start task while not connected");

    const std::string name = sanitizeName(cabinet.name, TonecrestData::cabinetNameChars);
    Result result = device->writeCurrentCabinetData(cabinet);
    if (!result)
    {
        setError("Failed to set cabinet data");
        return result;
    }
    result = device->writeCurrentCabinetName(name);
    if (!result)
    {
        setError("Failed to set cabinet name");
        return result;
    }
    result = storeCabinetSetting(kCabinetOwn);
    if (!result)
        return result;
    notifyParameterValueChanged(TonecrestParamMap::kParamCabinet, { TonecrestParamMap::kTypeInteger, static_cast<double>(kCabinetOwn) });
    rememberCurrentCabinetName(name);
    finishTask(kStateSingleTransfer);
    return kSuccess;
}

Result TonecrestEditorService::getCabinetChoices(CabinetChoices& out) const
{
    out.ampModelCabinets.clear();
    out.userCabinets.clear();
    out.presetCabinets.clear();
    {
        std::lock_guard<std::mutex> lock(paramMapMutex);
        for (const auto& model : paramMap.getAmpModelList())
            out.ampModelCabinets.push_back({ model.id, model.name });
    }
    for (int i = 0; i < kNumUserCabinets; ++i)
    {
        UserCabinetInfo info;
        Result result = getUserCabinetInfo(i, info);
        if (!result)
            return result;
        out.userCabinets.push_back({ kUserCabinetChoiceBase + i, std::to_string(i + 1) + " - " + info.name });
    }
    for (int i = 0; i < static_cast<int>(kNumPresets); ++i)
    {
        PresetInfo info;
        Result result = getPresetInfo(i, info);
        if (!result)
            return result;
        out.presetCabinets.push_back({ kPresetCabinetChoiceBase + i, getPresetNumberText(i) + " - " + info.name });
    }
    return kSuccess;
}

} // namespace Tonecrest
