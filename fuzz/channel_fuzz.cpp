// The channel text is whatever the operator typed: any bytes must parse without fault, and the
// result must be what the C library's "%x" gives for the same text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/channel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto parsed = tessaro::engine::ParseChannelText(text);

  // sscanf stops at a NUL and saturates beyond 64 bits; compare where both read the same text.
  if (text.find('\0') != std::string::npos || text.size() > 16) return 0;
  unsigned int expected = 0;
  const int converted = std::sscanf(text.c_str(), "%x", &expected);
  if ((converted == 1) != parsed.has_value()) std::abort();
  if (parsed && static_cast<unsigned int>(*parsed) != expected) std::abort();
  return 0;
}
