// The stream socket and host lookup on Windows Sockets.

// TCP_INFO_v0 is declared for Windows 10 1703 and later; older systems refuse the query at run
// time and the acknowledged count is then unknown.
#undef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003
#include <winsock2.h>
// After winsock2.h, which declares what they use.
#include <mstcpip.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#include "platform/stream_socket.h"

namespace tessaro::platform {

namespace {

// Once per process; a failed start is tried again at the next Load.
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

std::string ErrorText(int code) {
  wchar_t text[256] = {};
  if (::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, 256, nullptr) == 0)
    return "socket error " + std::to_string(code);
  char narrow[512] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
  std::string message(narrow);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

}  // namespace

std::optional<Ipv4Address> LookupHostName(const std::string& host) {
  if (!EnsureSocketLibrary()) return std::nullopt;
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

class WinsockSocket final : public StreamSocket {
 public:
  ~WinsockSocket() override { Close(); }

  bool Create() override {
    Close();
    if (!EnsureSocketLibrary()) return Fail("the socket library could not be started");
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) return Fail(ErrorText(::WSAGetLastError()));
    m_acknowledgedAtConnect = 0;
    return true;
  }

  bool SetSendBufferSize(int bytes) override {
    return Check(::setsockopt(m_socket, SOL_SOCKET, SO_SNDBUF,
                              reinterpret_cast<const char*>(&bytes), sizeof bytes) == 0);
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
    // A blank address fails at once, the same on every system.
    if (address == Ipv4Address{0, 0, 0, 0}) return Fail("0.0.0.0 is not a destination address");
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    std::memcpy(&destination.sin_addr, address.data(), address.size());
    // Nothing blocks in the system from here on: the connect is waited for below, and Send does
    // its own waiting, so that the send time-out counts from the last byte taken.
    u_long nonBlocking = 1;
    if (::ioctlsocket(m_socket, FIONBIO, &nonBlocking) != 0)
      return Fail(ErrorText(::WSAGetLastError()));
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&destination), sizeof destination) !=
            0 &&
        ::WSAGetLastError() != WSAEWOULDBLOCK)
      return Fail(ErrorText(::WSAGetLastError()));
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_SET(m_socket, &writable);
    FD_ZERO(&failed);
    FD_SET(m_socket, &failed);
    timeval wait{static_cast<long>(limit.count() / 1000),
                 static_cast<long>((limit.count() % 1000) * 1000)};
    const int ready = ::select(0, nullptr, &writable, &failed, limit.count() > 0 ? &wait : nullptr);
    if (ready == SOCKET_ERROR) return Fail(ErrorText(::WSAGetLastError()));
    if (ready == 0)
      return Fail("no answer within the connect time-out of " + std::to_string(limit.count()) +
                  " ms");
    int error = 0;
    int size = sizeof error;
    ::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    if (FD_ISSET(m_socket, &failed) || error != 0)
      return Fail(ErrorText(error != 0 ? error : WSAECONNREFUSED));
    m_acknowledgedAtConnect = TotalAcknowledged().value_or(0);
    return true;
  }

  long long Send(const std::uint8_t* data, std::size_t count) override {
    if (m_socket == INVALID_SOCKET) {
      Fail("the socket is not open");
      return -1;
    }
    const auto deadline = Clock::now() + m_sendTimeout;
    const int length = static_cast<int>(std::min<std::size_t>(count, INT_MAX));
    for (;;) {
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(m_socket, &writable);
      fd_set failed;
      FD_ZERO(&failed);
      FD_SET(m_socket, &failed);
      timeval wait{};
      timeval* limit = nullptr;
      if (m_sendTimeout.count() > 0) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        left = std::max<long long>(left, 0);
        wait.tv_sec = static_cast<long>(left / 1000);
        wait.tv_usec = static_cast<long>((left % 1000) * 1000);
        limit = &wait;
      }
      int ready = ::select(0, nullptr, &writable, &failed, limit);
      if (ready == SOCKET_ERROR) return FailSend(ErrorText(::WSAGetLastError()));
      if (ready == 0)
        return FailSend("the camera took no byte for " + std::to_string(m_sendTimeout.count()) +
                        " ms");
      int sent = ::send(m_socket, reinterpret_cast<const char*>(data), length, 0);
      if (sent != SOCKET_ERROR) return sent;
      const int error = ::WSAGetLastError();
      if (error != WSAEWOULDBLOCK && error != WSAEINTR) return FailSend(ErrorText(error));
    }
  }

  std::optional<std::uint64_t> AcknowledgedBytes() const override {
    auto total = TotalAcknowledged();
    if (!total) return std::nullopt;
    return *total - std::min(*total, m_acknowledgedAtConnect);
  }

  bool HasFailed() const override {
    if (m_socket == INVALID_SOCKET) return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval now{};
    if (::select(0, &readable, nullptr, nullptr, &now) <= 0) return false;
    // Readable: data or the camera's orderly close (both fine), or a reset.
    char probe = 0;
    if (::recv(m_socket, &probe, 1, MSG_PEEK) != SOCKET_ERROR) return false;
    const int error = ::WSAGetLastError();
    return error != WSAEWOULDBLOCK && error != WSAEMSGSIZE;
  }

  void Close() override {
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }

  bool IsOpen() const override { return m_socket != INVALID_SOCKET; }

  std::string LastError() const override { return m_lastError; }

 private:
  // Winsock takes the time-outs as a DWORD of milliseconds.
  bool SetTimeoutOption(int option, std::chrono::milliseconds timeout) {
    const auto value = static_cast<DWORD>(timeout.count());
    return ::setsockopt(m_socket, SOL_SOCKET, option, reinterpret_cast<const char*>(&value),
                        sizeof value) == 0;
  }

  // Bytes sent less those still in flight. Windows 10 1703 and later answer; others cannot tell.
  std::optional<std::uint64_t> TotalAcknowledged() const {
    if (m_socket == INVALID_SOCKET) return std::nullopt;
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (::WSAIoctl(m_socket, SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &returned,
                   nullptr, nullptr) != 0 ||
        returned < sizeof info)
      return std::nullopt;
    return info.BytesOut - std::min<ULONG64>(info.BytesOut, info.BytesInFlight);
  }

  bool Fail(std::string reason) {
    m_lastError = std::move(reason);
    return false;
  }
  long long FailSend(std::string reason) {
    Fail(std::move(reason));
    return -1;
  }
  bool Check(bool succeeded) { return succeeded ? true : Fail(ErrorText(::WSAGetLastError())); }

  SOCKET m_socket = INVALID_SOCKET;
  std::chrono::milliseconds m_sendTimeout{0};
  std::uint64_t m_acknowledgedAtConnect = 0;
  std::string m_lastError;
};

}  // namespace

std::unique_ptr<StreamSocket> MakeSystemSocket() { return std::make_unique<WinsockSocket>(); }

}  // namespace tessaro::platform
