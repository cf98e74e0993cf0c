#pragma once

#include <chrono>
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
  std::string firmwarePath;     // UTF-8
  unsigned port = UPLOAD_PORT;  // the dialog always uses the camera's port
};

// The dialog writes the frame and pauses. The command line, whose exit status promises delivery,
// first waits for the camera to acknowledge every byte (until none has come for `stallTimeout`),
// then pauses; its progress may follow the acknowledged bytes.
struct LoadOptions {
  bool waitForAcknowledgement = false;
  ProgressBasis progressBasis = ProgressBasis::Written;
  std::chrono::milliseconds stallTimeout = UPLOAD_SOCKET_TIMEOUT;
  std::chrono::milliseconds pollInterval{50};
};

enum class TransferResult { NotAttempted, Complete, Failed };

// What became of each step, for front ends that report it; the dialog shows only the messages.
struct LoadOutcome {
  std::string cameraAddress;             // the address text the connect was given
  bool channelAccepted = false;          // false: refused before connecting
  std::optional<ConnectResult> connect;  // empty when the Load stopped before connecting
  std::string connectError;              // why the connect failed, in the system's words
  std::optional<BuildResult> image;      // empty when the Load stopped before building
  std::uint64_t frameBytes = 0;          // with a built image: the whole frame on the wire
  TransferResult transfer = TransferResult::NotAttempted;
  DeliveryState delivery;  // with a complete transfer, at the close
};

// Everything between the press of Load and the close of the connection. Messages reach the
// operator through `messages`; every path ends with the pause, progress 0 and the close. A
// connection reset during the pause while the camera had not acknowledged every byte is a lost
// connection, like a reset during the writes.
LoadOutcome RunLoadSequence(const LoadRequest& request, CUploadSocket& socket,
                            platform::ProgressSink& progress, platform::MessageSink& messages,
                            platform::Sleeper& sleeper, const LoadOptions& options = {});

}  // namespace tessaro::engine
