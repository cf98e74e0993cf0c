#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sha256.h"

namespace tessaro::tools {

// Follows an upload frame as its bytes arrive, without keeping them: start byte, length field,
// channel byte, model code, and a count and SHA-256 of the file bytes.
class FrameWatcher {
 public:
  void Feed(const std::uint8_t* data, std::size_t count);

  std::uint64_t ByteCount() const { return m_byteCount; }
  std::optional<std::uint8_t> StartByte() const { return m_startByte; }
  std::optional<std::uint32_t> LengthField() const;
  std::optional<std::uint8_t> ChannelByte() const { return m_channel; }
  std::optional<std::uint8_t> ModelCode() const { return m_model; }
  std::uint64_t FileByteCount() const { return m_fileBytes; }
  // Bytes beyond the end the length field announced.
  std::uint64_t ExtraByteCount() const { return m_extraBytes; }
  bool Complete() const;
  // Lower-case hex SHA-256 of the file bytes received so far.
  std::string FileSha256() const;

 private:
  std::uint64_t m_byteCount = 0;
  std::optional<std::uint8_t> m_startByte;
  std::uint8_t m_lengthBytes[4] = {};
  std::optional<std::uint8_t> m_channel;
  std::optional<std::uint8_t> m_model;
  std::uint64_t m_fileBytes = 0;
  std::uint64_t m_extraBytes = 0;
  platform::Sha256 m_digest;
};

}  // namespace tessaro::tools
