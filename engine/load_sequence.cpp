#include "engine/load_sequence.h"

#include "engine/channel.h"
#include "engine/messages.h"

namespace tessaro::engine {

namespace {

// Waits in steps while the camera still acknowledges bytes, and gives up once none has come for
// the stall time-out.
void AwaitAcknowledgement(const CUploadSocket& socket, std::uint32_t payloadLength,
                          platform::ProgressSink& progress, platform::Sleeper& sleeper,
                          const LoadOptions& options) {
  const std::uint64_t frameBytes = FrameBytes(payloadLength);
  auto check = [&] {
    DeliveryState state = CheckDelivery(socket, frameBytes);
    if (options.progressBasis == ProgressBasis::Acknowledged &&
        (state.delivery == Delivery::Confirmed || state.delivery == Delivery::Unconfirmed))
      progress.SetPosition(AcknowledgedPosition(frameBytes - state.unacknowledgedBytes,
                                                payloadLength, payloadLength));
    return state;
  };
  DeliveryState state = check();
  std::chrono::milliseconds quiet{0};
  while (state.delivery == Delivery::Unconfirmed && quiet < options.stallTimeout) {
    sleeper.Sleep(options.pollInterval);
    DeliveryState now = check();
    quiet = now.unacknowledgedBytes < state.unacknowledgedBytes ? std::chrono::milliseconds(0)
                                                                : quiet + options.pollInterval;
    state = now;
  }
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
      outcome.frameBytes = FrameBytes(image.length);
      outcome.transfer = SendFirmwareImage(socket, image.buffer.get(), image.length, progress,
                                           messages, options.progressBasis)
                             ? TransferResult::Complete
                             : TransferResult::Failed;
      if (outcome.transfer == TransferResult::Complete && options.waitForAcknowledgement)
        AwaitAcknowledgement(socket, image.length, progress, sleeper, options);
    }
  }  // the image is freed here, before the pause

  sleeper.Sleep(LOAD_END_PAUSE);
  if (outcome.transfer == TransferResult::Complete) {
    outcome.delivery = CheckDelivery(socket, outcome.frameBytes);
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
