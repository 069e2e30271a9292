#pragma once

#include <juce_core/juce_core.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace AppTesting
{

/** A one-thread HTTP server on 127.0.0.1 (a free port) for the update check: it answers every
    GET with the same plain-text body. With holdReplies it keeps each request waiting until
    release() (or for at most 20 s), as a slow server does. */
class LoopbackHTTPServer
{
public:
    explicit LoopbackHTTPServer(std::string replyBody, bool holdReplies = false)
        : body(std::move(replyBody)), held(holdReplies)
    {
        listener.createListener(0, "127.0.0.1");
        thread = std::thread([this] { serve(); });
    }

    ~LoopbackHTTPServer()
    {
        release();
        listener.close(); // wakes the waiting accept
        thread.join();
    }

    /** "http://127.0.0.1:<port>" */
    std::string address() const { return "http://127.0.0.1:" + std::to_string(listener.getBoundPort()); }

    /** Lets held requests get their reply. */
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
        changed.notify_all();
    }

    /** Waits (real time) until `count` requests have arrived, or `count` replies were written. */
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout) { return waitFor(requests, count, timeout); }
    bool waitForReplies(size_t count, std::chrono::milliseconds timeout) { return waitFor(replies, count, timeout); }

    /** The request lines received ("GET /path HTTP/1.1"). */
    std::vector<std::string> requestLines() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }

private:
    template <typename Seen>
    bool waitFor(const Seen& seen, size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return seen.size() >= count; });
    }

    void serve()
    {
        while (std::unique_ptr<juce::StreamingSocket> connection { listener.waitForNextConnection() })
        {
            // The request's head, up to its blank line, within a bounded size and time.
            std::string request;
            char chunk[1024];
            while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192
                   && connection->waitUntilReady(true, 5000) == 1)
            {
                const int got = connection->read(chunk, int(sizeof(chunk)), false);
                if (got <= 0)
                    break;
                request.append(chunk, size_t(got));
            }
            if (request.empty())
                continue; // the listener's own wake-up on close
            {
                std::unique_lock<std::mutex> lock(mutex);
                requests.push_back(request.substr(0, request.find("\r\n")));
                changed.notify_all();
                changed.wait_for(lock, std::chrono::seconds(20), [&] { return !held; });
            }
            const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                                      + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
            connection->write(reply.data(), int(reply.size()));
            std::lock_guard<std::mutex> lock(mutex);
            replies.push_back(true);
            changed.notify_all();
        }
    }

    const std::string body;
    juce::StreamingSocket listener;
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool held;
    std::vector<std::string> requests;
    std::vector<bool> replies;
    std::thread thread;
};

} // namespace AppTesting
