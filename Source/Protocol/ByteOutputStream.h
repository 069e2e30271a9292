#pragma once

#include "IOutputStream.h"

#include <cstdint>
#include <vector>

namespace Tonecrest
{

/** An IOutputStream that appends to a byte vector it owns. Never fails. */
class ByteOutputStream : public IOutputStream
{
public:
    Result write(const void* data, size_t size) override
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (size > 0)
            buffer.insert(buffer.end(), bytes, bytes + size);
        return kSuccess;
    }

    const std::vector<uint8_t>& bytes() const { return buffer; }
    std::vector<uint8_t>& bytes() { return buffer; }

private:
    std::vector<uint8_t> buffer;
};

} // namespace Tonecrest
