#pragma once

#include "Result.h"

#include <cstddef>

namespace Tonecrest
{

/** A sink of bytes for the data-file and archive code. One writer at a time; no locking. */
class IOutputStream
{
public:
    virtual ~IOutputStream() = default;

    /** Writes all size bytes or fails; a caller stops at the first failure. */
    virtual Result write(const void* data, size_t size) = 0;
};

} // namespace Tonecrest
