#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ipv4_address.h"

namespace tessaro::platform {

// A blocking TCP client socket that can be opened again after each close. One implementation per
// operating system: socket_posix.cpp and socket_winsock.cpp.
class StreamSocket {
 public:
  virtual ~StreamSocket() = default;

  virtual bool Create() = 0;
  virtual bool SetSendBufferSize(int bytes) = 0;
  // Also the stall limit of Send: zero waits for ever.
  virtual bool SetSendTimeout(std::chrono::milliseconds timeout) = 0;
  virtual bool SetReceiveTimeout(std::chrono::milliseconds timeout) = 0;
  // Blocks until the connection is made or has failed, at most `limit` when it is not zero (zero
  // leaves it to the system's connect time-out).
  virtual bool Connect(const Ipv4Address& address, std::uint16_t port,
                       std::chrono::milliseconds limit) = 0;
  // Waits until the connection takes bytes and hands over what it takes at once; returns how many,
  // or -1 on failure: a reset, or no byte taken for the whole send time-out. Each call's wait
  // starts when it is made, so a caller that keeps calling never waits longer than that per byte.
  virtual long long Send(const std::uint8_t* data, std::size_t count) = 0;
  // How many of the bytes sent on this connection the peer's TCP has acknowledged; empty when the
  // system cannot tell. Still answers after the peer reset the connection.
  virtual std::optional<std::uint64_t> AcknowledgedBytes() const = 0;
  // True once the peer has reset the connection or it has failed; reads nothing from it.
  virtual bool HasFailed() const = 0;
  // Default graceful close; does nothing when no socket is open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Why the last failed call failed, in the system's words.
  virtual std::string LastError() const = 0;
};

std::unique_ptr<StreamSocket> MakeSystemSocket();

}  // namespace tessaro::platform
