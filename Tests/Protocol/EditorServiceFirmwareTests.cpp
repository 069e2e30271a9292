// Whole firmware updates through the editor service, across the pedal's re-enumerations on a
// fake USB bus: bootloader programming, DSP loading and the asset restore.

#include "EditorServiceTestRig.h"
#include "SimulatedDeviceWiring.h"
#include "SimulatedPedalBus.h"

#include <gtest/gtest.h>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Service = TonecrestEditorService;
using Bus = SimulatedPedalBus;

namespace
{
bool sawState(const RecordingServiceListener& listener, int state)
{
    auto states = listener.statesSeen();
    return std::find(states.begin(), states.end(), state) != states.end();
}

/** A pedal on a fake bus, the service and the application's device wiring, in the order
    they must be torn down (wiring first). */
struct UpdateRig
{
    explicit UpdateRig(Bus::Options options = {})
        : bus(backend, options)
    {
        minimum.system = { 3, 4, 1, 0 };
        minimum.dsp = { 6, 2, 0, 0 };
        service = std::make_unique<Service>(&minimum);
        service->addListener(&listener);
        service->addListener(&bus.userListener());
        wiring = std::make_unique<SimulatedDeviceWiring>(backend, service.get());
    }

    ~UpdateRig()
    {
        wiring.reset();
        service->removeListener(&bus.userListener());
        service->removeListener(&listener);
    }

    /** Waits until the service settles in a state other than the busy ones. A pedal that
        connects ready is refreshed right after its wait for ready, so state 1 counts only once
        a refresh was seen. */
    int waitUntilIdle(bool disconnectedCounts = false)
    {
        for (int attempt = 0; attempt < 12000; ++attempt)
        {
            // Look for the refresh before reading the state: read the other way round, a state 1
            // from just before the refresh began would pass.
            const bool refreshed = sawState(listener, 4);
            const int state = service->getState();
            if ((disconnectedCounts && state == 0) || state == 2 || state == 13 || (state == 1 && refreshed))
                return state;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return service->getState();
    }

    /** Starts an update and waits for its completion and any refresh it queued. */
    void update(const TonecrestData::Archive& archive, Service::RestoreOptions options = {})
    {
        CompletionLatch done;
        Result started = service->beginFirmwareUpdate(archive, options, [this](double p) {
            std::lock_guard<std::mutex> lock(progressMutex);
            progress.push_back(p);
        },
                                                      done.callback());
        ASSERT_TRUE(started.ok) << started.error;
        ASSERT_TRUE(done.wait());
        waitUntilIdle(true);
    }

    std::vector<double> progressSeen()
    {
        std::lock_guard<std::mutex> lock(progressMutex);
        return progress;
    }

    TonecrestData::FirmwareVersionInfo minimum;
    FakeHIDBackend backend;
    Bus bus;
    RecordingServiceListener listener;
    std::unique_ptr<Service> service;
    std::unique_ptr<SimulatedDeviceWiring> wiring;
    std::mutex progressMutex;
    std::vector<double> progress;
};

Bus::Options pedalAt(SyntheticFirmware::Version system, int subType = 0, Bus::Mode mode = Bus::Mode::Normal)
{
    Bus::Options options;
    options.system = system;
    options.subType = subType;
    options.initialMode = mode;
    return options;
}

} // namespace

TEST(FirmwareUpdate, FullUpdateThroughTheBootloaderEndsReadyWithEverythingLoaded)
{
    UpdateRig rig(pedalAt({ 3, 3, 0 }));
    ASSERT_EQ(rig.waitUntilIdle(), 2) << "3.3.0 is below the minimum";

    auto archive = SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 3, 0 } });
    rig.listener.clear();
    rig.update(archive, { false, false, false, true });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();

    // The user is asked to start the bootloader; the pedal's comings and goings show nothing.
    auto states = rig.listener.statesSeen();
    states.resize(std::min<size_t>(states.size(), 4)); // the refresh's own end may still be on its way
    EXPECT_EQ(states, (std::vector<int> { 12, 7, 1, 4 }));
    EXPECT_FALSE(sawState(rig.listener, 0)) << "the pedal's re-enumerations never show as a disconnect";
    EXPECT_EQ(rig.bus.systemVersion(), (SyntheticFirmware::Version { 3, 5, 0 }));
    auto loaded = rig.bus.pedal().loadedDSPImage(0);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(*loaded, *archive.dspFirmware) << "a QV3 (subtype 0) gets the QV3 image";
    EXPECT_EQ(*rig.bus.pedal().loadedDSPImage(1), *archive.dspFirmware2);
    EXPECT_EQ(rig.bus.pedal().ampModelInfo(3).id, archive.ampModels[3].model.info.id) << "assets restored";
    EXPECT_EQ(rig.service->getDeviceVersion().systemVersionNumber(), 0x03050000u);

    auto progress = rig.progressSeen();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 1.0);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i - 1], progress[i] + 1e-12);
}

