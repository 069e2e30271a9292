#include "TonecrestParamMap.h"
#include "TonecrestParamTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace Tonecrest;

namespace
{
using Info = TonecrestParamMap::ParameterInfo;
using Value = TonecrestParamMap::ParameterValue;

const ParameterDefinition* findDefinition(int id)
{
    for (std::size_t i = 0; i < kParameterDefinitionCount; ++i)
        if (kParameterDefinitions[i].id == id)
            return &kParameterDefinitions[i];
    return nullptr;
}

std::vector<std::pair<std::string, double>> namedValues(const Info& info)
{
    std::vector<std::pair<std::string, double>> result;
    for (const auto& named : info.values)
        result.emplace_back(named.name, named.value.value);
    return result;
}

Info infoOfKind(int kind, double scale)
{
    Info info;
    info.kind = kind;
    info.scale = scale;
    return info;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The definition table

TEST(ParamMapTable, RecordAndCatalogueTotalsMatchThePedal)
{
    ASSERT_EQ(kParameterDefinitionCount, 387u);

    std::set<int> ids;
    std::map<int, int> recordsPerBlock;
    std::set<int> skipped;
    std::size_t mostOptions = 0;
    for (std::size_t i = 0; i < kParameterDefinitionCount; ++i)
    {
        const ParameterDefinition& d = kParameterDefinitions[i];
        EXPECT_TRUE(ids.insert(d.id).second) << "duplicate id " << d.id;
        EXPECT_GE(d.id, 0);
        EXPECT_LE(d.id, 397);
        EXPECT_EQ(d.messageId, d.id);
        ++recordsPerBlock[d.block];
        if (d.indexInBlock < 0)
            skipped.insert(d.id);
        mostOptions = std::max(mostOptions, countOptionNames(d));
    }

    const std::map<int, int> expectedPerBlock = {
        { 0, 2 }, { 1, 13 }, { 2, 7 }, { 3, 7 }, { 4, 43 }, { 5, 15 }, { 6, 25 }, { 7, 16 },
        { 8, 15 }, { 9, 11 }, { 10, 11 }, { 11, 12 }, { 12, 19 }, { 13, 19 }, { 14, 9 }, { 15, 11 },
        { 16, 7 }, { 17, 7 }, { 18, 7 }, { 19, 7 }, { 20, 38 }, { 21, 46 }, { 22, 18 }, { 23, 22 }
    };
    EXPECT_EQ(recordsPerBlock, expectedPerBlock);
    EXPECT_EQ(skipped, (std::set<int> { 0, 11, 26, 27, 28, 29, 30, 31, 32, 33, 34, 89, 90, 91, 92, 141, 281 }));
    EXPECT_EQ(mostOptions, 49u);

    TonecrestParamMap map;
    std::map<int, int> perScope;
    std::map<int, int> perKind;
    for (const auto& entry : map.getParameters())
    {
        ++perScope[entry.second.scope];
        ++perKind[entry.second.kind];
    }
    EXPECT_EQ(map.getParameters().size(), 370u);
    EXPECT_EQ(perScope, (std::map<int, int> { { 0, 3 }, { 1, 262 }, { 2, 105 } }));
    EXPECT_EQ(perKind, (std::map<int, int> { { 0, 190 }, { 1, 180 } }));
}

// Stored values are keyed by device index per scope: two parameters sharing a key would
// overwrite each other in every preset or in the globals.
TEST(ParamMapTable, RecordsAreConsistentAndStorageKeysUnique)
{
    std::map<int, std::set<int>> keysPerScope;
    std::map<int, std::set<int>> positionsPerBlock;
    std::set<double> defaultControllers;
    for (std::size_t i = 0; i < kParameterDefinitionCount; ++i)
    {
        const ParameterDefinition& d = kParameterDefinitions[i];
        SCOPED_TRACE(d.id);
        if (d.scope == 0)
        {
            EXPECT_EQ(d.deviceIndex, -1);
        }
        else
        {
            EXPECT_GE(d.deviceIndex, 0);
            EXPECT_TRUE(keysPerScope[d.scope].insert(d.deviceIndex).second) << "shared key " << d.deviceIndex;
        }
        if (d.block == 20)
        {
            EXPECT_TRUE(defaultControllers.insert(d.defaultValue).second) << "two functions on one MIDI CC";
        }
        if (d.indexInBlock >= 0)
        {
            EXPECT_TRUE(positionsPerBlock[d.block].insert(d.indexInBlock).second);
        }

        EXPECT_LE(d.minimum, d.defaultValue);
        EXPECT_LE(d.defaultValue, d.maximum);
        EXPECT_GT(d.scale, 0.0);
        EXPECT_GT(d.step, 0.0);
        const double displayStep = d.step * d.scale;
        EXPECT_EQ(d.decimals, std::max(0, static_cast<int>(std::ceil(-std::log10(displayStep) - 1e-9))));

        // Option values count up from the minimum, so a list must be integral and unscaled.
        if (countOptionNames(d) > 0)
        {
            EXPECT_EQ(d.valueType, 0);
            EXPECT_EQ(d.scale, 1.0);
            EXPECT_LE(countOptionNames(d), d.maximum - d.minimum + 1);
        }
    }
    // The pedal's parameter blocks hold 512 preset and 128 global pairs.
    EXPECT_LE(keysPerScope[1].size(), 512u);
    EXPECT_LT(*keysPerScope[2].rbegin(), 128);
}

// Values that the pages, the routing and the stored data rely on are collected in a pins
// file, one column of one record per line with the phrase that fixes it; every one must hold.
TEST(ParamMapPins, EveryPinnedColumnHoldsInTheTable)
{
    std::string path;
    if (const char* fromEnvironment = std::getenv("TONECREST_PARAMETER_PINS"))
        path = fromEnvironment;
    else
    {
        std::string source = __FILE__;
        const std::string marker = "/Tests/Protocol/";
        const std::size_t at = source.rfind(marker);
        if (at != std::string::npos)
            path = source.substr(0, at) + "/../shared/notes/parameter-pins.tsv";
    }
    std::ifstream pins(path);
    if (!pins)
        GTEST_SKIP() << "no parameter pins at " << path;

    auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)); };

    std::string line;
    int checked = 0;
    while (std::getline(pins, line))
    {
        std::vector<std::string> fields;
        std::stringstream splitter(line);
        std::string field;
        while (std::getline(splitter, field, '\t'))
            fields.push_back(field);
        if (fields.size() < 3 || fields[0].empty() || fields[0].find_first_not_of("0123456789") != std::string::npos)
            continue;

        const int id = std::atoi(fields[0].c_str());
        std::string column = fields[1];
        const std::string& pinned = fields[2];
        const std::string why = fields.size() > 3 ? fields[3] : std::string();
        SCOPED_TRACE(fields[0] + " " + column + " = '" + pinned + "': " + why);

        const ParameterDefinition* d = findDefinition(id);
        ASSERT_NE(d, nullptr);
        ++checked;

        if (!column.empty() && column[0] == '~')
            column.erase(0, 1);
        const double number = std::strtod(pinned.c_str(), nullptr);
        std::vector<std::string> options;
        for (std::size_t k = 0; k < countOptionNames(*d); ++k)
            options.push_back(d->optionNames[k]);

        if (column == "name") EXPECT_EQ(d->name, pinned);
        else if (column == "block") EXPECT_EQ(d->block, number);
        else if (column == "messageId") EXPECT_EQ(d->messageId, number);
        else if (column == "deviceIndex") EXPECT_EQ(d->deviceIndex, number);
        else if (column == "kind") EXPECT_EQ(d->valueType, number);
        else if (column == "min") EXPECT_TRUE(near(d->minimum, number)) << d->minimum;
        else if (column == "max") EXPECT_TRUE(near(d->maximum, number)) << d->maximum;
        else if (column == "default") EXPECT_TRUE(near(d->defaultValue, number)) << d->defaultValue;
        else if (column == "scope") EXPECT_EQ(d->scope, number);
        else if (column == "widget") EXPECT_EQ(d->widget, number);
        else if (column == "unit") EXPECT_EQ(d->unit, number);
        else if (column == "decimals") EXPECT_EQ(d->decimals, number);
        else if (column == "scale") EXPECT_TRUE(near(d->scale, number)) << d->scale;
        else if (column == "step") EXPECT_TRUE(near(d->step, number)) << d->step;
        else if (column == "indexInBlock") EXPECT_EQ(d->indexInBlock, number);
        else if (column == "indexInBlock>=") EXPECT_GE(d->indexInBlock, number);
        else if (column == "optionCount") EXPECT_EQ(options.size(), number);
        else if (column == "optionCount>=") EXPECT_GE(options.size(), number);
        else if (column == "range_includes")
        {
            EXPECT_LE(d->minimum, number);
            EXPECT_GE(d->maximum, number);
        }
        else if (column == "dmin") EXPECT_TRUE(near(d->minimum * d->scale, number));
        else if (column == "dmax") EXPECT_TRUE(near(d->maximum * d->scale, number));
        else if (column == "dstep") EXPECT_TRUE(near(d->step * d->scale, number));
        else if (column == "options")
        {
            std::string joined;
            for (std::size_t k = 0; k < options.size(); ++k)
                joined += (k > 0 ? "|" : "") + options[k];
            EXPECT_EQ(joined, pinned);
        }
        else if (column.rfind("option[", 0) == 0 || column.rfind("option~[", 0) == 0)
        {
            // "option~[k]" pins the text without its display padding.
            const bool padded = column[6] == '[';
            const std::size_t k = std::strtoul(column.c_str() + (padded ? 7 : 8), nullptr, 10);
            ASSERT_LT(k, options.size());
            std::string text = options[k];
            if (!padded)
                text.erase(0, text.find_first_not_of(' '));
            EXPECT_EQ(text, pinned);
        }
        else
            ADD_FAILURE() << "pin of an unknown column";
    }
    EXPECT_GT(checked, 0);
}

