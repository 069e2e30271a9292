#include "EditorServiceTestRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Service = TonecrestEditorService;

namespace
{
struct ParameterRig : EditorServiceRig
{
    ParameterRig()
    {
        connection.pedal.setPresetParams(0, { { 0, 2.0f }, { 2, 0.25f }, { 12, 20.0f } });
        connection.pedal.setCabinetName(14, 0, "EditCab");
        connection.pedal.setCurrentPreset(0);
        connectAndRefresh();
    }

    Service::ParameterValue get(TonecrestParamID id)
    {
        Service::ParameterValue value;
        EXPECT_TRUE(service->getParameterValue(id, value).ok) << id;
        return value;
    }

    void set(TonecrestParamID id, Service::ParameterValue value)
    {
        runTask([&](auto done) { return service->setParameterValue(id, value, done); });
    }

    float sent(int messageId) { return connection.pedal.parameterValues().at(static_cast<unsigned>(messageId)); }
};
} // namespace

TEST(EditorServiceParameters, ReadsDecodeTheCacheAndMissingValuesAreDefaults)
{
    ParameterRig rig;
    EXPECT_DOUBLE_EQ(rig.get(3).value, 2.5);
    EXPECT_EQ(rig.get(1).value, 2.0);
    EXPECT_DOUBLE_EQ(rig.get(4).value, [&] {
        Service::ParameterInfo info;
        rig.service->getParameterInfo(4, info);
        return info.defaultValue.value;
    }());

    Service::ParameterValue value;
    EXPECT_STREQ(rig.service->getParameterValue(81, value).error, "No scope for parameter") << "Pedal A is not stored";
    EXPECT_STREQ(rig.service->getParameterValue(11, value).error, "No scope for parameter") << "Sag is not shown";
    Service::ParameterInfo info;
    EXPECT_STREQ(rig.service->getParameterInfo(500, info).error, "Parameter info not found");
}

TEST(EditorServiceParameters, WriteReachesThePedalTheCacheAndTheListener)
{
    ParameterRig rig;
    rig.listener.clear();
    rig.set(3, { 1, 7.5 });
    EXPECT_FLOAT_EQ(rig.sent(3), 0.75f) << "gain at scale 10";
    EXPECT_DOUBLE_EQ(rig.get(3).value, 7.5);
    EXPECT_TRUE(rig.service->isCurrentPresetModified());
    EXPECT_EQ(rig.listener.count("param 3=7.500000"), 1);

    // Exactly one set-parameter packet: [0xC7][8][id lo][id hi][0][0][float bits, little-endian].
    auto packets = rig.connection.pedal.receivedPacketsOfType(0xC7);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (std::vector<uint8_t> { 0xC7, 8, 3, 0, 0, 0, 0x00, 0x00, 0x40, 0x3F }));
}

TEST(EditorServiceParameters, GlobalWriteDoesNotMarkThePresetAndRenumbers)
{
    ParameterRig rig;
    EXPECT_EQ(rig.service->getPresetNumberText(0), "001") << "the pedal numbers from 1 unless told otherwise";
    rig.listener.clear();
    rig.set(146, { 0, 0.0 });
    EXPECT_FALSE(rig.service->isCurrentPresetModified());
    EXPECT_EQ(rig.service->getPresetNumberText(0), "000");
    EXPECT_EQ(rig.service->getPresetNumberText(127), "127");
    EXPECT_GE(rig.listener.count("all"), 1);
    Service::ParameterInfo defaultPreset;
    ASSERT_TRUE(rig.service->getParameterInfo(368, defaultPreset).ok);
    EXPECT_EQ(defaultPreset.values[1].name, "0");
}

