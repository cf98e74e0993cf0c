#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "engine/firmware_image.h"
#include "platform/message_sink.h"

namespace tessaro::cli {

// The payload of an upload, built and hashed before anything is connected, so a script can
// check the file (--expect-sha256) and see the frame (--dry-run) first.
struct PreparedImage {
  engine::FirmwareImage image;
  std::string fileSha256;   // of the file's bytes
  std::string frameSha256;  // of the whole frame: header and payload
};

// Empty when the channel or the file is refused; the operator has been told why.
std::optional<PreparedImage> PrepareImage(const std::string& channelText, const std::string& path,
                                          platform::MessageSink& messages);

// What a dry run shows: model code, channel byte, frame length and both hashes.
void PrintFrameSummary(const PreparedImage& prepared, std::ostream& out);

// Writes the frame exactly as it would travel; false with a message on `err` when it cannot.
bool WriteFrame(const PreparedImage& prepared, const std::string& utf8Path, std::ostream& err);

}  // namespace tessaro::cli
