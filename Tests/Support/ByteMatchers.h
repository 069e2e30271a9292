#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

// Byte-exact assertions for packets and blocks: on a mismatch both sides are printed in hex
// with the first differing offset, which is what one needs to read a wire trace.

namespace Tonecrest::Testing
{

/** Bytes from int literals, so tests can write packets as {0xC5, 5, 2, 0, 0, 0, 0}. */
inline std::vector<uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    out.reserve(values.size());
    for (int value : values)
        out.push_back(static_cast<uint8_t>(value));
    return out;
}

/** "C5 05 02 00 ..." */
inline std::string toHex(const std::vector<uint8_t>& data)
{
    std::string text;
    char digits[4];
    for (size_t i = 0; i < data.size(); ++i)
    {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : " %02X", data[i]);
        text += digits;
    }
    return text;
}

/** Offset of the first difference, or -1 when equal. */
inline long firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i)
        if (a[i] != b[i])
            return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(common);
}

/** For EXPECT_PRED_FORMAT2; use EXPECT_BYTES_EQ. */
inline ::testing::AssertionResult bytesEqual(const char* expectedText, const char* actualText,
                                             const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual)
{
    const long difference = firstDifference(expected, actual);
    if (difference < 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actualText << " differs from " << expectedText << " at offset " << difference
                                         << "\n  expected (" << expected.size() << " bytes): " << toHex(expected)
                                         << "\n    actual (" << actual.size() << " bytes): " << toHex(actual);
}

/** gMock matcher: EXPECT_THAT(packet, BytesAre(bytes({0xC0, 0}))). */
class BytesAreMatcher
{
public:
    using is_gtest_matcher = void;

    explicit BytesAreMatcher(std::vector<uint8_t> expectedBytes) : expected(std::move(expectedBytes)) {}

    bool MatchAndExplain(const std::vector<uint8_t>& actual, std::ostream* listener) const
    {
        const long difference = firstDifference(expected, actual);
        if (difference >= 0 && listener != nullptr)
            *listener << "first difference at offset " << difference << "\n    actual (" << actual.size()
                      << " bytes): " << toHex(actual);
        return difference < 0;
    }
    void DescribeTo(std::ostream* os) const { *os << "is (" << expected.size() << " bytes): " << toHex(expected); }
    void DescribeNegationTo(std::ostream* os) const { *os << "is not: " << toHex(expected); }

private:
    std::vector<uint8_t> expected;
};

inline BytesAreMatcher BytesAre(std::vector<uint8_t> expected)
{
    return BytesAreMatcher(std::move(expected));
}

} // namespace Tonecrest::Testing

#define EXPECT_BYTES_EQ(expected, actual) EXPECT_PRED_FORMAT2(::Tonecrest::Testing::bytesEqual, expected, actual)
#define ASSERT_BYTES_EQ(expected, actual) ASSERT_PRED_FORMAT2(::Tonecrest::Testing::bytesEqual, expected, actual)
