#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ipv4_address.h"

namespace tessaro::platform {

// A blocking TCP client socket that can be opened again after each close.
class StreamSocket {
 public:
  virtual ~StreamSocket() = default;

  virtual bool Create() = 0;
  virtual bool SetSendBufferSize(int bytes) = 0;
  virtual bool SetSendTimeout(std::chrono::milliseconds timeout) = 0;
  virtual bool SetReceiveTimeout(std::chrono::milliseconds timeout) = 0;
  // Blocks until the connection is made or has failed.
  virtual bool Connect(const Ipv4Address& address, std::uint16_t port) = 0;
  // Blocks until some bytes were taken; returns how many, or -1 on failure (a reset, a time-out).
  virtual long long Send(const std::uint8_t* data, std::size_t count) = 0;
  // Default graceful close; does nothing when no socket is open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Why the last failed call failed, in the system's words.
  virtual std::string LastError() const = 0;
};

std::unique_ptr<StreamSocket> MakeSystemSocket();

}  // namespace tessaro::platform
