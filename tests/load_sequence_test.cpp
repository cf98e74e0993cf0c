#include "engine/load_sequence.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/load_request.h"
#include "support/temp_dir.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using testing::FakeStreamSocket;
using testing::Message;

class LoadSequence : public ::testing::Test {
 protected:
  LoadSequence() {
    auto owned = std::make_unique<FakeStreamSocket>(script);
    fake = owned.get();
    socket = std::make_unique<CUploadSocket>(std::move(owned));
  }
  void UseScript(FakeStreamSocket::Script newScript) {
    auto owned = std::make_unique<FakeStreamSocket>(newScript);
    fake = owned.get();
    socket = std::make_unique<CUploadSocket>(std::move(owned));
  }
  LoadOutcome Run(const LoadRequest& request, const LoadOptions& options = {}) {
    return RunLoadSequence(request, *socket, progress, messages, sleeper, options);
  }
  static LoadRequest Request(std::string channel, std::string path) {
    return testing::LoadRequestFor(std::move(path), std::move(channel));
  }

  testing::TempDir dir;
  FakeStreamSocket::Script script;
  FakeStreamSocket* fake = nullptr;
  std::unique_ptr<CUploadSocket> socket;
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  testing::RecordingSleeper sleeper;
};

TEST_F(LoadSequence, ConnectsSendsThenPausesWithTheBarAt100BeforeResettingAndClosing) {
  auto file = testing::PatternBytes(1000);
  std::string path = dir.Write("R7Z42WRS_fw.bin", file);
  sleeper.onSleep = [&] {
    EXPECT_TRUE(fake->open) << "closed before the pause";
    EXPECT_EQ(progress.positions.back(), 100);
  };

  LoadOutcome outcome = Run(Request("10", path));

  EXPECT_EQ(sleeper.pauses,
            (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(2000)}));
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 100, 0}));
  EXPECT_FALSE(fake->open);
  EXPECT_EQ(fake->connectedTo.second, 8399);
  ASSERT_EQ(fake->written.size(), file.size() + 7);
  EXPECT_EQ(fake->written[5], 0x10);
  EXPECT_EQ(fake->written[6], 3);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(outcome.connect, ConnectResult::Connected);
  EXPECT_EQ(outcome.image, BuildResult::Built);
  EXPECT_EQ(outcome.transfer, TransferResult::Complete);
}

TEST_F(LoadSequence, FormatsTheAddressFieldZeroLeftmostWithoutLeadingZeros) {
  LoadRequest request = Request("1", "no marker");
  request.address = {192, 168, 0, 20};  // handed to the fake only: nothing is connected
  EXPECT_EQ(Run(request).cameraAddress, "192.168.0.20");
  EXPECT_EQ(fake->connectedTo.first, (platform::Ipv4Address{192, 168, 0, 20}));
}

TEST_F(LoadSequence, ChannelTextTravelsAsItsHexadecimalLowByte) {
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(4));
  const std::pair<const char*, std::uint8_t> cases[] = {
      {"9", 0x09}, {"10", 0x10}, {"32", 0x32}, {"1F0", 0xF0}, {"-1", 0xFF}};
  for (auto [text, byte] : cases) {
    SCOPED_TRACE(text);
    UseScript({});
    Run(Request(text, path));
    ASSERT_GT(fake->written.size(), 5u);
    EXPECT_EQ(fake->written[5], byte);
  }
}

TEST_F(LoadSequence, ChannelFromWhichNothingConvertsIsRefusedBeforeConnecting) {
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(4));
  for (const char* text : {"", "zz"}) {
    SCOPED_TRACE(text);
    UseScript({});
    messages.messages.clear();
    progress.positions.clear();
    LoadOutcome outcome = Run(Request(text, path));
    EXPECT_EQ(messages.messages,
              (std::vector<Message>{{MessageKind::Warning, "Please select Channel!!"}}));
    EXPECT_EQ(fake->creates, 0);
    EXPECT_TRUE(fake->written.empty());
    EXPECT_EQ(progress.positions, (std::vector<int>{0}));
    EXPECT_FALSE(outcome.channelAccepted);
    EXPECT_FALSE(outcome.connect.has_value());
  }
}

TEST_F(LoadSequence, RefusedFileStillOpensTheConnectionSendsNothingAndEndsNormally) {
  LoadOutcome outcome = Run(Request("1", (dir.Path() / "plain.bin").string()));
  EXPECT_EQ(messages.messages,
            (std::vector<Message>{{MessageKind::Warning, "Please select Camera Firmware!!"}}));
  EXPECT_EQ(fake->creates, 1);
  EXPECT_TRUE(fake->written.empty());
  EXPECT_EQ(fake->closes, 1);
  EXPECT_EQ(sleeper.pauses.size(), 1u);
  EXPECT_EQ(progress.positions, (std::vector<int>{0}));
  EXPECT_EQ(outcome.image, BuildResult::Refused);
  EXPECT_EQ(outcome.transfer, TransferResult::NotAttempted);
}

