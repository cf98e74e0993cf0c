// The stream socket and host lookup on POSIX systems.

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/tcp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/stream_socket.h"

namespace tessaro::platform {

std::optional<Ipv4Address> LookupHostName(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    return std::nullopt;
  Ipv4Address address{};
  std::memcpy(address.data(), &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr,
              address.size());
  ::freeaddrinfo(found);
  return address;
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kNoSocket = -1;

class PosixSocket final : public StreamSocket {
 public:
  ~PosixSocket() override { Close(); }

  bool Create() override {
    Close();
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (m_socket == kNoSocket) return Fail(std::strerror(errno));
    m_acknowledgedAtConnect = 0;
    return true;
  }

  bool SetSendBufferSize(int bytes) override {
    return Check(::setsockopt(m_socket, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0);
  }

  bool SetSendTimeout(std::chrono::milliseconds timeout) override {
    m_sendTimeout = timeout;
    return Check(SetTimeoutOption(SO_SNDTIMEO, timeout));
  }

  bool SetReceiveTimeout(std::chrono::milliseconds timeout) override {
    return Check(SetTimeoutOption(SO_RCVTIMEO, timeout));
  }

  bool Connect(const Ipv4Address& address, std::uint16_t port,
               std::chrono::milliseconds limit) override {
    // 0.0.0.0 would reach this machine on Linux; a blank address must fail as it does elsewhere.
    if (address == Ipv4Address{0, 0, 0, 0}) return Fail("0.0.0.0 is not a destination address");
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    std::memcpy(&destination.sin_addr, address.data(), address.size());
    if (limit.count() > 0) {
      if (!ConnectWithin(destination, limit)) return false;
    } else {
      int result;
      do {
        result = ::connect(m_socket, reinterpret_cast<const sockaddr*>(&destination),
                           sizeof destination);
      } while (result != 0 && errno == EINTR);
      if (result != 0) return Fail(std::strerror(errno));
    }
    // Counted from here, so the handshake never passes for payload.
    m_acknowledgedAtConnect = TotalAcknowledged().value_or(0);
    return true;
  }

  long long Send(const std::uint8_t* data, std::size_t count) override {
    if (m_socket == kNoSocket) {
      Fail("the socket is not open");
      return -1;
    }
    // The wait is ours, not the kernel's: a send time-out that expires after some bytes were
    // taken returns a short count, and a fresh blocking send would start its time-out over.
    const auto deadline = Clock::now() + m_sendTimeout;
    const std::size_t length = std::min<std::size_t>(count, INT_MAX);
    for (;;) {
      pollfd entry{m_socket, POLLOUT, 0};
      int wait = -1;
      if (m_sendTimeout.count() > 0) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        wait = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
      }
      int ready = ::poll(&entry, 1, wait);
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) return FailSend(std::strerror(errno));
      if (ready == 0)
        return FailSend("the camera took no byte for " + std::to_string(m_sendTimeout.count()) +
                        " ms");
      // A write to a connection the camera has reset must fail, not raise SIGPIPE.
      ssize_t sent = ::send(m_socket, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent >= 0) return static_cast<long long>(sent);
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        return FailSend(std::strerror(errno));
    }
  }

  std::optional<std::uint64_t> AcknowledgedBytes() const override {
    auto total = TotalAcknowledged();
    if (!total) return std::nullopt;
    return *total - std::min(*total, m_acknowledgedAtConnect);
  }

  bool HasFailed() const override {
    if (m_socket == kNoSocket) return true;
    // Asking for no event still reports an error or hang-up: a reset, never the camera's own
    // orderly close or data it sent.
    pollfd entry{m_socket, 0, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLERR | POLLHUP)) != 0;
  }

  void Close() override {
    if (m_socket != kNoSocket) ::close(m_socket);
    m_socket = kNoSocket;
  }

  bool IsOpen() const override { return m_socket != kNoSocket; }

  std::string LastError() const override { return m_lastError; }

 private:
  // A connect that gives up after `limit`: started without blocking, then waited for.
  bool ConnectWithin(const sockaddr_in& destination, std::chrono::milliseconds limit) {
    const int flags = ::fcntl(m_socket, F_GETFL);
    if (flags < 0 || ::fcntl(m_socket, F_SETFL, flags | O_NONBLOCK) != 0)
      return Fail(std::strerror(errno));
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&destination), sizeof destination) !=
            0 &&
        errno != EINPROGRESS)
      return Fail(std::strerror(errno));
    const auto deadline = Clock::now() + limit;
    for (;;) {
      pollfd entry{m_socket, POLLOUT, 0};
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      const int ready =
          ::poll(&entry, 1, static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX)));
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) return Fail(std::strerror(errno));
      if (ready == 0)
        return Fail("no answer within the connect time-out of " + std::to_string(limit.count()) +
                    " ms");
      break;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
    if (error != 0) return Fail(std::strerror(error));
    if (::fcntl(m_socket, F_SETFL, flags) != 0) return Fail(std::strerror(errno));
    return true;
  }

  bool SetTimeoutOption(int option, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    return ::setsockopt(m_socket, SOL_SOCKET, option, &value, sizeof value) == 0;
  }

  // The kernel keeps this count after a reset, unlike the send queue, which it empties.
  std::optional<std::uint64_t> TotalAcknowledged() const {
    tcp_info info{};
    socklen_t size = sizeof info;
    if (m_socket == kNoSocket || ::getsockopt(m_socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
        size < offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked)
      return std::nullopt;
    return info.tcpi_bytes_acked;
  }

  bool Fail(std::string reason) {
    m_lastError = std::move(reason);
    return false;
  }
  long long FailSend(std::string reason) {
    Fail(std::move(reason));
    return -1;
  }
  bool Check(bool succeeded) { return succeeded ? true : Fail(std::strerror(errno)); }

  int m_socket = kNoSocket;
  std::chrono::milliseconds m_sendTimeout{0};
  std::uint64_t m_acknowledgedAtConnect = 0;
  std::string m_lastError;
};

}  // namespace

std::unique_ptr<StreamSocket> MakeSystemSocket() { return std::make_unique<PosixSocket>(); }

}  // namespace tessaro::platform
