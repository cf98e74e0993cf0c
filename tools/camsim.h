#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ipv4_address.h"
#include "tools/frame_watcher.h"

namespace tessaro::tools {

// How the stand-in camera treats each connection.
struct CamSimBehaviour {
  std::optional<std::uint64_t> resetAfter;  // reset the connection once this many bytes arrived
  // Stop reading once this many bytes arrived, keep the connection for `hold`, then close it.
  std::optional<std::uint64_t> stopReadingAfter;
  std::chrono::milliseconds hold{0};
  std::chrono::milliseconds stall{0};      // read nothing for this long after accepting
  bool halfClose = false;                  // shut down our sending side at once, keep reading
  std::size_t readSize = 64 * 1024;        // largest single read
  std::chrono::milliseconds readDelay{0};  // pause between reads
  int receiveBuffer = 0;   // SO_RCVBUF for accepted connections; 0 keeps the system's
  bool keepBytes = false;  // keep every received byte in the report
  std::optional<std::chrono::milliseconds> idleTimeout;  // give up on a silent peer after this
};

struct ConnectionReport {
  std::string peer;
  FrameWatcher frame;
  std::vector<std::uint8_t> bytes;  // only with keepBytes
  bool resetByCamera = false;
  bool stoppedReading = false;  // the stopReadingAfter test option took effect
  bool peerClosed = false;      // an orderly end of stream from the tool
  bool timedOut = false;
  std::string readError;  // the system's reason when the read failed
  std::chrono::steady_clock::time_point accepted;
  std::optional<std::chrono::steady_clock::time_point> lastByte;
  std::chrono::steady_clock::time_point ended;
};

// Listens on a loopback address and reads one connection at a time to its end, the way a camera
// takes one upload frame. It never writes.
class CamSim {
 public:
  explicit CamSim(CamSimBehaviour behaviour = {});
  CamSim(const CamSim&) = delete;
  CamSim& operator=(const CamSim&) = delete;
  ~CamSim();

  // Port 0 takes a free one. Only loopback addresses (127.0.0.0/8), so that several stand-ins on
  // one machine can be several cameras. False with the reason when the port cannot be had.
  bool Listen(std::uint16_t port, std::string& error,
              const platform::Ipv4Address& address = {127, 0, 0, 1});
  std::uint16_t Port() const { return m_port; }

  // Waits for the next connection (at most acceptTimeout when given) and reads it to its end.
  std::optional<ConnectionReport> ServeOne(
      std::optional<std::chrono::milliseconds> acceptTimeout = std::nullopt);

 private:
  void ReadConnection(int connection, ConnectionReport& report);

  CamSimBehaviour m_behaviour;
  int m_listener = -1;
  std::uint16_t m_port = 0;
};

// What an operator reads after a connection: one "name: value" line per fact.
void PrintReport(std::ostream& out, const ConnectionReport& report);

}  // namespace tessaro::tools
