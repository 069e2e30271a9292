#include "Result.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Tonecrest
{
namespace
{
constexpr size_t kLineBufferSize = 512;

LogCallback gLogCallback = nullptr;
void* gLogContext = nullptr;

// Appends printf output behind `used` characters; vsnprintf cuts at the buffer's end.
void appendFormatted(char* buffer, size_t used, const char* fmt, va_list args)
{
    if (used >= kLineBufferSize - 1)
        return;
    std::vsnprintf(buffer + used, kLineBufferSize - used, fmt, args);
}

const char* prefixForLevel(int level)
{
    switch (level)
    {
        case kLogDebug: return "DEBUG: ";
        case kLogInfo: return "INFO: ";
        case kLogWarning: return "WARNING: ";
        case kLogError: return "ERROR: ";
        default: return "LOG: ";
    }
}
} // namespace

Result makeError(const char* fileName, int line, const char* fmt, ...)
{
    char buffer[kLineBufferSize];
    int headerLength = std::snprintf(buffer, sizeof(buffer), "Error at %s:%d: ", fileName != nullptr ? fileName : "", line);
    size_t used = headerLength < 0 ? 0 : std::min(static_cast<size_t>(headerLength), kLineBufferSize - 1);
    buffer[used] = '\0';

    va_list args;
    va_start(args, fmt);
    appendFormatted(buffer, used, fmt, args);
    va_end(args);

    writeLogLine(buffer);
    return { false, fmt };
}

void log(int level, const char* fmt, ...)
{
    char buffer[kLineBufferSize];
    const char* prefix = prefixForLevel(level);
    size_t used = std::strlen(prefix);
    std::memcpy(buffer, prefix, used + 1);

    va_list args;
    va_start(args, fmt);
    appendFormatted(buffer, used, fmt, args);
    va_end(args);

    writeLogLine(buffer);
}

Result setLogCallback(LogCallback callback, void* context)
{
    gLogCallback = callback;
    gLogContext = callback != nullptr ? context : nullptr;
    return kSuccess;
}

void writeLogLine(const char* line)
{
    if (gLogCallback != nullptr)
    {
        gLogCallback(gLogContext, line);
        return;
    }
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

const char* fileNameFromPath(const char* path)
{
    if (path == nullptr)
        return path;
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

} // namespace Tonecrest
