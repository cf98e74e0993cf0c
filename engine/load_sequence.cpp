#include "engine/load_sequence.h"

#include "engine/channel.h"
#include "engine/messages.h"

namespace tessaro::engine {

namespace {

// Waits in steps while the camera still acknowledges bytes, and gives up once none has come for
// the stall time-out.
DeliveryState AwaitAcknowledgement(const CUploadSocket& socket, std::uint64_t frameBytes,
                                   DeliveryState state, platform::Sleeper& sleeper,
                                   const LoadOptions& options) {
  std::chrono::milliseconds quiet{0};
  while (state.delivery == Delivery::Unconfirmed && quiet < options.stallTimeout) {
    sleeper.Sleep(options.pollInterval);
    DeliveryState now = CheckDelivery(socket, frameBytes);
    quiet = now.unacknowledgedBytes < state.unacknowledgedBytes ? std::chrono::milliseconds(0)
                                                                : quiet + options.pollInterval;
    state = now;
  }
  return state;
}

}  // namespace

LoadOutcome RunLoadSequence(const LoadRequest& request, CUploadSocket& socket,
                            platform::ProgressSink& progress, platform::MessageSink& messages,
                            platform::Sleeper& sleeper, const LoadOptions& options) {
  LoadOutcome outcome;
  outcome.cameraAddress = platform::FormatDottedQuad(request.address);

  std::optional<std::int32_t> channel = ParseChannelText(request.channelText);
  outcome.channelAccepted = channel.has_value();
  if (!channel) {
    // Nothing converted from the channel text: better no upload than one to a guessed channel.
    messages.ShowMessage(platform::MessageKind::Warning, MESSAGE_NO_CHANNEL);
  } else {
    // Not consulted: after a failed connect the first write fails and nothing is shown.
    outcome.connect =
        socket.ConnectToCamera(outcome.cameraAddress, request.port, &outcome.connectError);

    FirmwareImage image;
    outcome.image = BuildFirmwareImage(*channel, request.firmwarePath, messages, image);
    if (*outcome.image == BuildResult::Built) {
      outcome.fileBytes = image.length - IMAGE_PREFIX_SIZE;
      outcome.frameBytes = FrameBytes(image.length);
      outcome.transfer =
          SendFirmwareImage(socket, image.buffer.get(), image.length, progress, messages)
              ? TransferResult::Complete
              : TransferResult::Failed;
    }
  }  // the image is freed here, before the pause

  sleeper.Sleep(LOAD_END_PAUSE);
  if (outcome.transfer == TransferResult::Complete) {
    outcome.delivery = CheckDelivery(socket, outcome.frameBytes);
    if (options.waitForAcknowledgement)
      outcome.delivery =
          AwaitAcknowledgement(socket, outcome.frameBytes, outcome.delivery, sleeper, options);
    // Every write succeeded, yet the camera reset the connection before it had the frame.
    if (outcome.delivery.delivery == Delivery::Lost) {
      messages.ShowMessage(platform::MessageKind::Warning, MESSAGE_CONNECTION_CLOSED);
      outcome.transfer = TransferResult::Failed;
    }
  }
  progress.SetPosition(0);
  socket.Close();
  return outcome;
}

}  // namespace tessaro::engine