// ---------------------------------------------------------------------------------------
// The catalogue

TEST(ParamMapCatalogue, FindsShownParametersOnlyAndScalesToDisplayUnits)
{
    TonecrestParamMap map;
    EXPECT_EQ(map.findParameterInfo(11), nullptr);   // "Sag": defined but not shown
    EXPECT_EQ(map.findParameterInfo(0), nullptr);
    EXPECT_EQ(map.findParameterInfo(52), nullptr);   // never defined
    for (int id : { -1, 398, 100000, INT_MIN, INT_MAX })
        EXPECT_EQ(map.findParameterInfo(id), nullptr) << id;

    // Gain is 0..1 at scale 10 in the table.
    const Info* gain = map.findParameterInfo(3);
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(gain->minimum.type, 1);
    EXPECT_DOUBLE_EQ(gain->maximum.value, 10.0);
    EXPECT_DOUBLE_EQ(gain->defaultValue.value, 5.0);
    EXPECT_DOUBLE_EQ(gain->stepSize, 0.1);

    const Info* powerAmp = map.findParameterInfo(12);
    ASSERT_NE(powerAmp, nullptr);
    EXPECT_EQ(namedValues(*powerAmp), (std::vector<std::pair<std::string, double>> { { "  DISABLED", 0 }, { "  ENABLED", 1 } }));
    const Info* button = map.findParameterInfo(263);
    ASSERT_NE(button, nullptr);
    ASSERT_EQ(button->values.size(), 25u);
    EXPECT_EQ(button->values[0].name, "    NONE");
    EXPECT_EQ(button->values[0].value.value, -1.0);
    EXPECT_EQ(button->values[24].name, "FS+ INVERSE");
    EXPECT_EQ(button->values[24].value.value, 23.0);
}

