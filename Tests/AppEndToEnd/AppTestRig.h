#pragma once

// The real application object on a fake USB bus, inside the test process: a fresh home folder
// (settings and log), an update server that refuses (unless a test names its own), and the
// message loop pumped by the test's own thread, which plays the message thread.

#include "FakeHIDBackend.h"
#include "GuiTestFixture.h"
#include "SimulatedPedalBus.h"
#include "TonecrestApplication.h"
#include "TonecrestEditorService.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace AppTesting
{

/** A port on the loopback address that nobody listens on. */
int refusedPort();

/** Records every state the editor service reports, on whatever thread it reports it. */
class StateRecorder : public Tonecrest::TonecrestEditorService::Listener
{
public:
    std::vector<int> states() const;
    void clear();

    void onEditorServiceAllChanged() override {}
    void onEditorServiceStateChanged(int state) override;
    void onEditorServicePresetChanged(int) override {}
    void onEditorServiceCurrentPresetChanged(int) override {}
    void onEditorServiceUserCabinetChanged(int) override {}
    void onEditorServiceParameterChanged(Tonecrest::TonecrestParamID, const Tonecrest::TonecrestEditorService::ParameterValue&) override {}
    void onEditorServiceParametersChanged() override {}

private:
    mutable std::mutex mutex;
    std::vector<int> seen;
};

/** True when `wanted` appears in `states` in this order (other states may come between). */
bool containsInOrder(const std::vector<int>& states, const std::vector<int>& wanted);

class AppTest : public GuiTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    /** Builds the application and runs its initialise, as JUCE's main would. */
    void startApplication();
    /** Runs shutdown and deletes the application, as JUCE's main does after the loop. */
    void stopApplication();

    /** Plugs the pedal in (normal mode) and pumps until the service has waited for it and
        refreshed everything; false when that does not happen. */
    bool plugInReady(Tonecrest::Testing::SimulatedPedalBus& pedal);

    /** Dispatches messages (timers, async updates, paints) for about `ms` milliseconds. */
    static void pump(int ms);
    /** Pumps until `done` holds or `timeoutMs` (real time) has passed; returns `done()`. */
    static bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 20000);

    /** The log file's lines so far. */
    juce::StringArray logLines() const;
    juce::File logFile() const;
    juce::File settingsFile() const;
    /** Index of the first log line containing `text` at or after `from`; -1 when none. */
    int findLogLine(const juce::String& text, int from = 0) const;

    Tonecrest::TonecrestEditorService& service() const { return *app->getEditorService(); }
    int serviceState() const { return app->getEditorService()->getState(); }

    /** A pedal on the fake bus at `path`, absent until plugged in; kept until after shutdown. */
    Tonecrest::Testing::SimulatedPedalBus& addPedal(const std::string& path);
    Tonecrest::Testing::SimulatedPedalBus& addPedal(Tonecrest::Testing::SimulatedPedalBus::Options options);

    Tonecrest::Testing::FakeHIDBackend backend;
    std::vector<std::unique_ptr<Tonecrest::Testing::SimulatedPedalBus>> pedals; // before the backend goes
    std::unique_ptr<TonecrestApplication> app;
    StateRecorder recorder;
    std::filesystem::path home;
};

} // namespace AppTesting
