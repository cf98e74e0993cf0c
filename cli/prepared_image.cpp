#include "cli/prepared_image.h"

#include <filesystem>
#include <fstream>

#include "engine/channel.h"
#include "engine/messages.h"
#include "engine/upload_link.h"
#include "platform/sha256.h"

namespace tessaro::cli {

std::optional<PreparedImage> PrepareImage(const std::string& channelText, const std::string& path,
                                          platform::MessageSink& messages) {
  const std::optional<std::int32_t> channel = engine::ParseChannelText(channelText);
  if (!channel) {
    messages.ShowMessage(platform::MessageKind::Warning, engine::MESSAGE_NO_CHANNEL);
    return std::nullopt;
  }
  PreparedImage prepared;
  if (engine::BuildFirmwareImage(*channel, path, messages, prepared.image) !=
      engine::BuildResult::Built)
    return std::nullopt;
  const std::uint8_t* payload = prepared.image.buffer.get();
  platform::Sha256 file;
  file.Update(payload + engine::IMAGE_PREFIX_SIZE,
              prepared.image.length - engine::IMAGE_PREFIX_SIZE);
  prepared.fileSha256 = file.HexDigest();
  platform::Sha256 frame;
  const auto header = engine::FrameHeader(prepared.image.length);
  frame.Update(header.data(), header.size());
  frame.Update(payload, prepared.image.length);
  prepared.frameSha256 = frame.HexDigest();
  return prepared;
}

void PrintFrameSummary(const PreparedImage& prepared, std::ostream& out) {
  const std::uint8_t* payload = prepared.image.buffer.get();
  char channel[8];
  std::snprintf(channel, sizeof channel, "0x%02x", payload[0]);
  out << "model code:   " << unsigned{payload[1]} << "\n"
      << "channel byte: " << channel << "\n"
      << "frame length: " << engine::FrameBytes(prepared.image.length) << " bytes\n"
      << "file sha256:  " << prepared.fileSha256 << "\n"
      << "frame sha256: " << prepared.frameSha256 << "\n";
}

bool WriteFrame(const PreparedImage& prepared, const std::string& utf8Path, std::ostream& err) {
  const std::filesystem::path path(std::u8string(utf8Path.begin(), utf8Path.end()));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto header = engine::FrameHeader(prepared.image.length);
  out.write(reinterpret_cast<const char*>(header.data()),
            static_cast<std::streamsize>(header.size()));
  out.write(reinterpret_cast<const char*>(prepared.image.buffer.get()),
            static_cast<std::streamsize>(prepared.image.length));
  out.close();
  if (!out) {
    err << "error: cannot write the frame to " << utf8Path << std::endl;
    return false;
  }
  return true;
}

}  // namespace tessaro::cli