TEST_F(LoadSequence, FailedConnectShowsNothingAndTheBarStaysAtZero) {
  UseScript({.connectFails = true});
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(100));
  LoadOutcome outcome = Run(Request("1", path));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 0}));
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_EQ(outcome.transfer, TransferResult::Failed);
}

TEST_F(LoadSequence, LostConnectionKeepsItsPercentageThroughThePause) {
  UseScript({.failSendAfterBytes = 5 + 49152 * 2});
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(200000));
  sleeper.onSleep = [&] { EXPECT_EQ(progress.positions.back(), 49); };
  LoadOutcome outcome = Run(Request("1", path));
  EXPECT_EQ(messages.messages,
            (std::vector<Message>{{MessageKind::Warning, "Network connection is closed."}}));
  EXPECT_EQ(progress.positions.back(), 0);
  EXPECT_EQ(outcome.transfer, TransferResult::Failed);
}

// ---- After the last write: what the camera's TCP acknowledged ----

struct DeliveryCase {
  const char* name;
  FakeStreamSocket::Script script;  // with a 100-byte file the frame is 107 bytes
  bool waitForAcknowledgement;
  Delivery delivery;
  std::uint64_t unacknowledged;
  bool warned;  // "Network connection is closed."
  std::size_t pauses;
};

void PrintTo(const DeliveryCase& c, std::ostream* out) { *out << c.name; }

class Deliveries : public LoadSequence, public ::testing::WithParamInterface<DeliveryCase> {};

TEST_P(Deliveries, OnlyAFrameTheCameraAcknowledgedCountsAsDelivered) {
  const DeliveryCase& c = GetParam();
  UseScript(c.script);
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(100));
  const LoadOptions options{.waitForAcknowledgement = c.waitForAcknowledgement,
                            .stallTimeout = std::chrono::milliseconds(200),
                            .pollInterval = std::chrono::milliseconds(50)};

  LoadOutcome outcome = Run(Request("1", path), options);

  EXPECT_EQ(outcome.delivery.delivery, c.delivery);
  EXPECT_EQ(outcome.delivery.unacknowledgedBytes, c.unacknowledged);
  EXPECT_EQ(outcome.transfer, c.warned ? TransferResult::Failed : TransferResult::Complete);
  const std::vector<Message> warning{{MessageKind::Warning, "Network connection is closed."}};
  EXPECT_EQ(messages.messages, c.warned ? warning : std::vector<Message>());
  EXPECT_EQ(sleeper.pauses.size(), c.pauses);
  EXPECT_EQ(sleeper.pauses.back(), std::chrono::milliseconds(2000));  // the pause comes last
  EXPECT_EQ(progress.positions.back(), 0);
  EXPECT_FALSE(fake->open);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Deliveries,
    ::testing::Values(
        DeliveryCase{"AllAcknowledged", {}, false, Delivery::Confirmed, 0, false, 1},
        DeliveryCase{"ResetAfterAllAcknowledged",
                     {.failsAfterWriting = true},
                     false,
                     Delivery::Confirmed,
                     0,
                     false,
                     1},
        DeliveryCase{"ResetWithBytesUnacknowledged",
                     {.acknowledged = {100}, .failsAfterWriting = true},
                     false,
                     Delivery::Lost,
                     7,
                     true,
                     1},
        // The dialog's pause is all it waits: still up, not yet acknowledged, nothing to say.
        DeliveryCase{"DialogDoesNotWaitOn",
                     {.acknowledged = {100}},
                     false,
                     Delivery::Unconfirmed,
                     7,
                     false,
                     1},
        DeliveryCase{"CommandLineWaitsForTheLastAcknowledgement",
                     {.acknowledged = {50, 90, 100, 107}},
                     true,
                     Delivery::Confirmed,
                     0,
                     false,
                     4},
        // 200 ms without an acknowledgement, polled every 50 ms.
        DeliveryCase{"CommandLineGivesUpAfterTheStallTimeout",
                     {.acknowledged = {80, 100}},
                     true,
                     Delivery::Unconfirmed,
                     7,
                     false,
                     6},
        DeliveryCase{"SystemCannotTell",
                     {.unknownAcknowledged = true, .failsAfterWriting = true},
                     true,
                     Delivery::Unknown,
                     0,
                     false,
                     1}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tessaro::engine
