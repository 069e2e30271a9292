#include "WireTrace.h"

#include <cstdlib>
#include <map>

namespace Tonecrest::Testing
{

std::shared_ptr<WireTrace> WireTrace::fromEnvironment()
{
    const char* path = std::getenv(kEnvironmentVariable);
    if (path == nullptr || *path == '\0')
        return nullptr;
    return open(path);
}

std::shared_ptr<WireTrace> WireTrace::open(const std::string& path)
{
    static std::mutex registryMutex;
    static std::map<std::string, std::weak_ptr<WireTrace>> registry;

    std::lock_guard<std::mutex> lock(registryMutex);
    if (auto shared = registry[path].lock())
        return shared;

    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr)
    {
        std::fprintf(stderr, "Cannot open the wire trace %s\n", path.c_str());
        return nullptr;
    }
    std::shared_ptr<WireTrace> trace(new WireTrace(file));
    registry[path] = trace;
    return trace;
}

WireTrace::WireTrace(std::FILE* traceFile)
    : file(traceFile)
{
}

WireTrace::~WireTrace()
{
    std::fclose(file);
}

std::string WireTrace::formatReport(const char* direction, const uint8_t* data, size_t length)
{
    static const char digits[] = "0123456789abcdef";
    std::string line(direction);
    line += ' ';
    line.reserve(line.size() + 2 * length);
    for (size_t i = 0; i < length; ++i)
    {
        line += digits[data[i] >> 4];
        line += digits[data[i] & 0x0F];
    }
    return line;
}

void WireTrace::hostReport(const uint8_t* data, size_t length)
{
    writeLine(formatReport("H>D", data, length));
}

void WireTrace::deviceReport(const uint8_t* data, size_t length)
{
    writeLine(formatReport("D>H", data, length));
}

void WireTrace::comment(const std::string& text)
{
    std::string line = "# " + text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    writeLine(line);
}

void WireTrace::writeLine(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex);
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fflush(file);
}

} // namespace Tonecrest::Testing