TEST(EditorServiceParameters, AssigningParamASetsMinAndMaxToTheTargetsRange)
{
    ParameterRig rig;
    rig.set(83, { 0, 3.0 }); // Gain: 0..10 at one decimal
    Service::ParameterInfo minA;
    ASSERT_TRUE(rig.service->getParameterInfo(84, minA).ok);
    EXPECT_DOUBLE_EQ(minA.maximum.value, 10.0);
    EXPECT_DOUBLE_EQ(rig.get(84).value, 0.0);
    EXPECT_DOUBLE_EQ(rig.get(85).value, 10.0);
    EXPECT_FLOAT_EQ(rig.sent(84), 0.0f);
    EXPECT_FLOAT_EQ(rig.sent(85), 1.0f) << "10 at scale 10";

    // "NONE" is no parameter: Min and Max become a 0..1 knob, both at its middle.
    rig.set(83, { 0, -1.0 });
    EXPECT_FLOAT_EQ(rig.sent(84), 0.5f);
    EXPECT_FLOAT_EQ(rig.sent(85), 0.5f);

    // Those two follow-up writes do not count as edits of the preset.
    rig.runTask([&](auto done) { return rig.service->saveCurrentPreset(done); });
    EXPECT_FALSE(rig.service->isCurrentPresetModified());
    const auto stored = rig.connection.pedal.presetParams(0);
    EXPECT_FLOAT_EQ(stored.at(98), 0.5f) << "Min A";
    EXPECT_FLOAT_EQ(stored.at(99), 0.5f) << "Max A";
    rig.set(83, { 0, 3.0 });
    EXPECT_TRUE(rig.service->isCurrentPresetModified()) << "the selector itself does";
}

TEST(EditorServiceParameters, NonFiniteValuesAreRefusedBeforeAnyTask)
{
    ParameterRig rig;
    const double bad[] = { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity() };
    for (double value : bad)
        EXPECT_FALSE(rig.service->setParameterValue(3, { 1, value }, nullptr).ok);
    Service::CopiedParameterData data;
    data.values[3] = { 1, bad[0] };
    EXPECT_FALSE(rig.service->pasteParams(data).ok);
    rig.drain();
    EXPECT_TRUE(rig.connection.pedal.receivedPacketsOfType(0xC7).empty());
}

TEST(EditorServiceParameters, PastedLimitsUseThePastedAssignmentsScale)
{
    ParameterRig rig;
    rig.set(83, { 0, 9.0 }); // Level: -24..24 dB at scale 1
    rig.connection.pedal.clearReceivedPackets();

    Service::CopiedParameterData data;
    data.values[83] = { 0, 3.0 };  // Gain, scale 10
    data.values[84] = { 1, 2.0 };
    data.values[85] = { 1, 8.0 };
    ASSERT_TRUE(rig.service->pasteParams(data).ok);
    rig.drain();
    EXPECT_FLOAT_EQ(rig.sent(84), 0.2f);
    EXPECT_FLOAT_EQ(rig.sent(85), 0.8f);
    EXPECT_DOUBLE_EQ(rig.get(85).value, 8.0);
}

TEST(EditorServiceParameters, CopyAndPasteABlockWithItsCabinet)
{
    ParameterRig rig;
    TonecrestData::Cabinet edit;
    edit.samples[1] = 0.5f;
    rig.connection.pedal.setCabinetSamples(15, 0, edit);
    rig.connection.pedal.setCabinetName(14, 0, "Roomy");

    std::promise<Service::CopiedParameterData> copied;
    ASSERT_TRUE(rig.service->copyParamsForBlock(2, [&](Service::CopiedParameterData d) { copied.set_value(std::move(d)); }).ok);
    Service::CopiedParameterData data = copied.get_future().get();
    EXPECT_EQ(data.values.count(13), 0u) << "the cabinet travels as data, not as a setting";
    ASSERT_NE(data.cabinet, nullptr);
    EXPECT_EQ(data.cabinet->name, "Roomy");
    EXPECT_EQ(data.cabinet->samples[1], 0.5f);

    rig.listener.clear();
    data.values[19] = { 1, 3.0 };
    ASSERT_TRUE(rig.service->pasteParams(data).ok);
    rig.drain();
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_EQ(rig.get(13).value, -4.0);
    std::string name;
    ASSERT_TRUE(rig.service->getCurrentCabinetName(name).ok);
    EXPECT_EQ(name, "Roomy");
    EXPECT_GE(rig.listener.count("params"), 1) << "pasted values are announced even with a cabinet";
    EXPECT_EQ(rig.listener.count("param 13=-4.000000"), 1);
    EXPECT_TRUE(rig.service->isCurrentPresetModified());
}

