#include "TaskQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace Tonecrest;

namespace
{
// Generous bound on any wait in these tests: reaching it means a hang, not slowness.
constexpr auto hangGuard = std::chrono::seconds(20);

class Signal
{
public:
    void set()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            isSet = true;
        }
        condition.notify_all();
    }

    bool wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return condition.wait_for(lock, hangGuard, [this] { return isSet; });
    }

private:
    std::mutex mutex;
    std::condition_variable condition;
    bool isSet = false;
};

class EventLog
{
public:
    void add(const std::string& event)
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
    }

    std::vector<std::string> take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }

private:
    std::mutex mutex;
    std::vector<std::string> events;
};

TaskQueue::Task::Body recordingBody(EventLog& log, const std::string& name)
{
    return [&log, name](TaskQueue::Task&) {
        log.add("body " + name);
        return kSuccess;
    };
}

TaskQueue::Task::Completion recordingCompletion(EventLog& log, const std::string& name)
{
    return [&log, name] { log.add("done " + name); };
}

// The completion of the last task a test waits for.
TaskQueue::Task::Completion lastCompletion(EventLog& log, const std::string& name, Signal& done)
{
    return [&log, name, &done] {
        log.add("done " + name);
        done.set();
    };
}

// A body that reports it has started and then holds the worker until `release` is set.
TaskQueue::Task::Body blockingBody(EventLog& log, const std::string& name, Signal& started, Signal& release)
{
    return [&log, name, &started, &release](TaskQueue::Task& task) {
        log.add("body " + name + (task.cancelled ? " cancelled" : ""));
        started.set();
        release.wait();
        return kSuccess;
    };
}

// A body that runs until its own task is cancelled, as a device loop polling its flag does.
TaskQueue::Task::Body bodyUntilCancelled(EventLog& log, const std::string& name, Signal& started)
{
    return [&log, name, &started](TaskQueue::Task& task) {
        log.add("body " + name);
        started.set();
        const auto giveUp = std::chrono::steady_clock::now() + hangGuard;
        while (!task.cancelled && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        log.add(task.cancelled ? "saw cancel " + name : "never cancelled " + name);
        return kSuccess;
    };
}

using Events = std::vector<std::string>;
} // namespace

TEST(TaskQueueOrder, BodiesAndCompletionsRunInPushOrderEachCompletionBeforeTheNextBody)
{
    EventLog log;
    Signal lastDone;
    {
        TaskQueue queue;
        queue.push(recordingBody(log, "1"), recordingCompletion(log, "1"));
        queue.push(recordingBody(log, "2"), nullptr); // empty completion is skipped
        queue.push(recordingBody(log, "3"), lastCompletion(log, "3", lastDone));
        ASSERT_TRUE(lastDone.wait());
    }
    EXPECT_EQ(log.take(), (Events { "body 1", "done 1", "body 2", "body 3", "done 3" }));
}

TEST(TaskQueueOrder, TaskPushedFromACompletionRunsAfterEveryTaskAlreadyQueued)
{
    EventLog log;
    Signal started, release, lastDone;
    {
        TaskQueue queue;
        queue.push(blockingBody(log, "A", started, release), [&] {
            log.add("done A");
            queue.push(recordingBody(log, "D"), lastCompletion(log, "D", lastDone));
        });
        ASSERT_TRUE(started.wait());
        queue.push(recordingBody(log, "B"), recordingCompletion(log, "B"));
        queue.push(recordingBody(log, "C"), recordingCompletion(log, "C"));
        release.set();
        ASSERT_TRUE(lastDone.wait());
    }
    EXPECT_EQ(log.take(),
              (Events { "body A", "done A", "body B", "done B", "body C", "done C", "body D", "done D" }));
}

TEST(TaskQueueOrder, ThrowingBodyStillGetsItsCompletionAndTheQueueGoesOn)
{
    EventLog log;
    Signal lastDone;
    {
        TaskQueue queue;
        queue.push([](TaskQueue::Task&) -> Result { throw std::runtime_error("boom"); },
                   recordingCompletion(log, "1"));
        queue.push(recordingBody(log, "2"), lastCompletion(log, "2", lastDone));
        ASSERT_TRUE(lastDone.wait());
    }
    EXPECT_EQ(log.take(), (Events { "done 1", "body 2", "done 2" }));
}

