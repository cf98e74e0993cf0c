#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace tessaro::testing {

// A camera on 127.0.0.1 that never answers a connect: its accept queue (backlog 0) is held full
// by one connection nobody accepts, so the system drops every further handshake.
class SilentListener {
 public:
  SilentListener() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 0) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      throw std::runtime_error("the silent camera cannot listen");
    m_port = ntohs(address.sin_port);
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      throw std::runtime_error("cannot fill the silent camera's queue");
  }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  ~SilentListener() {
    ::close(m_filler);
    ::close(m_listener);
  }
  unsigned Port() const { return m_port; }

 private:
  int m_listener = -1;
  int m_filler = -1;
  unsigned m_port = 0;
};

}  // namespace tessaro::testing
