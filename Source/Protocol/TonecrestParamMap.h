#pragma once

#include "Result.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Tonecrest
{

/** The pedal's identifier of one parameter (0..397, with gaps). */
using TonecrestParamID = int;

/** The editor's catalogue of the pedal's parameters: for every TonecrestParamID its name,
    block, storage key, message id, range, default, step, display scale, unit and, for list
    parameters, the named values. Built once from the static definition table, then kept up
    to date with the lists only the pedal can supply (amp models, user cabinets, the preset
    numbering base, the targets of the assignable Param A/B controls).

    Not internally locked: the editor service owns one and calls every member, on any of its
    threads, with its parameter-map mutex held; pointers from findParameterInfo are valid only
    while that mutex is held and until the next update call. The static members are pure and
    safe on any thread. */
class TonecrestParamMap
{
public:
    /** Signal-chain block: 1..23, 0 for parameters outside any block. */
    using BlockID = int;

    static constexpr int kTypeInteger = 0;      // integer or list index
    static constexpr int kTypeContinuous = 1;
    static constexpr int kTypeBoolean = 2;

    static constexpr int kScopeNone = 0;        // not stored; the service refuses it
    static constexpr int kScopePreset = 1;
    static constexpr int kScopeGlobals = 2;

    static constexpr int kWidgetMenu = 1;
    static constexpr int kWidgetKnob = 2;

    static constexpr TonecrestParamID kParamModel = 1;
    static constexpr TonecrestParamID kParamCabinet = 13;
    static constexpr TonecrestParamID kParamAssignA = 83;
    static constexpr TonecrestParamID kParamMinA = 84;
    static constexpr TonecrestParamID kParamMaxA = 85;
    static constexpr TonecrestParamID kParamAssignB = 86;
    static constexpr TonecrestParamID kParamMinB = 87;
    static constexpr TonecrestParamID kParamMaxB = 88;
    static constexpr TonecrestParamID kParamPresetIndex = 146;
    static constexpr TonecrestParamID kParamDefaultPreset = 368;

    /** User cabinets are offered as 10000 + slot in the cabinet choices. */
    static constexpr int kUserCabinetValueBase = 10000;

    struct ParameterValue
    {
        int type = kTypeInteger;
        double value = 0.0;
    };

    struct NamedValue
    {
        std::string name;
        ParameterValue value;
    };

    struct ParameterInfo
    {
        int id = 0;
        int deviceIndex = -1;
        uint16_t messageId = 0;
        int blockID = 0;
        int scope = kScopeNone;
        std::string name;
        int kind = kTypeInteger;
        ParameterValue minimum;       // display units (table value x scale)
        ParameterValue maximum;
        ParameterValue defaultValue;
        int indexInBlock = 0;
        int decimals = 0;
        double scale = 1.0;
        double stepSize = 1.0;        // display units
        int widget = kWidgetMenu;
        int unit = 0;
        std::vector<NamedValue> values;
    };

    /** One entry of the pedal's amp-model list. */
    struct AmpModelEntry
    {
        int id = 0;
        std::string name;
    };

    /** Builds the catalogue from the definition table. */
    TonecrestParamMap();

    /** The definition, or null for an id never defined or one the editor does not show. */
    const ParameterInfo* findParameterInfo(TonecrestParamID id) const;

    /** Every entered parameter, by id. */
    const std::map<TonecrestParamID, ParameterInfo>& getParameters() const { return parameters; }

    /** "Amp", "Cab", ... for the signal-chain blocks; null for 0, 20, 21, 22 and out of range. */
    static const char* getBlockShortName(BlockID block);

    /** The block's stored parameters (scope not 0), by index in block; empty for block 0. */
    std::vector<TonecrestParamID> getBlockParameterIDs(BlockID block) const;

    /** Replaces the amp models: "Model" offers "NONE" then the models, and the cabinet
        choices are rebuilt. */
    void setAmpModelList(const std::vector<AmpModelEntry>& models);
    const std::vector<AmpModelEntry>& getAmpModelList() const { return ampModels; }

    /** Replaces the user-cabinet names (slot order) and rebuilds the cabinet choices. */
    void setUserCabinetNames(const std::vector<std::string>& names);
    const std::vector<std::string>& getUserCabinetNames() const { return userCabinetNames; }

    /** "Cabinet" offers "NONE" (-3), "FILTER ONLY" (-2), "MATCHED" (-1), the amp models by
        id, then the user cabinets as 10000 + slot. */
    void rebuildCabinetList();

    /** "Default Prst" offers "LAST USED" (-1), then presets 0..127 named base + k. */
    void rebuildDefaultPresetList(int base);

    /** Gives Min/Max A (assignParam 83) or Min/Max B (86) the range, default, scale, step,
        widget and unit of the target; their defaults become the target's minimum and
        maximum. A target that is not in the map gives a plain 0..1 knob. Other assignParam
        values change nothing. */
    void applyAssignableTarget(TonecrestParamID assignParam, TonecrestParamID target);

    static void appendNamedValue(std::vector<NamedValue>& values, int value, const std::string& name);

    /** Display value to the pedal's float, by the parameter's kind: an integer is truncated
        toward zero, a continuous value narrowed to float, both divided by scale; a boolean
        sends 1 or 0. "Invalid parameter value" for NaN, infinity or a value the float cannot
        hold; "Invalid parameter scale" for a zero or non-finite scale. Other kinds leave
        deviceValue unchanged and succeed. Any thread. */
    static Result encodeParameterValue(const ParameterInfo& info, const ParameterValue& value, float& deviceValue);

    /** The pedal's float to a display value: an integer rounded half away from zero, a
        continuous value rounded to float precision, a boolean 1 above 0.5. "Invalid
        parameter value" for a NaN or infinite float. Other kinds leave value unchanged and
        succeed. Any thread. */
    static Result decodeParameterValue(const ParameterInfo& info, float deviceValue, ParameterValue& value);

    /** A value truncated toward zero, or nothing when it is NaN or outside the int range:
        values come from the pedal and from files, and casting those would be undefined. */
    static std::optional<int> truncateToInt(double value);

private:
    ParameterInfo* findMutable(TonecrestParamID id);

    std::map<TonecrestParamID, ParameterInfo> parameters;
    std::vector<AmpModelEntry> ampModels;
    std::vector<std::string> userCabinetNames;
};

} // namespace Tonecrest
