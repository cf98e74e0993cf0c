#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include "platform/socket_system.h"
#include "platform/stream_socket.h"

namespace tessaro::platform {

#ifdef _WIN32

bool EnsureSocketLibrary() {
  static std::mutex guard;
  static bool started = false;
  std::lock_guard lock(guard);
  if (!started) {
    WSADATA data{};
    started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  return started;
}

std::string LastSocketErrorText() {
  int code = ::WSAGetLastError();
  char text[256] = {};
  if (::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, sizeof text, nullptr) == 0)
    return "socket error " + std::to_string(code);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

bool LastSocketCallInterrupted() { return ::WSAGetLastError() == WSAEINTR; }

namespace {
// Winsock takes the time-outs as a DWORD of milliseconds.
bool SetTimeoutOption(socket_t socket, int option, std::chrono::milliseconds timeout) {
  DWORD value = static_cast<DWORD>(timeout.count());
  return ::setsockopt(socket, SOL_SOCKET, option, reinterpret_cast<const char*>(&value),
                      sizeof value) == 0;
}
constexpr int kSendFlags = 0;
using send_length_t = int;
}  // namespace

#else

bool EnsureSocketLibrary() { return true; }

std::string LastSocketErrorText() { return std::strerror(errno); }

bool LastSocketCallInterrupted() { return errno == EINTR; }

namespace {
bool SetTimeoutOption(socket_t socket, int option, std::chrono::milliseconds timeout) {
  timeval value{};
  value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  value.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
  return ::setsockopt(socket, SOL_SOCKET, option, &value, sizeof value) == 0;
}
// A write to a connection the camera has reset must fail, not raise SIGPIPE and end the process.
constexpr int kSendFlags = MSG_NOSIGNAL;
using send_length_t = std::size_t;
}  // namespace

#endif

namespace {

class SystemSocket final : public StreamSocket {
 public:
  ~SystemSocket() override { Close(); }

  bool Create() override {
    Close();
    if (!EnsureSocketLibrary()) return Fail("the socket library could not be started");
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == kInvalidSocket) return Fail(LastSocketErrorText());
#if !defined(_WIN32) && !defined(__linux__)
    int on = 1;
    ::setsockopt(m_socket, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return true;
  }

  bool SetSendBufferSize(int bytes) override {
    return Check(::setsockopt(m_socket, SOL_SOCKET, SO_SNDBUF,
                              reinterpret_cast<const char*>(&bytes), sizeof bytes) == 0);
  }

  bool SetSendTimeout(std::chrono::milliseconds timeout) override {
    return Check(SetTimeoutOption(m_socket, SO_SNDTIMEO, timeout));
  }

  bool SetReceiveTimeout(std::chrono::milliseconds timeout) override {
    return Check(SetTimeoutOption(m_socket, SO_RCVTIMEO, timeout));
  }

  bool Connect(const Ipv4Address& address, std::uint16_t port) override {
    // 0.0.0.0 would reach this machine on Linux; a blank address must fail as it does elsewhere.
    if (address == Ipv4Address{0, 0, 0, 0}) return Fail("0.0.0.0 is not a destination address");
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    std::memcpy(&destination.sin_addr, address.data(), address.size());
    return Check(::connect(m_socket, reinterpret_cast<const sockaddr*>(&destination),
                           sizeof destination) == 0);
  }

  long long Send(const std::uint8_t* data, std::size_t count) override {
    if (m_socket == kInvalidSocket) {
      Fail("the socket is not open");
      return -1;
    }
    auto length = static_cast<send_length_t>(std::min<std::size_t>(count, INT_MAX));
    for (;;) {
      auto sent = ::send(m_socket, reinterpret_cast<const char*>(data), length, kSendFlags);
      if (sent >= 0) return static_cast<long long>(sent);
      if (!LastSocketCallInterrupted()) {
        Fail(LastSocketErrorText());
        return -1;
      }
    }
  }

  void Close() override {
    if (m_socket != kInvalidSocket) close_socket(m_socket);
    m_socket = kInvalidSocket;
  }

  bool IsOpen() const override { return m_socket != kInvalidSocket; }

  std::string LastError() const override { return m_lastError; }

 private:
  bool Fail(std::string reason) {
    m_lastError = std::move(reason);
    return false;
  }

  bool Check(bool succeeded) { return succeeded ? true : Fail(LastSocketErrorText()); }

  socket_t m_socket = kInvalidSocket;
  std::string m_lastError;
};

}  // namespace

std::unique_ptr<StreamSocket> MakeSystemSocket() { return std::make_unique<SystemSocket>(); }

}  // namespace tessaro::platform
