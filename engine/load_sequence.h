#pragma once

#include <optional>
#include <string>

#include "engine/firmware_image.h"
#include "engine/protocol.h"
#include "engine/upload_link.h"
#include "platform/ipv4_address.h"
#include "platform/message_sink.h"
#include "platform/progress_sink.h"
#include "platform/sleeper.h"

namespace tessaro::engine {

// What the operator entered for one Load.
struct LoadRequest {
  platform::Ipv4Address address{};  // the address control's four fields, field 0 first
  std::string channelText = "1";
  std::string firmwarePath;
  unsigned port = UPLOAD_PORT;  // the dialog always uses the camera's port
};

enum class TransferResult { NotAttempted, Complete, Failed };

// What became of each step, for front ends that report it; the dialog shows only the messages.
struct LoadOutcome {
  std::string cameraAddress;             // the address text the connect was given
  bool channelAccepted = false;          // false: refused before connecting
  std::optional<ConnectResult> connect;  // empty when the Load stopped before connecting
  std::optional<BuildResult> image;      // empty when the Load stopped before building
  TransferResult transfer = TransferResult::NotAttempted;
};

// Everything between the press of Load and the close of the connection. Messages reach the
// operator through `messages`; every path ends with the pause, progress 0 and the close.
LoadOutcome RunLoadSequence(const LoadRequest& request, CUploadSocket& socket,
                            platform::ProgressSink& progress, platform::MessageSink& messages,
                            platform::Sleeper& sleeper);

}  // namespace tessaro::engine