TEST(FirmwareUpdate, OlderSystemVersionIsStillProgrammed)
{
    UpdateRig rig(pedalAt({ 3, 6, 0 }));
    ASSERT_EQ(rig.waitUntilIdle(), 1);
    rig.update(SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 2, 0 } }));
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(rig.bus.systemVersion(), (SyntheticFirmware::Version { 3, 5, 0 }));
}

TEST(FirmwareUpdate, MatchingSystemVersionSkipsTheBootloader)
{
    UpdateRig rig(pedalAt({ 3, 4, 1 }, 2));
    ASSERT_EQ(rig.waitUntilIdle(), 1);
    rig.listener.clear();
    auto archive = SyntheticFirmware::makeArchive({ { 3, 4, 1 }, { 6, 4, 0 } });
    rig.update(archive, { false, false, false, true });
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_TRUE(sawState(rig.listener, 4)) << "everything is read again afterwards";
    EXPECT_FALSE(sawState(rig.listener, 12));
    EXPECT_EQ(rig.bus.enumerations(Bus::Mode::Bootloader), 0);
    EXPECT_EQ(*rig.bus.pedal().loadedDSPImage(0), *archive.dspFirmwareQV6) << "subtype 2 takes the QV6 image";

    // Two phases: DSP 0 .. 0.5, restore 0.5 .. 1.
    auto progress = rig.progressSeen();
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.front(), 0.5);
    EXPECT_EQ(progress.back(), 1.0);
}

TEST(FirmwareUpdate, PedalAlreadyInItsBootloaderIsProgrammedWithoutAskingTheUser)
{
    UpdateRig rig(pedalAt({ 3, 4, 1 }, 2, Bus::Mode::Bootloader));
    ASSERT_EQ(rig.waitUntilIdle(), 2);
    auto archive = SyntheticFirmware::makeArchive({ { 3, 6, 0 }, { 6, 2, 0 } });
    rig.update(archive);
    ASSERT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_FALSE(sawState(rig.listener, 12));
    EXPECT_EQ(rig.bus.systemVersion(), (SyntheticFirmware::Version { 3, 6, 0 }));
    EXPECT_EQ(*rig.bus.pedal().loadedDSPImage(0), *archive.dspFirmwareQV6) << "the variant is asked once the pedal is back";
}

