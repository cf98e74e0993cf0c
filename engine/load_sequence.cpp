#include "engine/load_sequence.h"

#include "engine/channel.h"
#include "engine/messages.h"

namespace tessaro::engine {

LoadOutcome RunLoadSequence(const LoadRequest& request, CUploadSocket& socket,
                            platform::ProgressSink& progress, platform::MessageSink& messages,
                            platform::Sleeper& sleeper) {
  LoadOutcome outcome;
  outcome.cameraAddress = platform::FormatDottedQuad(request.address);

  std::optional<std::int32_t> channel = ParseChannelText(request.channelText);
  outcome.channelAccepted = channel.has_value();
  if (!channel) {
    // Nothing converted from the channel text: better no upload than one to a guessed channel.
    messages.ShowMessage(platform::MessageKind::Warning, MESSAGE_NO_CHANNEL);
  } else {
    // Not consulted: after a failed connect the first write fails and nothing is shown.
    outcome.connect = socket.ConnectToCamera(outcome.cameraAddress, request.port);

    FirmwareImage image;
    outcome.image = BuildFirmwareImage(*channel, request.firmwarePath, messages, image);
    if (*outcome.image == BuildResult::Built) {
      outcome.transfer =
          SendFirmwareImage(socket, image.buffer.get(), image.length, progress, messages)
              ? TransferResult::Complete
              : TransferResult::Failed;
    }
  }  // the image is freed here, before the pause

  sleeper.Sleep(LOAD_END_PAUSE);
  progress.SetPosition(0);
  socket.Close();
  return outcome;
}

}  // namespace tessaro::engine
