#include "EditPageTestRig.h"

#include "MainComponent.h"
#include "PanelTestSupport.h"

namespace EditPageTesting
{
namespace
{

using Tonecrest::TonecrestData::Cabinet;

/** A pedal as a player leaves it after a while: named presets, amp models, user cabinets and a
    current preset with a few effects on. */
void populate(SimulatedPedal& pedal)
{
    const char* models[] = { "US Clean 65", "Brit Plexi", "Modern Lead", "Tweed Deluxe", "Chime 30" };
    for (unsigned i = 0; i < std::size(models); ++i)
        pedal.setAmpModelInfo(i, { i + 1, models[i] });

    const char* names[] = { "Clean Machine", "Crunch Rhythm", "Lead Boost", "Ambient Swell", "Blues Breaker",
                            "Country Snap",  "Metal Chug",    "Fuzz Face",  "Jazz Warm",     "Funk Clean",
                            "Slide Lead",    "Surf Spring",   "Stadium Ld", "Doom Drone",    "Shoegaze Wash" };
    for (unsigned i = 0; i < 128; ++i)
        pedal.setPresetName(i, i < 100 ? names[i % std::size(names)] : "");

    for (unsigned i = 0; i < 12; ++i)
    {
        Cabinet cabinet;
        cabinet.name = "User Cab " + std::to_string(i + 1);
        pedal.setUserCabinet(i, cabinet);
    }

    pedal.setCurrentPreset(12);
    // Modern Lead, on, its knobs set, the matched cabinet; boost on after the amp, echo on post,
    // reverb and gate on, compressor on pre, chorus on post, the loop at its third place.
    pedal.setPresetParams(12, parameterList({ { 1, 3 },   { 2, 1 },   { 3, 7.2 }, { 4, 5.5 },  { 5, 6.0 },  { 6, 6.5 },
                                              { 7, 4.5 }, { 8, 3.8 }, { 9, -2.0 }, { 13, -1 }, { 20, 1 },   { 22, 1 },
                                              { 35, 1 },  { 37, 1 },  { 53, 1 },  { 67, 1 },   { 72, 1 },   { 164, 0 },
                                              { 204, 1 }, { 200, 1 }, { 310, 2 } }));
    pedal.setGlobals(parameterList({ { 14, 3 } }));
    pedal.setCabinetName(14, 0, "Modern Lead");
}

using EditPageScreenshot = EditPageTest;

TEST_F(EditPageScreenshot, WholePageOnAPopulatedPedal)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    ScopedBuiltArtwork artwork;
    if (!artwork.loaded())
        GTEST_SKIP() << "no built resources.bin";

    populate(pedal());
    MainComponent main(rig.service.get(), nullptr);
    auto& edit = main.getEditPage();
    edit.setAlertPresenter([this](const juce::String& message) { alerts.push_back(message); });
    rig.connectAndRefresh();
    ASSERT_TRUE(pumpUntil([&] { return !main.getOverlay().isVisible(); }));
    settle();

    EXPECT_EQ(edit.getPresetTitle().text, "013 - Stadium Ld");
    const auto amp = main.createComponentSnapshot(main.getLocalBounds(), true, 1.0f);
    EXPECT_TRUE(writeScreenshot(amp, "edit-page-amp.png").existsAsFile());

    // The echo panel: menus with arrows, the tempo divisions, several knob rows.
    edit.getSignalChain().getBlockButton(4)->triggerClick();
    pump(100);
    writeScreenshot(main.createComponentSnapshot(main.getLocalBounds(), true, 1.0f), "edit-page-echo.png");

    // The cabinet panel with its name box.
    edit.getSignalChain().getBlockButton(2)->triggerClick();
    pump(100);
    writeScreenshot(main.createComponentSnapshot(main.getLocalBounds(), true, 1.0f), "edit-page-cabinet.png");

    // Disconnected: the overlay over the page says so.
    rig.service->disconnect();
    ASSERT_TRUE(pumpUntil([&] { return main.getOverlay().isVisible(); }));
    writeScreenshot(main.createComponentSnapshot(main.getLocalBounds(), true, 1.0f), "edit-page-disconnected.png");
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace EditPageTesting
