#include "engine/channel.h"

#include <gtest/gtest.h>

namespace tessaro::engine {
namespace {

struct ChannelCase {
  const char* name;
  const char* text;
  std::optional<std::int32_t> value;
};

void PrintTo(const ChannelCase& c, std::ostream* out) { *out << c.name; }

class ChannelParse : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelParse, ReadsTheTextAsHexadecimal) {
  EXPECT_EQ(ParseChannelText(GetParam().text), GetParam().value)
      << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChannelParse,
    ::testing::Values(
        ChannelCase{"One", "1", 0x01}, ChannelCase{"Nine", "9", 0x09},
        ChannelCase{"TenIsSixteen", "10", 0x10}, ChannelCase{"Nineteen", "19", 0x19},
        ChannelCase{"Twenty", "20", 0x20}, ChannelCase{"ThirtyTwo", "32", 0x32},
        ChannelCase{"LetterA", "a", 0x0A}, ChannelCase{"UpperF", "F", 0x0F},
        ChannelCase{"ThreeDigits", "1F0", 0x1F0}, ChannelCase{"MinusOne", "-1", -1},
        ChannelCase{"Plus", "+5", 0x05}, ChannelCase{"Prefix", "0x1f", 0x1F},
        ChannelCase{"UpperPrefix", "0X20", 0x20}, ChannelCase{"NegativePrefix", "-0x2", -2},
        ChannelCase{"PrefixWithoutDigits", "0x", 0}, ChannelCase{"PrefixThenLetter", "0xz", 0},
        ChannelCase{"LeadingBlanks", "  \t12", 0x12}, ChannelCase{"StopsAtNonDigit", "12 3", 0x12},
        ChannelCase{"TrailingJunk", "7g", 0x07},
        ChannelCase{"WrapsPast32Bits", "123456789", 0x23456789},
        ChannelCase{"Empty", "", std::nullopt}, ChannelCase{"OnlyBlanks", "   ", std::nullopt},
        ChannelCase{"Letters", "zz", std::nullopt}, ChannelCase{"LoneSign", "-", std::nullopt},
        ChannelCase{"BlankAfterSign", "- 1", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tessaro::engine