TEST(FirmwareUpdate, FailuresGiveTheirTexts)
{
    struct Case
    {
        const char* name;
        std::function<void(UpdateRig&, TonecrestData::Archive&)> arrange;
        const char* text;
    };
    const Case cases[] = {
        { "bootloader comes back instead of the pedal",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.setComebackAfterSystemUpdate(Bus::Comeback::Bootloader); },
          "Could not reconnect to the device (3)" },
        { "pedal never returns after the system update",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.setComebackAfterSystemUpdate(Bus::Comeback::Never); },
          "Could not reconnect to the device (2)" },
        { "pedal never returns after the DSP update",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.setComebackAfterDSPUpdate(Bus::Comeback::Never); },
          "Could not reconnect to the device (4)" },
        { "pedal returns but never becomes ready",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.setComebackAfterDSPUpdate(Bus::Comeback::NormalNotReady); },
          "Could not reconnect to the device (5)" },
        { "verify mismatch",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.bootloader().corruptReadBackAt(0x1010); },
          "Could not update system firmware" },
        { "NACK during the DSP transfer",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.pedal().addFaultAt(0xB2, 3, SimulatedPedal::Fault::Nack); },
          "Could not update DSP firmware" },
        // Pulled out while a firmware step uses the device: the application deletes the
        // device objects while the task may still be inside them.
        { "unplugged while programming",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.bootloader().unplugAfterProgramPackets(20); },
          "Could not update system firmware" },
        { "unplugged during the DSP transfer",
          [](UpdateRig& rig, TonecrestData::Archive&) { rig.bus.pedal().addFaultAt(0xB2, 5, SimulatedPedal::Fault::Unplug); },
          "Could not update DSP firmware" },
        { "no second DSP image",
          [](UpdateRig&, TonecrestData::Archive& archive) { archive.dspFirmware2.reset(); }, "DSP firmware not found" },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        UpdateRig rig(pedalAt({ 3, 4, 1 }));
        ASSERT_EQ(rig.waitUntilIdle(), 1);
        auto archive = SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 2, 0 } });
        c.arrange(rig, archive);
        rig.update(archive);
        // A pedal pulled out may also be seen as gone before the task reports: then the
        // service is simply disconnected, still with the task's text as the last error.
        const bool pulledOut = std::string(c.name).rfind("unplugged", 0) == 0;
        const int state = rig.service->getState();
        EXPECT_TRUE(state == 13 || (pulledOut && state == 0)) << "state " << state;
        EXPECT_EQ(rig.service->getLastError(), c.text);
    }
}

TEST(FirmwareUpdate, NoBootloaderEverAppearsUntilCancelled)
{
    UpdateRig rig(pedalAt({ 3, 4, 1 }));
    ASSERT_EQ(rig.waitUntilIdle(), 1);
    rig.bus.setUserIgnoresRequest(true);
    CompletionLatch done;
    ASSERT_TRUE(rig.service->beginFirmwareUpdate(SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 2, 0 } }), {}, nullptr,
                                                 done.callback())
                    .ok);
    for (int attempt = 0; attempt < 2000 && rig.service->getState() != 12; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(rig.service->getState(), 12);
    EXPECT_STREQ(rig.service->beginBackup(nullptr, nullptr).error, "Cannot start task while busy");
    rig.service->cancelAll();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(rig.service->getState(), 13);
    EXPECT_EQ(rig.service->getLastError(), "Could not reconnect to the device (1)");
}