TEST(EditorServiceParameters, SelectingACabinetByIdStoresItsSetting)
{
    ParameterRig rig;
    ASSERT_TRUE(rig.service->setCurrentCabinetByID(10003).ok);
    rig.drain();
    EXPECT_FLOAT_EQ(rig.sent(13), 10003.0f);
    EXPECT_EQ(rig.get(13).value, -4.0);

    ASSERT_TRUE(rig.service->setCurrentCabinetByID(-2).ok);
    rig.drain();
    EXPECT_EQ(rig.get(13).value, -2.0);
    std::string name;
    ASSERT_TRUE(rig.service->getCurrentCabinetName(name).ok);
    EXPECT_EQ(name, "FILTER ONLY");
}

TEST(EditorServiceParameters, FailedWriteIsOnlyLogged)
{
    ParameterRig rig;
    rig.connection.device.setWriteResult(-1);
    rig.set(3, { 1, 9.0 });
    rig.connection.device.clearWriteResult();
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_DOUBLE_EQ(rig.get(3).value, 2.5) << "the cache keeps the old value";
}

TEST(EditorServiceParameters, PedalValuesBeyondTheIntRangeShowAsUnsetOrAsNoParameter)
{
    // The same value as the pedal's "Preset Index", "Param A" and "Cabinet".
    const struct
    {
        float value;
        const char* presetNumber;       // of slot 0
        const char* firstDefaultPreset; // "Default Prst" after "LAST USED"
        double minAMaximum;
        const char* cabinetName; // or the error
        float exportedCabinet;   // of a preset taken from the pedal
    } rows[] = {
        { -2.0f, "-02", "-2", 1.0, "FILTER ONLY", -2.0f },
        { 2147483520.0f, "2147483520", "2147483520", 1.0, "EditCab", -4.0f }, // the largest float below 2^31
        { 2147483648.0f, "000", "0", 1.0, "EditCab", -4.0f },
        { -3e9f, "000", "0", 1.0, "EditCab", -4.0f },
        { std::numeric_limits<float>::quiet_NaN(), "000", "0", 10.0, "Invalid parameter value", 0.0f },
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.value);
        EditorServiceRig rig;
        rig.connection.pedal.setGlobals({ { 30, row.value } });
        rig.connection.pedal.setPresetParams(0, { { 96, row.value }, { 11, row.value } });
        rig.connection.pedal.setCabinetName(14, 0, "EditCab");
        rig.connection.pedal.setCurrentPreset(0);
        rig.connectAndRefresh();

        EXPECT_EQ(rig.service->getPresetNumberText(0), row.presetNumber);
        Service::ParameterInfo info;
        ASSERT_TRUE(rig.service->getParameterInfo(368, info).ok);
        EXPECT_EQ(info.values.at(1).name, row.firstDefaultPreset);
        ASSERT_TRUE(rig.service->getParameterInfo(84, info).ok);
        EXPECT_DOUBLE_EQ(info.maximum.value, row.minAMaximum);
        std::string cabinet;
        const Result named = rig.service->getCurrentCabinetName(cabinet);
        EXPECT_EQ(named.ok ? cabinet : std::string(named.error), row.cabinetName);

        if (!std::isfinite(row.value))
            continue;
        std::promise<float> exported;
        ASSERT_TRUE(rig.service->getPreset(0, [&](const TonecrestData::Preset& preset) { exported.set_value(preset.params.at(11)); }).ok);
        auto cabinetSetting = exported.get_future();
        ASSERT_EQ(cabinetSetting.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        EXPECT_EQ(cabinetSetting.get(), row.exportedCabinet);
    }
}
