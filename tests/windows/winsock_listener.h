#pragma once

#include <winsock2.h>

#include <cstdint>
#include <future>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tessaro::testing {

// A camera on a free 127.0.0.1 port for the Windows tests: accepts one connection on its own
// thread and reads it to its end, or resets it once `resetAfter` bytes arrived.
class WinsockListener {
 public:
  explicit WinsockListener(std::optional<std::size_t> resetAfter = std::nullopt,
                           int receiveBuffer = 0) {
    WSADATA data{};
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (receiveBuffer > 0)
      ::setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                   sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 4) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      throw std::runtime_error("the test camera cannot listen");
    m_port = ntohs(address.sin_port);
    m_bytes = std::async(std::launch::async, [this, resetAfter] { return Serve(resetAfter); });
  }
  ~WinsockListener() {
    ::closesocket(m_listener);
    if (m_bytes.valid()) m_bytes.wait();
  }

  unsigned Port() const { return m_port; }
  // Every byte the connection carried; empty when none came within a few seconds.
  std::vector<std::uint8_t> Bytes() { return m_bytes.get(); }

 private:
  std::vector<std::uint8_t> Serve(std::optional<std::size_t> resetAfter) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_listener, &readable);
    timeval wait{10, 0};
    std::vector<std::uint8_t> bytes;
    if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) return bytes;
    SOCKET connection = ::accept(m_listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET) return bytes;
    char buffer[65536];
    for (;;) {
      int wanted = sizeof buffer;
      if (resetAfter) {
        if (bytes.size() >= *resetAfter) {
          linger hard{1, 0};  // a zero linger time turns the close into a reset
          ::setsockopt(connection, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard),
                       sizeof hard);
          break;
        }
        wanted = static_cast<int>(std::min<std::size_t>(sizeof buffer, *resetAfter - bytes.size()));
      }
      int got = ::recv(connection, buffer, wanted, 0);
      if (got <= 0) break;
      bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::closesocket(connection);
    return bytes;
  }

  SOCKET m_listener = INVALID_SOCKET;
  unsigned m_port = 0;
  std::future<std::vector<std::uint8_t>> m_bytes;
};

}  // namespace tessaro::testing
