#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaro::engine {

// Reads the channel text as a hexadecimal number the way "%x" does: leading white space skipped,
// an optional sign and an optional 0x prefix. So channel "10" is 0x10 and "32" is 0x32.
// Empty when nothing converts. Digits beyond 32 bits wrap.
std::optional<std::int32_t> ParseChannelText(std::string_view text);

}  // namespace tessaro::engine
