#include "engine/channel.h"

namespace tessaro::engine {

namespace {

bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseChannelText(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size() && IsScanSpace(text[position])) ++position;

  bool negative = false;
  if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
    negative = text[position] == '-';
    ++position;
  }

  // A "0x" not followed by a digit still converts its 0.
  if (position + 1 < text.size() && text[position] == '0' &&
      (text[position + 1] == 'x' || text[position + 1] == 'X')) {
    if (position + 2 < text.size() && HexDigitValue(text[position + 2]) >= 0)
      position += 2;
    else
      return 0;
  }

  std::uint32_t value = 0;
  bool converted = false;
  for (; position < text.size(); ++position) {
    int digit = HexDigitValue(text[position]);
    if (digit < 0) break;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
    converted = true;
  }
  if (!converted) return std::nullopt;
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

}  // namespace tessaro::engine
