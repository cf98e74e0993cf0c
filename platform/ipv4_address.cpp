#include "platform/ipv4_address.h"

#include <cstdio>

namespace tessaro::platform {

std::optional<Ipv4Address> ParseDottedQuad(const std::string& text) {
  Ipv4Address address{};
  std::size_t position = 0;
  for (std::size_t field = 0; field < address.size(); ++field) {
    if (field > 0) {
      if (position >= text.size() || text[position] != '.') return std::nullopt;
      ++position;
    }
    std::size_t start = position;
    unsigned value = 0;
    while (position < text.size() && position - start < 4 && text[position] >= '0' &&
           text[position] <= '9') {
      value = value * 10 + static_cast<unsigned>(text[position] - '0');
      ++position;
    }
    std::size_t digits = position - start;
    if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[start] == '0'))
      return std::nullopt;
    address[field] = static_cast<std::uint8_t>(value);
  }
  if (position != text.size()) return std::nullopt;
  return address;
}

std::string FormatDottedQuad(const Ipv4Address& address) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  return text;
}

std::optional<Ipv4Address> ResolveHost(const std::string& host, const HostLookup& lookup) {
  if (auto address = ParseDottedQuad(host)) return address;
  return lookup(host);
}

}  // namespace tessaro::platform
