#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tessaro::platform {

// Four address bytes, the leftmost of the dotted text first.
using Ipv4Address = std::array<std::uint8_t, 4>;

// Strict dotted quad: four decimal fields of 0..255 without leading zeros, nothing else.
std::optional<Ipv4Address> ParseDottedQuad(const std::string& text);

std::string FormatDottedQuad(const Ipv4Address& address);

// Looks a host name up and gives its first IPv4 address (socket_posix.cpp, socket_winsock.cpp).
using HostLookup = std::function<std::optional<Ipv4Address>(const std::string& host)>;
std::optional<Ipv4Address> LookupHostName(const std::string& host);

// The text is taken as a dotted quad first and only looked up as a host name when it is not one.
std::optional<Ipv4Address> ResolveHost(const std::string& host,
                                       const HostLookup& lookup = LookupHostName);

}  // namespace tessaro::platform
