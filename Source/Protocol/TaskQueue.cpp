#include "TaskQueue.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

namespace Tonecrest
{

struct TaskQueue::Shared
{
    std::deque<Task> tasks;       // oldest first
    Task* current = nullptr;      // the task on the worker's stack while it runs
    std::mutex mutex;             // guards tasks, current, running and the flags they reach
    std::condition_variable wakeUp;
    bool running = true;          // false once destruction has begun

    void cancelAllLocked()
    {
        for (Task& task : tasks)
            task.cancelled = true;
        if (current != nullptr)
            current->cancelled = true;
    }
};

TaskQueue::Task::Task(Body newBody, Completion newCompletion)
    : body(std::move(newBody)), completion(std::move(newCompletion))
{
}

TaskQueue::Task::Task(Task&& other) noexcept
    : body(std::move(other.body)), completion(std::move(other.completion)), cancelled(other.cancelled.load())
{
}

TaskQueue::Task& TaskQueue::Task::operator=(Task&& other) noexcept
{
    body = std::move(other.body);
    completion = std::move(other.completion);
    cancelled = other.cancelled.load();
    return *this;
}

TaskQueue::TaskQueue()
    : shared(std::make_shared<Shared>()),
      worker(&TaskQueue::workerLoop, shared)
{
}

TaskQueue::~TaskQueue()
{
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->running = false;
        shared->cancelAllLocked();
    }
    shared->wakeUp.notify_all();

    if (!worker.joinable())
        return;
    if (worker.get_id() == std::this_thread::get_id())
    {
        // Joining ourselves would throw from a destructor. The worker keeps the shared state
        // alive, drains what is left with every body skipped, and ends by itself.
        log(kLogError, "TaskQueue destroyed from its own worker; the worker finishes detached");
        worker.detach();
        return;
    }
    worker.join();
}

void TaskQueue::push(Task::Body body, Task::Completion completion)
{
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->tasks.emplace_back(std::move(body), std::move(completion));
        // A task pushed during shutdown (typically from a completion) must not start device
        // work on a connection that is going away; its completion still runs.
        if (!shared->running)
            shared->tasks.back().cancelled = true;
    }
    shared->wakeUp.notify_all();
}

void TaskQueue::cancelAll()
{
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->cancelAllLocked();
}

void TaskQueue::workerLoop(std::shared_ptr<Shared> shared)
{
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;)
    {
        if (shared->tasks.empty())
        {
            if (!shared->running)
                return;
            shared->wakeUp.wait(lock);
            continue;
        }

        Task task(std::move(shared->tasks.front()));
        shared->tasks.pop_front();
        shared->current = &task;
        lock.unlock();

        // A throwing body or completion must not take the worker (and the process) down, nor
        // rob the later tasks of their completions.
        try
        {
            if (!task.cancelled && task.body)
                task.body(task);
        }
        catch (const std::exception& exception)
        {
            log(kLogError, "TaskQueue: task body threw: %s", exception.what());
        }
        catch (...)
        {
            log(kLogError, "TaskQueue: task body threw");
        }

        try
        {
            if (task.completion)
                task.completion();
        }
        catch (const std::exception& exception)
        {
            log(kLogError, "TaskQueue: task completion threw: %s", exception.what());
        }
        catch (...)
        {
            log(kLogError, "TaskQueue: task completion threw");
        }

        // Release what the task captured before relocking: those destructors are the task's
        // own code and may push. cancelAll only ever touches the flag, which stays alive until
        // current is cleared.
        task.body = nullptr;
        task.completion = nullptr;

        lock.lock();
        shared->current = nullptr;
    }
}

} // namespace Tonecrest
