#pragma once

#include "Result.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace Tonecrest
{

/** Runs the editor service's device work on one worker thread, one task at a time, in push
    order. Each task has a body and a completion; the completion runs on the worker right after
    the body, also when the body failed or was skipped because the task had been cancelled, so
    every caller hears back exactly once and in push order.

    Threads and locks:
    - push() and cancelAll() may be called on any thread: the message thread, the transport's
      reader thread, and the worker itself from inside a body or a completion. Both take only
      the queue's mutex, never call out while holding it, and may be called while the caller
      holds its own locks (the editor service holds its state lock around them).
    - Bodies and completions run on the worker with no queue lock held, so they may push and
      cancel freely.
    - The destructor runs on the thread that disconnects (the message thread). It cancels
      everything, then joins the worker after the running body has returned and every queued
      completion has run. Destroying the queue from inside one of its own tasks cannot join;
      that is logged, and the worker then drains the queue on its own and ends after the
      destructor has returned. */
class TaskQueue
{
public:
    /** One unit of work. Moved from the queue onto the worker's stack before it runs. */
    struct Task
    {
        using Body = std::function<Result(Task&)>;
        using Completion = std::function<void()>;

        Task() = default;
        Task(Body body, Completion completion);
        Task(Task&& other) noexcept;
        Task& operator=(Task&& other) noexcept;

        /** Gets the task itself so it can poll `cancelled`; its Result is dropped. */
        Body body;
        /** May be empty. */
        Completion completion;
        /** Set by cancelAll() on any thread while the body runs; the body polls it without a
            lock and stops at its next check. */
        std::atomic<bool> cancelled { false };
    };

    /** Starts the worker. A thread that cannot be started raises std::system_error here. */
    TaskQueue();
    ~TaskQueue();

    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    /** Appends a task. Once destruction has begun a pushed task is cancelled at once: only its
        completion runs. Any thread; takes the queue mutex. */
    void push(Task::Body body, Task::Completion completion);

    /** Flags every queued task and the running one as cancelled. Any thread; takes the queue
        mutex. */
    void cancelAll();

private:
    // Lives as long as the queue or the worker, whichever ends last, so a worker left running
    // by a destructor called from inside a task still has its state.
    struct Shared;

    static void workerLoop(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared;
    std::thread worker;
};

} // namespace Tonecrest
