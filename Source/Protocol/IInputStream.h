#pragma once

#include "Result.h"

#include <cstddef>

namespace Tonecrest
{

/** A source of bytes for the data-file and archive code, which never touches files, memory
    blocks or zip entries itself. One reader at a time; no locking. */
class IInputStream
{
public:
    virtual ~IInputStream() = default;

    /** Reads up to size bytes. Success with bytesRead 0 is the end of the stream; a failure
        leaves bytesRead unspecified. */
    virtual Result read(void* buffer, size_t size, size_t& bytesRead) = 0;

    /** True when no byte is left to read. */
    virtual bool isExhausted() = 0;
};

} // namespace Tonecrest
