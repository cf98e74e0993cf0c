#include "engine/upload_link.h"

#include <algorithm>
#include <array>

#include "engine/messages.h"

namespace tessaro::engine {

CUploadSocket::CUploadSocket(std::unique_ptr<platform::StreamSocket> socket, SocketOptions options,
                             platform::HostLookup lookup)
    : m_socket(std::move(socket)), m_options(options), m_lookup(std::move(lookup)) {}

ConnectResult CUploadSocket::ConnectToCamera(const std::string& host, unsigned port,
                                             std::string* whyFailed) {
  auto fail = [&](ConnectResult result, std::string reason) {
    if (whyFailed) *whyFailed = std::move(reason);
    m_socket->Close();
    return result;
  };
  if (!m_socket->Create()) {
    // Nothing to close: the socket was never made.
    if (whyFailed) *whyFailed = m_socket->LastError();
    return ConnectResult::NotCreated;
  }
  if ((m_options.sendBufferSize && !m_socket->SetSendBufferSize(*m_options.sendBufferSize)) ||
      !m_socket->SetSendTimeout(m_options.sendTimeout) ||
      !m_socket->SetReceiveTimeout(m_options.receiveTimeout))
    return fail(ConnectResult::OptionRefused, m_socket->LastError());
  std::optional<platform::Ipv4Address> address = platform::ResolveHost(host, m_lookup);
  if (!address) return fail(ConnectResult::ConnectFailed, "cannot resolve host name " + host);
  if (port > 0xFFFF) return fail(ConnectResult::ConnectFailed, "port out of range");
  if (!m_socket->Connect(*address, static_cast<std::uint16_t>(port), m_options.connectTimeout))
    return fail(ConnectResult::ConnectFailed, m_socket->LastError());
  return ConnectResult::Connected;
}

SendResult CUploadSocket::SendAll(const std::uint8_t* buffer, std::size_t count) {
  while (count > 0) {
    long long written = m_socket->Send(buffer, count);
    if (written < 0) return SendResult::Failed;
    if (written == 0) {
      m_socket->Close();
      return SendResult::Failed;
    }
    buffer += written;
    count -= static_cast<std::size_t>(written);
  }
  return SendResult::Sent;
}

void CUploadSocket::Close() { m_socket->Close(); }

bool CUploadSocket::IsConnected() const { return m_socket->IsOpen(); }

std::optional<std::uint64_t> CUploadSocket::AcknowledgedBytes() const {
  return m_socket->IsOpen() ? m_socket->AcknowledgedBytes() : std::nullopt;
}

bool CUploadSocket::HasFailed() const { return m_socket->HasFailed(); }

DeliveryState CheckDelivery(const CUploadSocket& socket, std::uint64_t frameBytes) {
  // Failure first: acknowledgements cannot arrive after a reset, so the count read afterwards
  // is the final one.
  const bool failed = socket.HasFailed();
  const std::optional<std::uint64_t> acknowledged = socket.AcknowledgedBytes();
  if (!acknowledged) return {Delivery::Unknown, 0};
  if (*acknowledged >= frameBytes) return {Delivery::Confirmed, 0};
  const std::uint64_t missing = frameBytes - *acknowledged;
  return {failed ? Delivery::Lost : Delivery::Unconfirmed, missing};
}

int ProgressPosition(std::uint64_t sent, std::uint32_t length) {
  if (length == 0) return 100;
  // The length is taken unsigned, so payloads of 2 GiB and more still count up from 0 to 100.
  return static_cast<int>(static_cast<double>(sent) / static_cast<double>(length) * 100.0);
}

std::array<std::uint8_t, UPLOAD_HEADER_SIZE> FrameHeader(std::uint32_t payloadLength) {
  // The camera reads the length little-endian.
  return {UPLOAD_START_BYTE, static_cast<std::uint8_t>(payloadLength),
          static_cast<std::uint8_t>(payloadLength >> 8),
          static_cast<std::uint8_t>(payloadLength >> 16),
          static_cast<std::uint8_t>(payloadLength >> 24)};
}

int AcknowledgedPosition(std::optional<std::uint64_t> acknowledged, std::uint64_t writtenPayload,
                         std::uint32_t length) {
  if (!acknowledged) return ProgressPosition(writtenPayload, length);
  const std::uint64_t payload =
      *acknowledged > UPLOAD_HEADER_SIZE ? *acknowledged - UPLOAD_HEADER_SIZE : 0;
  return ProgressPosition(std::min(payload, writtenPayload), length);
}

bool SendFirmwareImage(CUploadSocket& socket, const std::uint8_t* image, std::uint32_t length,
                       platform::ProgressSink& progress, platform::MessageSink& messages,
                       ProgressBasis basis) {
  progress.BeginTransfer(FrameBytes(length));
  progress.SetPosition(0);

  auto lost = [&] {
    messages.ShowMessage(platform::MessageKind::Warning, MESSAGE_CONNECTION_CLOSED);
    return false;
  };

  // On a socket whose connect failed the start byte fails too, and the operator is not told
  // (a camera that cannot be reached is never reported). A camera that accepted and then reset
  // before the first byte has lost the connection like any other.
  const bool connected = socket.IsConnected();
  if (socket.SendAll(&UPLOAD_START_BYTE, 1) != SendResult::Sent) return connected ? lost() : false;

  const auto header = FrameHeader(length);
  if (socket.SendAll(header.data() + 1, UPLOAD_LENGTH_FIELD_SIZE) != SendResult::Sent)
    return lost();

  std::uint64_t sent = 0;
  std::size_t chunk = UPLOAD_CHUNK_SIZE;
  for (;;) {
    chunk = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, length - sent));
    if (socket.SendAll(image + sent, chunk) != SendResult::Sent) return lost();
    sent += chunk;
    progress.SetPosition(basis == ProgressBasis::Acknowledged
                             ? AcknowledgedPosition(socket.AcknowledgedBytes(), sent, length)
                             : ProgressPosition(sent, length));
    if (sent == length) return true;
  }
}

}  // namespace tessaro::engine
