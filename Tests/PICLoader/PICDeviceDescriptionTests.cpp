#include "DeviceDescription.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tonecrest::PICLoader;

namespace
{
std::vector<uint8_t> queryReply(uint8_t bytesPerPacket, uint8_t family,
                                std::vector<std::vector<uint32_t>> regions, bool endMarker = true)
{
    std::vector<uint8_t> reply(DeviceDescription::kQueryReplySize + 9, 0);
    reply[0] = 0x02;
    reply[1] = bytesPerPacket;
    reply[2] = family;
    size_t at = 3;
    for (const auto& region : regions)
    {
        reply[at] = static_cast<uint8_t>(region[0]);
        for (size_t i = 0; i < 4; ++i)
        {
            reply[at + 1 + i] = static_cast<uint8_t>(region[1] >> (8 * i));
            reply[at + 5 + i] = static_cast<uint8_t>(region[2] >> (8 * i));
        }
        at += 9;
    }
    if (endMarker && at < reply.size())
        reply[at] = 0xFF;
    return reply;
}
} // namespace

TEST(PICDeviceDescription, FamilySetsWordAndAddressWidths)
{
    struct Case
    {
        uint8_t family;
        uint32_t wordFlash, wordConfig, addressFlash, addressConfig;
    };
    const Case cases[] = {
        { 1, 2, 2, 1, 1 },
        { 2, 4, 4, 2, 2 },
        { 3, 4, 2, 1, 1 },
        { 7, 2, 2, 1, 1 }, // unknown family keeps the defaults
    };
    for (const Case& c : cases)
    {
        auto description = DeviceDescription::fromQueryResponse(queryReply(56, c.family, {}).data());
        EXPECT_EQ(description.family, c.family);
        EXPECT_EQ(description.bytesPerPacket, 56u);
        EXPECT_EQ(description.bytesPerWordFlash, c.wordFlash) << "family " << int(c.family);
        EXPECT_EQ(description.bytesPerWordConfig, c.wordConfig) << "family " << int(c.family);
        EXPECT_EQ(description.bytesPerAddressFlash, c.addressFlash) << "family " << int(c.family);
        EXPECT_EQ(description.bytesPerAddressConfig, c.addressConfig) << "family " << int(c.family);
        EXPECT_EQ(description.bytesPerWordEEPROM, 1u);
        EXPECT_EQ(description.bytesPerAddressEEPROM, 1u);
    }
}

TEST(PICDeviceDescription, RegionsAreReadUntilTheEndMarkerAndAtMostThree)
{
    auto family2 = DeviceDescription::fromQueryResponse(
        queryReply(56, 2, { { 1, 0x400, 0x1000 }, { 2, 0x7FF000, 0x400 }, { 3, 0xF80000, 0x10 } }).data());
    ASSERT_EQ(family2.regions.size(), 3u);
    EXPECT_EQ(family2.regions[0], (MemoryRegion { 1, 0x400, 0x1400, 0x2000 }));
    EXPECT_EQ(family2.regions[1], (MemoryRegion { 2, 0x7FF000, 0x7FF400, 0x400 }));
    EXPECT_EQ(family2.regions[2], (MemoryRegion { 3, 0xF80000, 0xF80010, 0x20 }));

    auto four = DeviceDescription::fromQueryResponse(
        queryReply(56, 1, { { 1, 0x1000, 8 }, { 1, 0x2000, 8 }, { 1, 0x3000, 8 }, { 1, 0x4000, 8 } }, false).data());
    EXPECT_EQ(four.regions.size(), 3u);

    auto none = DeviceDescription::fromQueryResponse(queryReply(56, 1, {}).data());
    EXPECT_TRUE(none.regions.empty());
}

TEST(PICDeviceDescription, OddRegionsAndPacketSizesAreTamed)
{
    auto description = DeviceDescription::fromQueryResponse(
        queryReply(64, 2, { { 9, 0x1000, 0x10 }, { 1, 0x10, 0xFFFFFFFF } }).data());
    EXPECT_EQ(description.bytesPerPacket, 58u) << "payloads never exceed the data field";
    ASSERT_EQ(description.regions.size(), 2u);
    EXPECT_EQ(description.regions[0], (MemoryRegion { 0, 0x1000, 0x1010, 0 })) << "unknown type stays untyped";
    EXPECT_EQ(description.regions[1].end, 0x10u + 0x0FFFFFFFu) << "size clamped to 0x0FFFFFFF addresses";
    EXPECT_EQ(description.regions[1].sizeBytes, 0x0FFFFFFFu * 2);
}
