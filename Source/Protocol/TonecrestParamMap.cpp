#include "TonecrestParamMap.h"

#include "TonecrestParamTable.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

namespace Tonecrest
{

namespace
{

const char* const kBlockShortNames[] = {
    nullptr, "Amp", "Cab", "Bst", "Echo", "Rev", "Cho", "Fla", "Pha", "Trem", "Gate", "Comp",
    "Loop", "Wah", "Vol", "GEQ", "PreEQ", "PEQ 1", "PEQ 2", "PEQ 3", nullptr, nullptr, nullptr, "Psh"
};

constexpr int kBlockCount = static_cast<int>(sizeof(kBlockShortNames) / sizeof(kBlockShortNames[0]));

constexpr int kDefaultPresetChoices = 128;

// The Min/Max controls follow their own selector, so they are never offered as targets.
bool isAssignRangeParameter(TonecrestParamID id)
{
    return id == 81 || id == 82 || id == TonecrestParamMap::kParamMinA || id == TonecrestParamMap::kParamMaxA
        || id == TonecrestParamMap::kParamMinB || id == TonecrestParamMap::kParamMaxB;
}

TonecrestParamMap::ParameterInfo makeInfo(const ParameterDefinition& definition)
{
    TonecrestParamMap::ParameterInfo info;
    info.id = definition.id;
    info.deviceIndex = definition.deviceIndex;
    info.messageId = definition.messageId;
    info.blockID = definition.block;
    info.scope = definition.scope;
    info.name = definition.name;
    info.kind = definition.valueType;
    info.minimum = { definition.valueType, definition.minimum * definition.scale };
    info.maximum = { definition.valueType, definition.maximum * definition.scale };
    info.defaultValue = { definition.valueType, definition.defaultValue * definition.scale };
    info.indexInBlock = definition.indexInBlock;
    info.decimals = definition.decimals;
    info.scale = definition.scale;
    info.stepSize = definition.step * definition.scale;
    info.widget = definition.widget;
    info.unit = definition.unit;

    const std::size_t optionCount = countOptionNames(definition);
    const int firstValue = static_cast<int>(std::lround(definition.minimum));
    for (std::size_t k = 0; k < optionCount; ++k)
        TonecrestParamMap::appendNamedValue(info.values, firstValue + static_cast<int>(k), definition.optionNames[k]);
    return info;
}

bool isUsableScale(double scale)
{
    return std::isfinite(scale) && scale != 0.0;
}

} // namespace

TonecrestParamMap::TonecrestParamMap()
{
    std::vector<NamedValue> targets;
    appendNamedValue(targets, -1, "NONE");

    for (std::size_t i = 0; i < kParameterDefinitionCount; ++i)
    {
        const ParameterDefinition& definition = kParameterDefinitions[i];
        if (definition.indexInBlock < 0)
            continue;

        parameters[definition.id] = makeInfo(definition);

        if (definition.scope == kScopePreset && definition.valueType == kTypeContinuous
            && !isAssignRangeParameter(definition.id))
        {
            const char* blockName = getBlockShortName(definition.block);
            std::string text = blockName != nullptr ? std::string(blockName) + ": " + definition.name
                                                    : std::string(definition.name);
            appendNamedValue(targets, definition.id, text);
        }
    }

    if (ParameterInfo* assignA = findMutable(kParamAssignA))
        assignA->values = targets;
    if (ParameterInfo* assignB = findMutable(kParamAssignB))
        assignB->values = targets;

    rebuildDefaultPresetList(0);
}

const TonecrestParamMap::ParameterInfo* TonecrestParamMap::findParameterInfo(TonecrestParamID id) const
{
    auto found = parameters.find(id);
    return found != parameters.end() ? &found->second : nullptr;
}

TonecrestParamMap::ParameterInfo* TonecrestParamMap::findMutable(TonecrestParamID id)
{
    auto found = parameters.find(id);
    return found != parameters.end() ? &found->second : nullptr;
}

const char* TonecrestParamMap::getBlockShortName(BlockID block)
{
    if (block < 0 || block >= kBlockCount)
        return nullptr;
    return kBlockShortNames[block];
}

std::vector<TonecrestParamID> TonecrestParamMap::getBlockParameterIDs(BlockID block) const
{
    std::vector<const ParameterInfo*> members;
    if (block != 0)
        for (const auto& entry : parameters)
            if (entry.second.blockID == block && entry.second.scope != kScopeNone)
                members.push_back(&entry.second);

    // Stable, so parameters sharing a position keep their id order.
    std::stable_sort(members.begin(), members.end(),
                     [](const ParameterInfo* a, const ParameterInfo* b) { return a->indexInBlock < b->indexInBlock; });

    std::vector<TonecrestParamID> ids;
    ids.reserve(members.size());
    for (const ParameterInfo* info : members)
        ids.push_back(info->id);
    return ids;
}

void TonecrestParamMap::setAmpModelList(const std::vector<AmpModelEntry>& models)
{
    ampModels = models;

    if (ParameterInfo* model = findMutable(kParamModel))
    {
        model->values.clear();
        appendNamedValue(model->values, -1, "NONE");
        for (const AmpModelEntry& entry : ampModels)
            appendNamedValue(model->values, entry.id, entry.name);
    }
    rebuildCabinetList();
}

void TonecrestParamMap::setUserCabinetNames(const std::vector<std::string>& names)
{
    userCabinetNames = names;
    rebuildCabinetList();
}

void TonecrestParamMap::rebuildCabinetList()
{
    ParameterInfo* cabinet = findMutable(kParamCabinet);
    if (cabinet == nullptr)
        return;

    cabinet->values.clear();
    appendNamedValue(cabinet->values, -3, "NONE");
    appendNamedValue(cabinet->values, -2, "FILTER ONLY");
    appendNamedValue(cabinet->values, -1, "MATCHED");
    for (const AmpModelEntry& entry : ampModels)
        appendNamedValue(cabinet->values, entry.id, entry.name);
    for (std::size_t slot = 0; slot < userCabinetNames.size(); ++slot)
        appendNamedValue(cabinet->values, kUserCabinetValueBase + static_cast<int>(slot), userCabinetNames[slot]);
}

void TonecrestParamMap::rebuildDefaultPresetList(int base)
{
    ParameterInfo* defaultPreset = findMutable(kParamDefaultPreset);
    if (defaultPreset == nullptr)
        return;

    defaultPreset->values.clear();
    appendNamedValue(defaultPreset->values, -1, "LAST USED");
    for (int k = 0; k < kDefaultPresetChoices; ++k)
        appendNamedValue(defaultPreset->values, k, std::to_string(static_cast<long long>(base) + k));
}

void TonecrestParamMap::applyAssignableTarget(TonecrestParamID assignParam, TonecrestParamID target)
{
    TonecrestParamID minID;
    TonecrestParamID maxID;
    if (assignParam == kParamAssignA)
    {
        minID = kParamMinA;
        maxID = kParamMaxA;
    }
    else if (assignParam == kParamAssignB)
    {
        minID = kParamMinB;
        maxID = kParamMaxB;
    }
    else
    {
        return;
    }

    // A copy: the target may be one of the two parameters being changed.
    ParameterInfo shape;
    const ParameterInfo* targetInfo = findParameterInfo(target);
    if (targetInfo != nullptr)
    {
        shape = *targetInfo;
    }
    else
    {
        shape.kind = kTypeContinuous;
        shape.minimum = { kTypeContinuous, 0.0 };
        shape.maximum = { kTypeContinuous, 1.0 };
        shape.defaultValue = { kTypeContinuous, 0.5 };
        shape.decimals = 1;
        shape.scale = 1.0;
        shape.stepSize = 0.1;
        shape.widget = kWidgetKnob;
        shape.unit = 0;
    }

    for (TonecrestParamID id : { minID, maxID })
    {
        ParameterInfo* info = findMutable(id);
        if (info == nullptr)
            continue;
        info->kind = shape.kind;
        info->minimum = shape.minimum;
        info->maximum = shape.maximum;
        // Without a target both limits rest at the middle of the plain knob.
        if (targetInfo == nullptr)
            info->defaultValue = shape.defaultValue;
        else
            info->defaultValue = id == minID ? shape.minimum : shape.maximum;
        info->decimals = shape.decimals;
        info->scale = shape.scale;
        info->stepSize = shape.stepSize;
        info->widget = shape.widget;
        info->unit = shape.unit;
    }
}

void TonecrestParamMap::appendNamedValue(std::vector<NamedValue>& values, int value, const std::string& name)
{
    values.push_back({ name, { kTypeInteger, static_cast<double>(value) } });
}

Result TonecrestParamMap::encodeParameterValue(const ParameterInfo& info, const ParameterValue& value, float& deviceValue)
{
    if (info.kind != kTypeInteger && info.kind != kTypeContinuous && info.kind != kTypeBoolean)
        return kSuccess;

    // A NaN or infinity would reach the pedal as a stored preset value it cannot interpret.
    if (!std::isfinite(value.value))
        return TONECREST_ERROR("Invalid parameter value");

    if (info.kind == kTypeBoolean)
    {
        deviceValue = std::trunc(value.value) != 0.0 ? 1.0f : 0.0f;
        return kSuccess;
    }

    if (!isUsableScale(info.scale))
        return TONECREST_ERROR("Invalid parameter scale");

    double device;
    if (info.kind == kTypeInteger)
    {
        // Truncated as a double: a value beyond the int range must not reach an int cast.
        device = std::trunc(value.value) / info.scale;
    }
    else
    {
        if (std::fabs(value.value) > FLT_MAX)
            return TONECREST_ERROR("Invalid parameter value");
        device = static_cast<double>(static_cast<float>(value.value)) / info.scale;
    }

    if (!std::isfinite(device) || std::fabs(device) > FLT_MAX)
        return TONECREST_ERROR("Invalid parameter value");

    deviceValue = static_cast<float>(device);
    return kSuccess;
}

Result TonecrestParamMap::decodeParameterValue(const ParameterInfo& info, float deviceValue, ParameterValue& value)
{
    if (info.kind != kTypeInteger && info.kind != kTypeContinuous && info.kind != kTypeBoolean)
        return kSuccess;

    if (!std::isfinite(deviceValue))
        return TONECREST_ERROR("Invalid parameter value");

    if (info.kind == kTypeBoolean)
    {
        value = { kTypeBoolean, deviceValue > 0.5f ? 1.0 : 0.0 };
        return kSuccess;
    }

    if (!std::isfinite(info.scale))
        return TONECREST_ERROR("Invalid parameter scale");

    const double display = static_cast<double>(deviceValue) * info.scale;
    if (info.kind == kTypeInteger)
    {
        value = { kTypeInteger, std::round(display) };
        return kSuccess;
    }

    if (std::fabs(display) > FLT_MAX)
        return TONECREST_ERROR("Invalid parameter value");
    value = { kTypeContinuous, static_cast<double>(static_cast<float>(display)) };
    return kSuccess;
}

std::optional<int> TonecrestParamMap::truncateToInt(double value)
{
    // Written so that NaN fails both comparisons.
    if (!(value > double(INT_MIN) - 1.0 && value < double(INT_MAX) + 1.0))
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace Tonecrest