// An update that failed while its pedal was away leaves its task queue behind; the worker
// may still be finishing when a pedal connects. Its listener calls read the service, so
// connect must not join that worker while it holds the service's state.
TEST(FirmwareUpdate, ConnectWhileAFailedUpdateIsStillFinishingDoesNotDeadlock)
{
    struct LingeringListener : RecordingServiceListener
    {
        void onEditorServiceStateChanged(int state) override
        {
            RecordingServiceListener::onEditorServiceStateChanged(state);
            if (state != TonecrestEditorService::kStateError)
                return;
            reported.set_value();
            // Keep the worker busy a while, reading the service as a view does.
            for (int i = 0; i < 100 && !connected; ++i)
            {
                sawNewConnection = sawNewConnection || service->getState() != state;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        Service* service = nullptr;
        std::promise<void> reported;
        std::atomic<bool> connected { false };
        bool sawNewConnection = false;
    };
    struct Scene
    {
        LingeringListener lingering;
        EditorServiceRig rig;
    };
    auto scene = std::make_unique<Scene>();
    auto& rig = scene->rig;
    rig.connectAndRefresh();
    ASSERT_TRUE(rig.service->beginFirmwareUpdate(SyntheticFirmware::makeArchive({ { 3, 5, 0 }, { 6, 2, 0 } }), {}, nullptr, nullptr).ok);
    ASSERT_EQ(rig.waitWhileState(7), 12);
    rig.service->disconnect(); // the user power-cycles the pedal: the task waits on
    scene->lingering.service = rig.service.get();
    rig.service->addListener(&scene->lingering);
    auto reported = scene->lingering.reported.get_future();
    rig.service->cancelAll(); // and gives up
    ASSERT_EQ(reported.wait_for(std::chrono::seconds(10)), std::future_status::ready);

    std::promise<void> connected;
    auto done = connected.get_future();
    std::thread connecting([&scene, &connected] {
        scene->rig.service->connect(scene->rig.connection.protocol.get());
        scene->lingering.connected = true;
        connected.set_value();
    });
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
    {
        // Deadlocked: leave the stuck threads what they still point at.
        connecting.detach();
        (void)scene.release();
        FAIL() << "connect deadlocked with the old task's worker";
    }
    connecting.join();
    EXPECT_FALSE(scene->lingering.sawNewConnection) << "the old task ended before the new pedal was taken on";
    EXPECT_EQ(rig.service->getState(), 1);
    EXPECT_EQ(rig.service->getLastError(), "Could not reconnect to the device (1)");
    rig.service->removeListener(&scene->lingering);
}

TEST(FirmwareUpdate, StartsFromTheErrorStateButNotWhileBusy)
{
    UpdateRig rig(pedalAt({ 3, 4, 1 }));
    ASSERT_EQ(rig.waitUntilIdle(), 1);
    // A refused DSP transfer leaves the service and the connection in error; the user may
    // start again from there.
    rig.bus.pedal().addFaultAt(0xB2, 3, SimulatedPedal::Fault::Nack);
    rig.update(SyntheticFirmware::makeArchive({ { 3, 4, 1 }, { 6, 2, 0 } }));
    ASSERT_EQ(rig.service->getState(), 13);

    auto archive = SyntheticFirmware::makeArchive({ { 3, 4, 1 }, { 6, 5, 0 } });
    CompletionLatch done;
    ASSERT_TRUE(rig.service->beginFirmwareUpdate(archive, {}, nullptr, done.callback()).ok);
    EXPECT_STREQ(rig.service->beginFirmwareUpdate(archive, {}, nullptr, nullptr).error, "Cannot start task while busy");
    ASSERT_TRUE(done.wait());
    rig.waitUntilIdle(true);
    EXPECT_EQ(rig.service->getState(), 1) << rig.service->getLastError();
    EXPECT_EQ(*rig.bus.pedal().loadedDSPImage(0), *archive.dspFirmware);
    EXPECT_EQ(rig.bus.pedal().ampModelInfo(3).id, TonecrestData::emptyAmpModelId) << "amp models were not asked for";

    Service idle(nullptr);
    EXPECT_STREQ(idle.beginFirmwareUpdate({}, {}, nullptr, nullptr).error, "Cannot start task while not running");
}

TEST(FirmwareUpdate, ChoosesDSPImagesByVariant)
{
    auto archive = SyntheticFirmware::makeArchive();
    TonecrestData::FirmwareData images;
    for (int subType : { -1, 0, 3 })
    {
        ASSERT_TRUE(Service::chooseDSPImages(archive, subType, images).ok);
        EXPECT_EQ(images.dsp0Image, *archive.dspFirmware) << subType;
    }
    for (int subType : { 1, 2 })
    {
        ASSERT_TRUE(Service::chooseDSPImages(archive, subType, images).ok);
        EXPECT_EQ(images.dsp0Image, *archive.dspFirmwareQV6) << subType;
        EXPECT_EQ(images.dsp1Image, *archive.dspFirmware2);
    }
    archive.dspFirmwareQV6.reset();
    ASSERT_TRUE(Service::chooseDSPImages(archive, 1, images).ok);
    EXPECT_EQ(images.dsp0Image, *archive.dspFirmware) << "a QV6 without its image gets the QV3 image";
    archive.dspFirmware.reset();
    EXPECT_STREQ(Service::chooseDSPImages(archive, 0, images).error, "DSP firmware not found!");
}
