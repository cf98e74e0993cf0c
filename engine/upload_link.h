#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/protocol.h"
#include "platform/ipv4_address.h"
#include "platform/message_sink.h"
#include "platform/progress_sink.h"
#include "platform/stream_socket.h"

namespace tessaro::engine {

enum class ConnectResult : std::int32_t {
  Connected = 0,
  NotCreated = -1,
  OptionRefused = -2,
  ConnectFailed = -3,
};

enum class SendResult : int { Sent = 1, Failed = -1 };

// The product always uses the defaults; tests shorten the time-outs.
struct SocketOptions {
  int sendBufferSize = UPLOAD_SEND_BUFFER_SIZE;
  std::chrono::milliseconds sendTimeout = UPLOAD_SOCKET_TIMEOUT;
  std::chrono::milliseconds receiveTimeout = UPLOAD_SOCKET_TIMEOUT;
};

// The tool's connection to the camera. One object serves every Load; each connect opens a new
// connection and the Load closes it again.
class CUploadSocket {
 public:
  explicit CUploadSocket(
      std::unique_ptr<platform::StreamSocket> socket = platform::MakeSystemSocket(),
      SocketOptions options = {}, platform::HostLookup lookup = platform::LookupHostName);

  ConnectResult ConnectToCamera(const std::string& host, unsigned port);
  SendResult SendAll(const std::uint8_t* buffer, std::size_t count);
  void Close();
  // True from a successful connect until the close (or a write that closed it).
  bool IsConnected() const;

  // Why the last ConnectToCamera failed, in the system's words, for front ends that report it.
  const std::string& ConnectError() const;

 private:
  std::unique_ptr<platform::StreamSocket> m_socket;
  SocketOptions m_options;
  platform::HostLookup m_lookup;
  std::string m_connectError;
};

// The bar follows the bytes in double precision, truncated toward zero: 1,425,408 of 4,915,200
// shows 28, not 29.
int ProgressPosition(std::uint64_t sent, std::uint32_t length);

// Writes one upload frame: the start byte, the payload length little-endian, then the payload in
// chunks of at most UPLOAD_CHUNK_SIZE, setting the progress after each. True when all was written.
bool SendFirmwareImage(CUploadSocket& socket, const std::uint8_t* image, std::uint32_t length,
                       platform::ProgressSink& progress, platform::MessageSink& messages);

}  // namespace tessaro::engine
