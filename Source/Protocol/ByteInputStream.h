#pragma once

#include "IInputStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace Tonecrest
{

/** An IInputStream over bytes in memory, which it does not copy: the bytes must outlive it.
    For data held in memory without the toolkit (tests, fuzzing, benchmarks). */
class ByteInputStream : public IInputStream
{
public:
    ByteInputStream(const void* data, size_t size)
        : data(static_cast<const uint8_t*>(data)), size(data != nullptr ? size : 0)
    {
    }

    Result read(void* buffer, size_t wanted, size_t& bytesRead) override
    {
        bytesRead = std::min(wanted, size - position);
        if (bytesRead > 0)
            std::memcpy(buffer, data + position, bytesRead);
        position += bytesRead;
        return kSuccess;
    }

    bool isExhausted() override { return position >= size; }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

} // namespace Tonecrest