TEST(TaskQueueCancel, QueuedTaskSkipsItsBodyButRunsItsCompletion)
{
    EventLog log;
    Signal started, release, lastDone;
    {
        TaskQueue queue;
        queue.push(blockingBody(log, "1", started, release), recordingCompletion(log, "1"));
        ASSERT_TRUE(started.wait());
        queue.push(recordingBody(log, "2"), recordingCompletion(log, "2"));
        queue.cancelAll();
        queue.push(recordingBody(log, "3"), lastCompletion(log, "3", lastDone));
        release.set();
        ASSERT_TRUE(lastDone.wait());
    }
    // Only what was queued or running at the cancel is cancelled; task 3 came later.
    EXPECT_EQ(log.take(), (Events { "body 1", "done 1", "done 2", "body 3", "done 3" }));
}

TEST(TaskQueueCancel, RunningBodySeesItsFlagAndStops)
{
    EventLog log;
    Signal started, done;
    TaskQueue queue;
    queue.push(bodyUntilCancelled(log, "1", started), lastCompletion(log, "1", done));
    ASSERT_TRUE(started.wait());
    queue.cancelAll();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(log.take(), (Events { "body 1", "saw cancel 1", "done 1" }));
}

TEST(TaskQueueCancel, CancelAllFromInsideABodyCancelsItselfAndTheQueuedTasks)
{
    EventLog log;
    Signal started, release, lastDone;
    TaskQueue queue;
    queue.push(blockingBody(log, "gate", started, release), nullptr);
    ASSERT_TRUE(started.wait());
    queue.push([&](TaskQueue::Task& task) {
        queue.cancelAll();
        log.add(task.cancelled ? "self cancelled" : "not cancelled");
        return kSuccess;
    }, nullptr);
    queue.push(recordingBody(log, "after"), lastCompletion(log, "after", lastDone));
    release.set();
    ASSERT_TRUE(lastDone.wait());
    EXPECT_EQ(log.take(), (Events { "body gate", "self cancelled", "done after" }));
}

TEST(TaskQueueDestruction, RunningTaskIsFlaggedAndAllCompletionsRunInOrderBeforeTheDestructorReturns)
{
    EventLog log;
    Signal started;
    auto queue = std::make_unique<TaskQueue>();
    queue->push(bodyUntilCancelled(log, "4", started), recordingCompletion(log, "4"));
    ASSERT_TRUE(started.wait());
    queue->push(recordingBody(log, "5"), recordingCompletion(log, "5"));
    queue->push(recordingBody(log, "6"), recordingCompletion(log, "6"));
    queue->push(recordingBody(log, "7"), recordingCompletion(log, "7"));

    queue.reset();

    EXPECT_EQ(log.take(), (Events { "body 4", "saw cancel 4", "done 4", "done 5", "done 6", "done 7" }));
}

TEST(TaskQueueDestruction, TaskPushedByACompletionDuringShutdownOnlyRunsItsCompletion)
{
    EventLog log;
    Signal started;
    auto queue = std::make_unique<TaskQueue>();
    TaskQueue* raw = queue.get();
    queue->push(bodyUntilCancelled(log, "1", started), [&log, raw] {
        log.add("done 1");
        raw->push(recordingBody(log, "late"), recordingCompletion(log, "late"));
    });
    ASSERT_TRUE(started.wait());

    queue.reset();

    EXPECT_EQ(log.take(), (Events { "body 1", "saw cancel 1", "done 1", "done late" }));
}

TEST(TaskQueueDestruction, DestroyedFromItsOwnWorkerStillRunsTheQueuedCompletions)
{
    // The worker outlives the destructor here, so what it touches is shared with it.
    struct State
    {
        EventLog log;
        Signal started, release, lastDone;
    };
    auto state = std::make_shared<State>();
    auto* queue = new TaskQueue();
    queue->push(blockingBody(state->log, "1", state->started, state->release), [state, queue] {
        state->log.add("done 1");
        delete queue;
        state->log.add("deleted");
    });
    ASSERT_TRUE(state->started.wait());
    queue->push(recordingBody(state->log, "2"), [state] {
        state->log.add("done 2");
        state->lastDone.set();
    });
    state->release.set();
    ASSERT_TRUE(state->lastDone.wait());
    EXPECT_EQ(state->log.take(), (Events { "body 1", "done 1", "deleted", "done 2" }));
}