TEST(ParamMapCatalogue, BlockNamesAndBlockParameterOrder)
{
    const std::pair<int, const char*> names[] = {
        { 1, "Amp" }, { 2, "Cab" }, { 3, "Bst" }, { 4, "Echo" }, { 5, "Rev" }, { 6, "Cho" }, { 7, "Fla" },
        { 8, "Pha" }, { 9, "Trem" }, { 10, "Gate" }, { 11, "Comp" }, { 12, "Loop" }, { 13, "Wah" },
        { 14, "Vol" }, { 15, "GEQ" }, { 16, "PreEQ" }, { 17, "PEQ 1" }, { 18, "PEQ 2" }, { 19, "PEQ 3" }, { 23, "Psh" },
    };
    for (const auto& [block, name] : names)
        EXPECT_STREQ(TonecrestParamMap::getBlockShortName(block), name) << block;
    for (int block : { 0, 20, 21, 22, 24, -1, INT_MAX })
        EXPECT_EQ(TonecrestParamMap::getBlockShortName(block), nullptr) << block;

    TonecrestParamMap map;
    EXPECT_EQ(map.getBlockParameterIDs(12),
              (std::vector<TonecrestParamID> { 77, 78, 79, 80, 310, 375, 83, 84, 85, 86, 87, 88, 280 }));
    EXPECT_EQ(map.getBlockParameterIDs(1), (std::vector<TonecrestParamID> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 263 }));
    EXPECT_TRUE(map.getBlockParameterIDs(0).empty());
    EXPECT_TRUE(map.getBlockParameterIDs(24).empty());
    EXPECT_TRUE(map.getBlockParameterIDs(-5).empty());
    EXPECT_EQ(map.getBlockParameterIDs(20).size(), 38u);
}

