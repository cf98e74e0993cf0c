#include "tools/camsim.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <thread>

namespace tessaro::tools {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

CamSim::CamSim(CamSimBehaviour behaviour) : m_behaviour(behaviour) {}

CamSim::~CamSim() {
  if (m_listener >= 0) ::close(m_listener);
}

bool CamSim::Listen(std::uint16_t port, std::string& error, const platform::Ipv4Address& bindTo) {
  if (bindTo[0] != 127) {
    error = "the stand-in camera listens on loopback addresses (127.x.x.x) only";
    return false;
  }
  if (m_listener >= 0) ::close(m_listener);  // listening again replaces the old listener
  m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_listener < 0) {
    error = std::strerror(errno);
    return false;
  }
  int on = 1;
  ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  // Accepted connections inherit a small receive buffer, so a stalled camera fills up quickly.
  if (m_behaviour.receiveBuffer > 0)
    ::setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &m_behaviour.receiveBuffer,
                 sizeof m_behaviour.receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  std::memcpy(&address.sin_addr, bindTo.data(), bindTo.size());
  socklen_t size = sizeof address;
  if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_listener, SOMAXCONN) != 0 ||
      ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    error = std::strerror(errno);
    ::close(m_listener);
    m_listener = -1;
    return false;
  }
  m_port = ntohs(address.sin_port);
  return true;
}

namespace {

// Waits until fd is readable; false on time-out.
bool WaitReadable(int fd, std::optional<milliseconds> timeout) {
  pollfd entry{fd, POLLIN, 0};
  int waitMs = timeout ? static_cast<int>(timeout->count()) : -1;
  int ready = 0;
  do {
    ready = ::poll(&entry, 1, waitMs);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

std::string PeerText(const sockaddr_in& peer) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
}

void ResetConnection(int connection) {
  // Closing with a zero linger time sends a reset instead of the orderly end of stream.
  linger hard{1, 0};
  ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

}  // namespace

std::optional<ConnectionReport> CamSim::ServeOne(std::optional<milliseconds> acceptTimeout) {
  if (m_listener < 0 || !WaitReadable(m_listener, acceptTimeout)) return std::nullopt;
  sockaddr_in peer{};
  socklen_t size = sizeof peer;
  int connection;
  do {
    connection = ::accept4(m_listener, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
  } while (connection < 0 && errno == EINTR);
  if (connection < 0) return std::nullopt;

  ConnectionReport report;
  report.accepted = Clock::now();
  report.peer = PeerText(peer);
  ReadConnection(connection, report);
  ::close(connection);
  report.ended = Clock::now();
  return report;
}

void CamSim::ReadConnection(int connection, ConnectionReport& report) {
  if (m_behaviour.halfClose) ::shutdown(connection, SHUT_WR);
  if (m_behaviour.stall.count() > 0) std::this_thread::sleep_for(m_behaviour.stall);

  std::vector<std::uint8_t> buffer(std::max<std::size_t>(m_behaviour.readSize, 1));
  for (;;) {
    std::size_t wanted = buffer.size();
    if (m_behaviour.resetAfter) {
      const std::uint64_t received = report.frame.ByteCount();
      if (received >= *m_behaviour.resetAfter) {
        ResetConnection(connection);
        report.resetByCamera = true;
        return;
      }
      wanted = static_cast<std::size_t>(
          std::min<std::uint64_t>(wanted, *m_behaviour.resetAfter - received));
    }
    if (m_behaviour.stopReadingAfter) {
      const std::uint64_t received = report.frame.ByteCount();
      if (received >= *m_behaviour.stopReadingAfter) {
        // The tool's bytes pile up unread; a reset from the tool ends the hold early.
        pollfd entry{connection, 0, 0};
        ::poll(&entry, 1, static_cast<int>(m_behaviour.hold.count()));
        report.stoppedReading = true;
        return;
      }
      wanted = static_cast<std::size_t>(
          std::min<std::uint64_t>(wanted, *m_behaviour.stopReadingAfter - received));
    }
    if (!WaitReadable(connection, m_behaviour.idleTimeout)) {
      report.timedOut = true;
      return;
    }
    ssize_t got = ::recv(connection, buffer.data(), wanted, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      report.readError = std::strerror(errno);
      return;
    }
    if (got == 0) {
      report.peerClosed = true;
      return;
    }
    report.frame.Feed(buffer.data(), static_cast<std::size_t>(got));
    if (m_behaviour.keepBytes)
      report.bytes.insert(report.bytes.end(), buffer.data(), buffer.data() + got);
    report.lastByte = Clock::now();
    if (m_behaviour.readDelay.count() > 0) std::this_thread::sleep_for(m_behaviour.readDelay);
  }
}

namespace {

template <typename T>
std::string Hex(std::optional<T> value) {
  if (!value) return "(none)";
  std::ostringstream text;
  text << "0x" << std::hex << std::setw(2) << std::setfill('0') << static_cast<unsigned>(*value);
  return text.str();
}

long long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<milliseconds>(to - from).count();
}

}  // namespace

void PrintReport(std::ostream& out, const ConnectionReport& report) {
  const FrameWatcher& frame = report.frame;
  out << "connection from " << report.peer << "\n";
  out << "  bytes received: " << frame.ByteCount() << "\n";
  out << "  start byte:     " << Hex(frame.StartByte()) << "\n";
  out << "  length field:   "
      << (frame.LengthField() ? std::to_string(*frame.LengthField()) : std::string("(none)"))
      << "\n";
  out << "  channel byte:   " << Hex(frame.ChannelByte()) << "\n";
  out << "  model code:     "
      << (frame.ModelCode() ? std::to_string(*frame.ModelCode()) : std::string("(none)")) << "\n";
  out << "  file bytes:     " << frame.FileByteCount() << "\n";
  out << "  file sha256:    " << frame.FileSha256() << "\n";
  out << "  frame:          " << (frame.Complete() ? "complete" : "incomplete");
  if (frame.ExtraByteCount() > 0) out << ", " << frame.ExtraByteCount() << " bytes after it";
  out << "\n";
  const Clock::time_point since = report.lastByte.value_or(report.accepted);
  const char* reference = report.lastByte ? "after the last byte" : "after the connection opened";
  out << "  end:            ";
  if (report.peerClosed)
    out << "tool closed the connection " << MillisecondsBetween(since, report.ended) << " ms "
        << reference;
  else if (report.resetByCamera)
    out << "camera reset the connection (test option)";
  else if (report.stoppedReading)
    out << "camera stopped reading and closed after holding the connection (test option)";
  else if (report.timedOut)
    out << "gave up: nothing received for " << MillisecondsBetween(since, report.ended) << " ms";
  else
    out << "read failed: " << report.readError;
  out << "\n";
  out.flush();
}

}  // namespace tessaro::tools
