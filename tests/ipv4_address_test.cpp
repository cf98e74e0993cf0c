#include "platform/ipv4_address.h"

#include <gtest/gtest.h>

namespace tessaro::platform {
namespace {

TEST(DottedQuad, ParsesOnlyFourDecimalFields) {
  EXPECT_EQ(ParseDottedQuad("127.0.0.1"), (Ipv4Address{127, 0, 0, 1}));
  EXPECT_EQ(ParseDottedQuad("255.255.255.255"), (Ipv4Address{255, 255, 255, 255}));
  EXPECT_EQ(ParseDottedQuad("0.0.0.0"), (Ipv4Address{0, 0, 0, 0}));
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", "1..2.3", "1.2.3.4 ",
                          " 1.2.3.4", "a.b.c.d", "1.2.3.-4", "1234.1.1.1"})
    EXPECT_EQ(ParseDottedQuad(bad), std::nullopt) << bad;
}

TEST(DottedQuad, FormatsLikePercentDJoinedByDots) {
  EXPECT_EQ(FormatDottedQuad({192, 168, 0, 20}), "192.168.0.20");
  EXPECT_EQ(FormatDottedQuad({0, 0, 0, 0}), "0.0.0.0");
}

TEST(ResolveHost, DottedQuadNeedsNoLookup) {
  int lookups = 0;
  auto lookup = [&](const std::string&) -> std::optional<Ipv4Address> {
    ++lookups;
    return std::nullopt;
  };
  EXPECT_EQ(ResolveHost("127.0.0.5", lookup), (Ipv4Address{127, 0, 0, 5}));
  EXPECT_EQ(lookups, 0);
  EXPECT_EQ(ResolveHost("camera", lookup), std::nullopt);
  EXPECT_EQ(lookups, 1);
}

TEST(ResolveHost, LocalhostResolvesToLoopback) {
  auto address = LookupHostName("localhost");
  ASSERT_TRUE(address.has_value());
  EXPECT_EQ((*address)[0], 127);
}

}  // namespace
}  // namespace tessaro::platform