// ---------------------------------------------------------------------------------------
// Lists that only the pedal can supply

TEST(ParamMapLists, AmpModelsAndUserCabinetsFeedModelAndCabinetChoices)
{
    TonecrestParamMap map;
    map.setUserCabinetNames({ "Room", "Stack" });
    map.setAmpModelList({ { 5, "P" }, { 9, "Q" } });

    EXPECT_EQ(namedValues(*map.findParameterInfo(1)),
              (std::vector<std::pair<std::string, double>> { { "NONE", -1 }, { "P", 5 }, { "Q", 9 } }));
    EXPECT_EQ(namedValues(*map.findParameterInfo(13)),
              (std::vector<std::pair<std::string, double>> {
                  { "NONE", -3 }, { "FILTER ONLY", -2 }, { "MATCHED", -1 }, { "P", 5 }, { "Q", 9 }, { "Room", 10000 }, { "Stack", 10001 } }));

    // Lists are replaced whole, never merged.
    map.setAmpModelList({});
    map.setUserCabinetNames({ "Booth" });
    EXPECT_EQ(namedValues(*map.findParameterInfo(1)), (std::vector<std::pair<std::string, double>> { { "NONE", -1 } }));
    EXPECT_EQ(namedValues(*map.findParameterInfo(13)),
              (std::vector<std::pair<std::string, double>> { { "NONE", -3 }, { "FILTER ONLY", -2 }, { "MATCHED", -1 }, { "Booth", 10000 } }));
    EXPECT_EQ(map.getUserCabinetNames(), std::vector<std::string> { "Booth" });
}

TEST(ParamMapLists, DefaultPresetChoicesFollowTheNumberingBase)
{
    TonecrestParamMap map;
    const Info* defaultPreset = map.findParameterInfo(368);
    ASSERT_NE(defaultPreset, nullptr);
    ASSERT_EQ(defaultPreset->values.size(), 129u);
    EXPECT_EQ(defaultPreset->values[1].name, "0");

    map.rebuildDefaultPresetList(1);
    defaultPreset = map.findParameterInfo(368);
    ASSERT_EQ(defaultPreset->values.size(), 129u);
    EXPECT_EQ(defaultPreset->values[0].name, "LAST USED");
    EXPECT_EQ(defaultPreset->values[0].value.value, -1.0);
    EXPECT_EQ(defaultPreset->values[1].name, "1");
    EXPECT_EQ(defaultPreset->values[1].value.value, 0.0);
    EXPECT_EQ(defaultPreset->values[128].name, "128");
    EXPECT_EQ(defaultPreset->values[128].value.value, 127.0);

    map.rebuildDefaultPresetList(INT_MAX);   // no overflow in the texts
    EXPECT_EQ(map.findParameterInfo(368)->values[128].name, "2147483774");
}

