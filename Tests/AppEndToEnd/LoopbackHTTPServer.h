#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace AppTesting
{

/** A one-thread HTTP server on 127.0.0.1 (a free port) for the update check: it answers every
    GET with the same plain-text body. With holdReplies it keeps each request waiting until
    release() (or until its bound runs out), as a slow server does. Every wait is bounded, so
    a test that goes wrong still ends. */
class LoopbackHTTPServer
{
public:
    explicit LoopbackHTTPServer(std::string body, bool holdReplies = false);
    ~LoopbackHTTPServer();

    LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
    LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

    /** "http://127.0.0.1:<port>" */
    std::string address() const;

    /** Lets held requests get their reply. */
    void release();

    /** Waits (real time) until `count` requests have arrived. */
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout);
    /** Waits until `count` replies have been written. */
    bool waitForReplies(size_t count, std::chrono::milliseconds timeout);
    /** The request lines received ("GET /path HTTP/1.1"). */
    std::vector<std::string> requestLines() const;

private:
    void serve();
    void answer(int connection);

    const std::string body;
    int listener = -1;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool held;
    bool stopping = false;
    std::vector<std::string> requests;
    size_t replies = 0;
    std::thread thread;
};

} // namespace AppTesting
