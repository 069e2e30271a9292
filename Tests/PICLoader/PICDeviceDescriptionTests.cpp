#include "DeviceDescription.h"
#include "PICTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
DeviceDescription describe(int bytesPerPacket, int family, const std::vector<std::array<uint32_t, 3>>& regions,
                           bool endMarker = true)
{
    return DeviceDescription::fromQueryResponse(queryReply(bytesPerPacket, family, regions, endMarker).data());
}
} // namespace

TEST(PICDeviceDescription, FamilySetsWordAndAddressWidths)
{
    // family, flash word, config word, flash address, config address; an unknown family keeps the defaults.
    const uint32_t cases[][5] = { { 1, 2, 2, 1, 1 }, { 2, 4, 4, 2, 2 }, { 3, 4, 2, 1, 1 }, { 7, 2, 2, 1, 1 } };
    for (const auto& c : cases)
    {
        const auto d = describe(56, static_cast<int>(c[0]), {});
        EXPECT_EQ((std::vector<uint32_t> { d.family, d.bytesPerWordFlash, d.bytesPerWordConfig, d.bytesPerAddressFlash,
                                           d.bytesPerAddressConfig }),
                  std::vector<uint32_t>(c, c + 5));
    }
}

TEST(PICDeviceDescription, RegionsAreReadUntilTheEndMarkerAndAtMostThree)
{
    auto family2 = describe(56, 2, { { 1, 0x400, 0x1000 }, { 2, 0x7FF000, 0x400 }, { 3, 0xF80000, 0x10 } });
    EXPECT_EQ(family2.regions, (std::vector<MemoryRegion> { { 1, 0x400, 0x1400, 0x2000 },
                                                            { 2, 0x7FF000, 0x7FF400, 0x400 },
                                                            { 3, 0xF80000, 0xF80010, 0x20 } }));
    auto four = describe(56, 1, { { 1, 0x1000, 8 }, { 1, 0x2000, 8 }, { 1, 0x3000, 8 }, { 1, 0x4000, 8 } }, false);
    EXPECT_EQ(four.regions.size(), 3u);
    EXPECT_TRUE(describe(56, 1, {}).regions.empty());
}

TEST(PICDeviceDescription, OddRegionsAndPacketSizesAreTamed)
{
    auto description = describe(64, 2, { { 9, 0x1000, 0x10 }, { 1, 0x10, 0xFFFFFFFF } });
    EXPECT_EQ(description.bytesPerPacket, 58u) << "payloads never exceed the data field";
    ASSERT_EQ(description.regions.size(), 2u);
    EXPECT_EQ(description.regions[0], (MemoryRegion { 0, 0x1000, 0x1010, 0 })) << "unknown type stays untyped";
    EXPECT_EQ(description.regions[1].end, 0x10u + 0x0FFFFFFFu) << "size clamped to 0x0FFFFFFF addresses";
    EXPECT_EQ(description.regions[1].sizeBytes, 0x0FFFFFFFu * 2);
}