TEST(ParamMapLists, AssignTargetsAreTheContinuousPresetParameters)
{
    TonecrestParamMap map;
    const Info* assignA = map.findParameterInfo(83);
    const Info* assignB = map.findParameterInfo(86);
    ASSERT_NE(assignA, nullptr);
    ASSERT_NE(assignB, nullptr);
    ASSERT_EQ(assignA->values.size(), 161u);
    EXPECT_EQ(namedValues(*assignA), namedValues(*assignB));
    EXPECT_EQ(assignA->values[0].name, "NONE");
    EXPECT_EQ(assignA->values[0].value.value, -1.0);
    EXPECT_EQ(assignA->values[1].name, "Amp: Gain");
    EXPECT_EQ(assignA->values[1].value.value, 3.0);

    for (std::size_t i = 1; i < assignA->values.size(); ++i)
    {
        const int target = static_cast<int>(assignA->values[i].value.value);
        const Info* info = map.findParameterInfo(target);
        ASSERT_NE(info, nullptr) << target;
        EXPECT_EQ(info->scope, 1) << target;
        EXPECT_EQ(info->kind, 1) << target;
        EXPECT_TRUE(target != 84 && target != 85 && target != 87 && target != 88) << target;
    }
}

TEST(ParamMapLists, AssignableTargetShapesMinAndMax)
{
    TonecrestParamMap map;
    map.applyAssignableTarget(83, 3);
    for (int id : { 84, 85 })
    {
        const Info* info = map.findParameterInfo(id);
        EXPECT_EQ(info->kind, 1);
        EXPECT_DOUBLE_EQ(info->minimum.value, 0.0);
        EXPECT_DOUBLE_EQ(info->maximum.value, 10.0);
        EXPECT_EQ(info->decimals, 1);
        EXPECT_DOUBLE_EQ(info->stepSize, 0.1);
        EXPECT_DOUBLE_EQ(info->scale, 10.0);
        EXPECT_EQ(info->deviceIndex, id == 84 ? 98 : 99);   // storage stays
    }
    EXPECT_DOUBLE_EQ(map.findParameterInfo(84)->defaultValue.value, 0.0);
    EXPECT_DOUBLE_EQ(map.findParameterInfo(85)->defaultValue.value, 10.0);
    EXPECT_EQ(map.findParameterInfo(84)->name, "Min A");

    // B follows its own selector; A keeps its shape.
    map.applyAssignableTarget(86, 15);
    EXPECT_EQ(map.findParameterInfo(87)->unit, 3);
    EXPECT_DOUBLE_EQ(map.findParameterInfo(88)->defaultValue.value, 20.0);
    EXPECT_DOUBLE_EQ(map.findParameterInfo(85)->maximum.value, 10.0);

    // "NONE" and unknown targets give a plain 0..1 knob, Min and Max both at its middle.
    for (int target : { -1, 11, 398, INT_MIN })
    {
        map.applyAssignableTarget(83, target);
        const Info* minA = map.findParameterInfo(84);
        const Info* maxA = map.findParameterInfo(85);
        EXPECT_EQ(minA->kind, 1);
        EXPECT_DOUBLE_EQ(minA->minimum.value, 0.0);
        EXPECT_DOUBLE_EQ(minA->maximum.value, 1.0);
        EXPECT_DOUBLE_EQ(minA->defaultValue.value, 0.5);
        EXPECT_DOUBLE_EQ(maxA->defaultValue.value, 0.5);
        EXPECT_EQ(minA->widget, 2);
        EXPECT_DOUBLE_EQ(minA->stepSize, 0.1);
        EXPECT_EQ(minA->decimals, 1);
    }

    // A target that is one of the pair itself is read before either changes.
    map.applyAssignableTarget(83, 3);
    map.applyAssignableTarget(83, 85);
    EXPECT_DOUBLE_EQ(map.findParameterInfo(84)->defaultValue.value, 0.0);
    EXPECT_DOUBLE_EQ(map.findParameterInfo(85)->defaultValue.value, 10.0);

    // Any other selector changes nothing.
    map.applyAssignableTarget(84, 15);
    EXPECT_DOUBLE_EQ(map.findParameterInfo(85)->maximum.value, 10.0);
}

// ---------------------------------------------------------------------------------------
// Device encoding

