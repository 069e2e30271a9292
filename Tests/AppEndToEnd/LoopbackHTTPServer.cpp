#include "LoopbackHTTPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace AppTesting
{
namespace
{
constexpr int pollStepMs = 20;
constexpr auto holdLimit = std::chrono::seconds(20);
constexpr size_t maxRequestBytes = 8192;
} // namespace

LoopbackHTTPServer::LoopbackHTTPServer(std::string replyBody, bool holdReplies)
    : body(std::move(replyBody)), held(holdReplies)
{
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && ::listen(listener, 8) == 0
        && ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    thread = std::thread([this] { serve(); });
}

LoopbackHTTPServer::~LoopbackHTTPServer()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        held = false;
    }
    changed.notify_all();
    thread.join();
    ::close(listener);
}

std::string LoopbackHTTPServer::address() const
{
    return "http://127.0.0.1:" + std::to_string(port);
}

void LoopbackHTTPServer::release()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
    }
    changed.notify_all();
}

bool LoopbackHTTPServer::waitForRequests(size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return requests.size() >= count; });
}

bool LoopbackHTTPServer::waitForReplies(size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return replies >= count; });
}

std::vector<std::string> LoopbackHTTPServer::requestLines() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return requests;
}

void LoopbackHTTPServer::serve()
{
    for (;;)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                return;
        }
        pollfd waiting { listener, POLLIN, 0 };
        if (::poll(&waiting, 1, pollStepMs) <= 0)
            continue;
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        answer(connection);
        ::close(connection);
    }
}

void LoopbackHTTPServer::answer(int connection)
{
    // The request: read up to the blank line that ends its head, within a bounded size and time.
    std::string request;
    const auto readDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < maxRequestBytes
           && std::chrono::steady_clock::now() < readDeadline)
    {
        pollfd readable { connection, POLLIN, 0 };
        if (::poll(&readable, 1, pollStepMs) <= 0)
            continue;
        char chunk[1024];
        const ssize_t got = ::recv(connection, chunk, sizeof(chunk), 0);
        if (got <= 0)
            break;
        request.append(chunk, size_t(got));
    }

    {
        std::unique_lock<std::mutex> lock(mutex);
        requests.push_back(request.substr(0, request.find("\r\n")));
        changed.notify_all();
        changed.wait_for(lock, holdLimit, [&] { return !held; });
    }

    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                              + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < reply.size())
    {
        const ssize_t wrote = ::send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0)
            break;
        sent += size_t(wrote);
    }

    std::lock_guard<std::mutex> lock(mutex);
    ++replies;
    changed.notify_all();
}

} // namespace AppTesting
