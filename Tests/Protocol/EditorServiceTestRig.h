#pragma once

#include "SimulatedPedalConnection.h"
#include "TonecrestEditorService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tonecrest::Testing
{

/** Records every listener call, from whichever thread it comes. */
class RecordingServiceListener : public TonecrestEditorService::Listener
{
public:
    void onEditorServiceAllChanged() override { record("all"); }
    void onEditorServiceStateChanged(int state) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        states.push_back(state);
        events.push_back("state " + std::to_string(state));
        changed.notify_all();
    }
    void onEditorServicePresetChanged(int index) override { record("preset " + std::to_string(index)); }
    void onEditorServiceCurrentPresetChanged(int index) override { record("current " + std::to_string(index)); }
    void onEditorServiceUserCabinetChanged(int index) override { record("cabinet " + std::to_string(index)); }
    void onEditorServiceParameterChanged(TonecrestParamID id, const TonecrestParamMap::ParameterValue& value) override
    {
        record("param " + std::to_string(id) + "=" + std::to_string(value.value));
    }
    void onEditorServiceParametersChanged() override { record("params"); }

    std::vector<int> statesSeen() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return states;
    }
    std::vector<std::string> eventsSeen() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    int count(const std::string& event) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        int n = 0;
        for (const auto& e : events)
            n += e == event ? 1 : 0;
        return n;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex);
        states.clear();
        events.clear();
    }

private:
    void record(std::string event)
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(std::move(event));
        changed.notify_all();
    }

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> states;
    std::vector<std::string> events;
};

/** Waits for a task's completion; completions always run, so this never waits in vain for
    long (the bound only turns a hang into a test failure). */
class CompletionLatch
{
public:
    TonecrestEditorService::Completion callback()
    {
        return [this] {
            std::lock_guard<std::mutex> lock(mutex);
            ++count;
            changed.notify_all();
        };
    }
    bool wait(int expected = 1)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), [&] { return count >= expected; });
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
};

/** The editor service connected to a simulated pedal, as the application wires them. */
struct EditorServiceRig
{
    explicit EditorServiceRig(bool withMinimum = true)
    {
        minimum.system = { 3, 4, 1, 0 };
        minimum.dsp = { 6, 2, 0, 0 };
        service = std::make_unique<TonecrestEditorService>(withMinimum ? &minimum : nullptr);
        service->addListener(&listener);
        connection.pedal.setVersion({ 3, 4, 1 }, { 6, 2, 0 }, 0);
    }

    ~EditorServiceRig()
    {
        service->disconnect();
        service->removeListener(&listener);
    }

    void connect() { ASSERT_TRUE(service->connect(connection.protocol.get()).ok); }

    /** Connect and run the wait for ready to its end, whatever state it ends in. */
    void connectAndWaitForReady()
    {
        connect();
        CompletionLatch ready;
        ASSERT_TRUE(service->beginWaitForReady(ready.callback()).ok);
        ASSERT_TRUE(ready.wait());
    }

    /** Connect, wait for ready and refresh everything; the state is 1 afterwards. */
    void connectAndRefresh()
    {
        connectAndWaitForReady();
        ASSERT_EQ(service->getState(), TonecrestEditorService::kStateReady) << service->getLastError();
        CompletionLatch refreshed;
        ASSERT_TRUE(service->beginRefreshAll(refreshed.callback()).ok);
        ASSERT_TRUE(refreshed.wait());
        ASSERT_EQ(service->getState(), TonecrestEditorService::kStateReady) << service->getLastError();
    }

    /** Starts a task through `start`, which is given the completion, and waits until it has run. */
    template <typename Start>
    void runTask(Start start)
    {
        CompletionLatch done;
        const Result started = start(done.callback());
        ASSERT_TRUE(started.ok) << started.error;
        ASSERT_TRUE(done.wait());
    }

    /** Waits until every task queued so far has run: block 0 has no parameters, so copying
        it is a quick task that touches nothing. */
    void drain()
    {
        // A task may queue a follow-up (a paste queues the cabinet task), so probe until the
        // probe itself finds the service idle.
        for (int attempt = 0; attempt < 12000; ++attempt)
        {
            const int state = service->getState();
            if (state == TonecrestEditorService::kStateError || state == TonecrestEditorService::kStateNotConnected)
                return;
            std::promise<void> ran;
            auto done = ran.get_future();
            if (state == TonecrestEditorService::kStateReady
                && service->copyParamsForBlock(0, [&ran](TonecrestEditorService::CopiedParameterData) { ran.set_value(); }).ok)
            {
                ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
                if (service->getState() == TonecrestEditorService::kStateReady)
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FAIL() << "service stayed busy in state " << service->getState();
    }

    /** Waits until the last error reads `text` (a task may report a detail first and its
        summary last). */
    bool waitForError(const std::string& text)
    {
        for (int attempt = 0; attempt < 12000; ++attempt)
        {
            if (service->getState() == TonecrestEditorService::kStateError && service->getLastError() == text)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    /** Waits until the service leaves the given state. */
    int waitWhileState(int busyState)
    {
        for (int attempt = 0; attempt < 12000 && service->getState() == busyState; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return service->getState();
    }

    TonecrestData::FirmwareVersionInfo minimum;
    SimulatedPedalConnection connection;
    RecordingServiceListener listener;
    std::unique_ptr<TonecrestEditorService> service;
};

} // namespace Tonecrest::Testing