TEST(ParamMapCodec, IntegerAndContinuousValuesRoundTripThroughTheDeviceFloat)
{
    // Kind 0 rounds (halves away from zero), 1 scales, 2 is on above one half.
    struct Decode
    {
        int kind;
        double scale;
        float device;
        double value;
    };
    for (const Decode& c : { Decode { 0, 1.0, 2.0f, 2.0 }, Decode { 0, 1.0, -2.5f, -3.0 }, Decode { 1, 100.0, 0.25f, 25.0 },
                             Decode { 2, 1.0, 0.5f, 0.0 }, Decode { 2, 1.0, 0.51f, 1.0 } })
    {
        SCOPED_TRACE(c.device);
        Value value;
        ASSERT_TRUE(TonecrestParamMap::decodeParameterValue(infoOfKind(c.kind, c.scale), c.device, value));
        EXPECT_EQ(value.type, c.kind);
        EXPECT_DOUBLE_EQ(value.value, c.value);
    }

    // The preset version runs past the int range and must still encode exactly.
    struct Encode
    {
        int kind;
        double scale;
        double value;
        float device;
    };
    for (const Encode& c : { Encode { 0, 1.0, 2.7, 2.0f }, Encode { 0, 1.0, -2.7, -2.0f }, Encode { 0, 1.0, 4294967295.0, 4294967296.0f },
                             Encode { 1, 100.0, 50.0, 0.5f }, Encode { 2, 1.0, 0.9, 0.0f }, Encode { 2, 1.0, -3.0, 1.0f } })
    {
        SCOPED_TRACE(c.value);
        float device = -99.0f;
        ASSERT_TRUE(TonecrestParamMap::encodeParameterValue(infoOfKind(c.kind, c.scale), { c.kind, c.value }, device));
        EXPECT_EQ(device, c.device);
    }

    // An unknown kind leaves both sides as they were.
    const Info other = infoOfKind(7, 1.0);
    float device = 12.5f;
    Value value { 1, 3.0 };
    EXPECT_TRUE(TonecrestParamMap::encodeParameterValue(other, { 0, 99.0 }, device));
    EXPECT_TRUE(TonecrestParamMap::decodeParameterValue(other, 99.0f, value));
    EXPECT_EQ(device, 12.5f);
    EXPECT_EQ(value.value, 3.0);
}

TEST(ParamMapCodec, NonNumbersAndUnusableScalesAreRefusedWithoutOutput)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (int kind : { 0, 1, 2 })
    {
        SCOPED_TRACE(kind);
        const Info info = infoOfKind(kind, 10.0);
        float device = 7.0f;
        Value value { 1, 7.0 };
        for (double bad : { nan, infinity, -infinity })
        {
            Result result = TonecrestParamMap::encodeParameterValue(info, { kind, bad }, device);
            EXPECT_FALSE(result);
            EXPECT_STREQ(result.error, "Invalid parameter value");
            result = TonecrestParamMap::decodeParameterValue(info, static_cast<float>(bad), value);
            EXPECT_FALSE(result);
            EXPECT_STREQ(result.error, "Invalid parameter value");
        }
        EXPECT_EQ(device, 7.0f);
        EXPECT_EQ(value.value, 7.0);
    }

    float device = 7.0f;
    EXPECT_STREQ(TonecrestParamMap::encodeParameterValue(infoOfKind(1, 0.0), { 1, 1.0 }, device).error, "Invalid parameter scale");
    EXPECT_STREQ(TonecrestParamMap::encodeParameterValue(infoOfKind(0, 0.0), { 0, 1.0 }, device).error, "Invalid parameter scale");
    // Values a float cannot hold, before or after scaling.
    EXPECT_FALSE(TonecrestParamMap::encodeParameterValue(infoOfKind(1, 1.0), { 1, 1e300 }, device));
    EXPECT_FALSE(TonecrestParamMap::encodeParameterValue(infoOfKind(1, 1e-10), { 1, FLT_MAX }, device));
    EXPECT_FALSE(TonecrestParamMap::encodeParameterValue(infoOfKind(0, 1.0), { 0, 1e300 }, device));
    EXPECT_EQ(device, 7.0f);
    Value value { 1, 7.0 };
    EXPECT_FALSE(TonecrestParamMap::decodeParameterValue(infoOfKind(1, 1e10), FLT_MAX, value));
    EXPECT_EQ(value.value, 7.0);
}
