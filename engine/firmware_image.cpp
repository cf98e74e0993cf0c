#include "engine/firmware_image.h"

#include <new>

#include "engine/messages.h"
#include "engine/protocol.h"
#include "platform/input_file.h"

namespace tessaro::engine {

using platform::MessageKind;

std::optional<ModelCode> FindModelCode(std::string_view path) {
  for (const ModelMarker& entry : MODEL_MARKERS)
    if (path.find(entry.marker) != std::string_view::npos) return entry.code;
  return std::nullopt;
}

BuildResult BuildFirmwareImage(std::int32_t channel, const std::string& path,
                               platform::MessageSink& messages, FirmwareImage& image) {
  auto refuse = [&](MessageKind kind, std::string text) {
    messages.ShowMessage(kind, text);
    return BuildResult::Refused;
  };

  std::optional<ModelCode> model = FindModelCode(path);
  if (!model) return refuse(MessageKind::Warning, MESSAGE_NO_FIRMWARE_MARKER);

  std::optional<platform::InputFile> file = platform::InputFile::Open(path);
  if (!file) return refuse(MessageKind::Error, MESSAGE_CANNOT_OPEN + path);

  const std::uint64_t fileLength = file->Length();
  if (fileLength > UPLOAD_MAX_PAYLOAD - IMAGE_PREFIX_SIZE)
    return refuse(MessageKind::Error, MESSAGE_TOO_LARGE + path);
  const auto payloadLength = static_cast<std::uint32_t>(fileLength + IMAGE_PREFIX_SIZE);

  std::unique_ptr<std::uint8_t[]> buffer;
  try {
    buffer = std::make_unique_for_overwrite<std::uint8_t[]>(payloadLength);
  } catch (const std::bad_alloc&) {
    return refuse(MessageKind::Error, MESSAGE_CANNOT_READ + path);
  }
  buffer[0] = static_cast<std::uint8_t>(channel & 0xFF);
  buffer[1] = *model;
  // A file that changed length while it was read would give a frame that matches neither version.
  if (!file->ReadExactly(buffer.get() + IMAGE_PREFIX_SIZE, static_cast<std::size_t>(fileLength)) ||
      !file->AtEnd())
    return refuse(MessageKind::Error, MESSAGE_CANNOT_READ + path);

  image.buffer = std::move(buffer);
  image.length = payloadLength;
  return BuildResult::Built;
}

}  // namespace tessaro::engine
