#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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
  // Empty: the system's own, autotuned buffer (the command line's default).
  std::optional<int> sendBufferSize = UPLOAD_SEND_BUFFER_SIZE;
  std::chrono::milliseconds sendTimeout = UPLOAD_SOCKET_TIMEOUT;
  std::chrono::milliseconds receiveTimeout = UPLOAD_SOCKET_TIMEOUT;
  // Zero: the system's connect time-out (the dialog); the command line may set its own.
  std::chrono::milliseconds connectTimeout{0};
};

// The tool's connection to the camera. One object serves every Load; each connect opens a new
// connection and the Load closes it again.
class CUploadSocket {
 public:
  explicit CUploadSocket(
      std::unique_ptr<platform::StreamSocket> socket = platform::MakeSystemSocket(),
      SocketOptions options = {}, platform::HostLookup lookup = platform::LookupHostName);

  // On failure `whyFailed`, when given, receives the reason in the system's words.
  ConnectResult ConnectToCamera(const std::string& host, unsigned port,
                                std::string* whyFailed = nullptr);
  SendResult SendAll(const std::uint8_t* buffer, std::size_t count);
  void Close();
  // True from a successful connect until the close (or a write that closed it).
  bool IsConnected() const;

  // Bytes of this connection the camera's TCP has acknowledged; empty when the system cannot tell.
  std::optional<std::uint64_t> AcknowledgedBytes() const;
  // True once the camera has reset the connection or it has failed.
  bool HasFailed() const;

 private:
  std::unique_ptr<platform::StreamSocket> m_socket;
  SocketOptions m_options;
  platform::HostLookup m_lookup;
};

// What became of a frame after its last byte was written.
enum class Delivery {
  Confirmed,    // the camera's TCP acknowledged every byte
  Unconfirmed,  // the connection is up, some bytes are not acknowledged yet
  Lost,         // reset or failed while bytes were still unacknowledged
  Unknown,      // the system cannot tell what was acknowledged
};

struct DeliveryState {
  Delivery delivery = Delivery::Unknown;
  std::uint64_t unacknowledgedBytes = 0;  // with Unconfirmed and Lost
};

// Looks at the connection without reading from it. A reset after every byte was acknowledged
// still counts as Confirmed: the camera had the frame.
DeliveryState CheckDelivery(const CUploadSocket& socket, std::uint64_t frameBytes);

// The bar follows the bytes in double precision, truncated toward zero: 1,425,408 of 4,915,200
// shows 28, not 29.
int ProgressPosition(std::uint64_t sent, std::uint32_t length);

// What goes before the payload: the start byte and the payload length, little-endian.
std::array<std::uint8_t, UPLOAD_HEADER_SIZE> FrameHeader(std::uint32_t payloadLength);

// The whole frame on the wire: start byte, length field, payload.
inline constexpr std::uint64_t FrameBytes(std::uint32_t payloadLength) {
  return UPLOAD_HEADER_SIZE + std::uint64_t{payloadLength};
}

// What the progress position counts: the payload bytes handed to the socket (the dialog, with its
// small send buffer), or those the camera's TCP acknowledged (where the system can tell), which
// with a large buffer is what the camera really has.
enum class ProgressBasis { Written, Acknowledged };

// The position for the frame bytes the camera acknowledged, never ahead of the payload written;
// with no count known, the position of what was written.
int AcknowledgedPosition(std::optional<std::uint64_t> acknowledgedFrameBytes,
                         std::uint64_t writtenPayload, std::uint32_t length);

// Writes one upload frame: the start byte, the payload length little-endian, then the payload in
// chunks of at most UPLOAD_CHUNK_SIZE, setting the progress after each. True when all was written.
bool SendFirmwareImage(CUploadSocket& socket, const std::uint8_t* image, std::uint32_t length,
                       platform::ProgressSink& progress, platform::MessageSink& messages,
                       ProgressBasis basis = ProgressBasis::Written);

}  // namespace tessaro::engine
