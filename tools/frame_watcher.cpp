#include "tools/frame_watcher.h"

#include <algorithm>

namespace tessaro::tools {

namespace {
constexpr std::uint64_t kHeaderSize = 5;  // start byte and length field
}  // namespace

std::optional<std::uint32_t> FrameWatcher::LengthField() const {
  if (m_byteCount < kHeaderSize) return std::nullopt;
  return static_cast<std::uint32_t>(m_lengthBytes[0]) |
         static_cast<std::uint32_t>(m_lengthBytes[1]) << 8 |
         static_cast<std::uint32_t>(m_lengthBytes[2]) << 16 |
         static_cast<std::uint32_t>(m_lengthBytes[3]) << 24;
}

void FrameWatcher::Feed(const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const std::uint64_t offset = m_byteCount;
    if (offset == 0) {
      m_startByte = data[0];
    } else if (offset < kHeaderSize) {
      m_lengthBytes[offset - 1] = data[0];
    } else if (offset == kHeaderSize) {
      m_channel = data[0];
    } else if (offset == kHeaderSize + 1) {
      m_model = data[0];
    } else {
      // File bytes go to the digest in one piece, up to the announced end of the frame.
      const std::uint64_t frameEnd = kHeaderSize + *LengthField();
      const std::uint64_t fileRoom = frameEnd > offset ? frameEnd - offset : 0;
      const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, fileRoom));
      if (take > 0) {
        m_digest.Update(data, take);
        m_fileBytes += take;
      }
      m_extraBytes += count - take;
      m_byteCount += count;
      return;
    }
    ++m_byteCount;
    ++data;
    --count;
  }
}

bool FrameWatcher::Complete() const {
  auto length = LengthField();
  return length && m_byteCount == kHeaderSize + *length;
}

std::string FrameWatcher::FileSha256() const { return m_digest.HexDigest(); }

}  // namespace tessaro::tools
