#include "engine/upload_link.h"

#include <gtest/gtest.h>

#include "engine/messages.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using testing::FakeStreamSocket;
using testing::Message;

// A socket object around a fake whose state the test can still read.
struct FakeLink {
  explicit FakeLink(FakeStreamSocket::Script script = {}, SocketOptions options = {}) {
    auto owned = std::make_unique<FakeStreamSocket>(script);
    fake = owned.get();
    socket = std::make_unique<CUploadSocket>(std::move(owned), options);
  }
  FakeStreamSocket* fake;
  std::unique_ptr<CUploadSocket> socket;
};

// ---- ConnectToCamera ----

TEST(ConnectToCamera, SetsExactlyTheSendBufferAndBothTimeoutsThenConnects) {
  FakeLink link;
  EXPECT_EQ(link.socket->ConnectToCamera("127.0.0.1", 8399), ConnectResult::Connected);
  EXPECT_EQ(link.fake->options, (std::vector<std::string>{"SO_SNDBUF=10240", "SO_SNDTIMEO=180000",
                                                          "SO_RCVTIMEO=180000"}));
  EXPECT_EQ(link.fake->connectedTo.first, (platform::Ipv4Address{127, 0, 0, 1}));
  EXPECT_EQ(link.fake->connectedTo.second, 8399);
  EXPECT_EQ(link.fake->connectLimit, std::chrono::milliseconds(0));  // the system's time-out
  EXPECT_TRUE(link.fake->open);
}

TEST(ConnectToCamera, WithoutABufferSizeLeavesTheSystemsAutotunedBuffer) {
  FakeLink link({}, SocketOptions{.sendBufferSize = std::nullopt});
  EXPECT_EQ(link.socket->ConnectToCamera("127.0.0.1", 8399), ConnectResult::Connected);
  EXPECT_EQ(link.fake->options,
            (std::vector<std::string>{"SO_SNDTIMEO=180000", "SO_RCVTIMEO=180000"}));
}

TEST(ConnectToCamera, NamesTheFailingStepAndLeavesTheSocketClosed) {
  struct Case {
    const char* name;
    FakeStreamSocket::Script script;
    ConnectResult result;
  };
  const Case cases[] = {
      {"create", {.createFails = true}, ConnectResult::NotCreated},
      {"send buffer", {.optionFailsAt = 0}, ConnectResult::OptionRefused},
      {"send time-out", {.optionFailsAt = 1}, ConnectResult::OptionRefused},
      {"receive time-out", {.optionFailsAt = 2}, ConnectResult::OptionRefused},
      {"connect", {.connectFails = true}, ConnectResult::ConnectFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLink link(c.script);
    std::string reason;
    EXPECT_EQ(link.socket->ConnectToCamera("127.0.0.1", 8399, &reason), c.result);
    EXPECT_FALSE(link.fake->open);
    EXPECT_FALSE(reason.empty());
  }
}

TEST(ConnectToCamera, LooksUpOnlyTextsThatAreNotDottedQuads) {
  std::vector<std::string> looked;
  auto lookup = [&](const std::string& host) -> std::optional<platform::Ipv4Address> {
    looked.push_back(host);
    if (host == "camera.test") return platform::Ipv4Address{127, 0, 0, 9};
    return std::nullopt;
  };
  auto owned = std::make_unique<FakeStreamSocket>();
  FakeStreamSocket* fake = owned.get();
  CUploadSocket socket(std::move(owned), {}, lookup);

  EXPECT_EQ(socket.ConnectToCamera("127.0.0.2", 8399), ConnectResult::Connected);
  EXPECT_EQ(fake->connectedTo.first, (platform::Ipv4Address{127, 0, 0, 2}));
  EXPECT_EQ(socket.ConnectToCamera("camera.test", 8399), ConnectResult::Connected);
  EXPECT_EQ(fake->connectedTo.first, (platform::Ipv4Address{127, 0, 0, 9}));
  EXPECT_EQ(socket.ConnectToCamera("no.such.test", 8399), ConnectResult::ConnectFailed);
  EXPECT_FALSE(fake->open);
  EXPECT_EQ(looked, (std::vector<std::string>{"camera.test", "no.such.test"}));
}

// ---- SendAll ----

TEST(SendAll, KeepsWritingUntilEveryByteIsTaken) {
  FakeLink link({.largestSend = 3});
  link.socket->ConnectToCamera("127.0.0.1", 8399);
  auto bytes = testing::PatternBytes(10);
  EXPECT_EQ(link.socket->SendAll(bytes.data(), bytes.size()), SendResult::Sent);
  EXPECT_EQ(link.fake->written, bytes);
  EXPECT_EQ(link.fake->sendSizes, (std::vector<std::size_t>{10, 7, 4, 1}));
}

TEST(SendAll, FailureKeepsTheSocketOpenButZeroClosesIt) {
  FakeLink failing({.failSendAfterBytes = 0});
  failing.socket->ConnectToCamera("127.0.0.1", 8399);
  std::uint8_t byte = 1;
  EXPECT_EQ(failing.socket->SendAll(&byte, 1), SendResult::Failed);
  EXPECT_TRUE(failing.fake->open);

  FakeLink zero({.sendReturnsZero = true});
  zero.socket->ConnectToCamera("127.0.0.1", 8399);
  EXPECT_EQ(zero.socket->SendAll(&byte, 1), SendResult::Failed);
  EXPECT_FALSE(zero.fake->open);

  EXPECT_EQ(zero.socket->SendAll(nullptr, 0), SendResult::Sent);
}

// ---- SendFirmwareImage ----

struct FrameCase {
  const char* name;
  std::uint32_t payloadLength;
  std::vector<std::size_t> payloadWrites;               // after the 1-byte and 4-byte writes
  std::vector<std::pair<std::size_t, int>> progressAt;  // (index among positions set, value)
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.name; }

class FrameWrites : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameWrites, StartByteLittleEndianLengthThenChunksOfAtMost49152) {
  const FrameCase& c = GetParam();
  FakeLink link;
  link.socket->ConnectToCamera("127.0.0.1", 8399);
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  auto payload = testing::PatternBytes(c.payloadLength);

  ASSERT_TRUE(SendFirmwareImage(*link.socket, payload.data(), c.payloadLength, progress, messages));

  std::vector<std::uint8_t> expected{0x72, static_cast<std::uint8_t>(c.payloadLength),
                                     static_cast<std::uint8_t>(c.payloadLength >> 8),
                                     static_cast<std::uint8_t>(c.payloadLength >> 16),
                                     static_cast<std::uint8_t>(c.payloadLength >> 24)};
  expected.insert(expected.end(), payload.begin(), payload.end());
  EXPECT_EQ(link.fake->written, expected);
  std::vector<std::size_t> writes{1, 4};
  writes.insert(writes.end(), c.payloadWrites.begin(), c.payloadWrites.end());
  EXPECT_EQ(link.fake->sendSizes, writes);
  EXPECT_EQ(progress.positions.front(), 0);
  EXPECT_EQ(progress.positions.back(), 100);
  EXPECT_EQ(progress.positions.size(), c.payloadWrites.size() + 1);
  for (auto [index, value] : c.progressAt) EXPECT_EQ(progress.positions.at(index), value) << index;
  EXPECT_TRUE(messages.messages.empty());
}

std::vector<std::size_t> Chunks(std::size_t full, std::size_t last) {
  std::vector<std::size_t> sizes(full, UPLOAD_CHUNK_SIZE);
  if (last > 0) sizes.push_back(last);
  return sizes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameWrites,
    ::testing::Values(FrameCase{"HundredByteFile", 102, {102}, {}},
                      FrameCase{"ExactlyOneChunk", 49152, {49152}, {}},
                      FrameCase{"OneByteOver", 49153, {49152, 1}, {{1, 99}}},
                      FrameCase{"MillionBytes", 1000000, Chunks(20, 16960), {{1, 4}}},
                      // 1,425,408 / 4,915,200 * 100 falls just below 29 in double precision.
                      FrameCase{"FallsJustBelow29", 4915200, Chunks(100, 0), {{29, 28}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FrameWrites, HundredByteFileIsA107ByteFrame) {
  FakeLink link;
  link.socket->ConnectToCamera("127.0.0.1", 8399);
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  auto payload = testing::PatternBytes(102);
  ASSERT_TRUE(SendFirmwareImage(*link.socket, payload.data(), 102, progress, messages));
  ASSERT_EQ(link.fake->written.size(), 107u);
  EXPECT_EQ(std::vector<std::uint8_t>(link.fake->written.begin(), link.fake->written.begin() + 5),
            (std::vector<std::uint8_t>{0x72, 0x66, 0x00, 0x00, 0x00}));
}

TEST(FrameWrites, ProgressCanFollowWhatTheCameraAcknowledged) {
  // 5 header bytes and 49152 of the 100000-byte payload acknowledged after the first chunk,
  // the rest after the second.
  FakeLink link({.acknowledged = {5 + 49152, 5 + 100000}});
  link.socket->ConnectToCamera("127.0.0.1", 8399);
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  auto payload = testing::PatternBytes(100000);
  ASSERT_TRUE(SendFirmwareImage(*link.socket, payload.data(), 100000, progress, messages,
                                ProgressBasis::Acknowledged));
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 49, 98, 100}));
}

TEST(ProgressPosition, TruncatesTheDoublePrecisionPercentage) {
  EXPECT_EQ(ProgressPosition(49152, 1000000), 4);
  EXPECT_EQ(ProgressPosition(49152, 49153), 99);
  EXPECT_EQ(ProgressPosition(29 * 49152, 4915200), 28);
  EXPECT_EQ(ProgressPosition(4915200, 4915200), 100);
  // Payloads of 2 GiB and more count up as well.
  EXPECT_EQ(ProgressPosition(0x80000000u, 0xFFFFFFFFu), 50);
  EXPECT_EQ(ProgressPosition(0xFFFFFFFFu, 0xFFFFFFFFu), 100);
}

TEST(SendFirmwareImageFailures, OnlyAnUnconnectedSocketFailsSilently) {
  struct Case {
    const char* name;
    bool connected;
    long long failAfter;
    std::vector<Message> messages;
    int lastProgress;
  };
  const Message closed{MessageKind::Warning, "Network connection is closed."};
  const Case cases[] = {
      {"never connected", false, -1, {}, 0},
      // Connected, then reset before the first byte: a lost connection, not a silent one.
      {"start byte", true, 0, {closed}, 0},
      {"length field", true, 3, {closed}, 0},
      {"payload", true, 5 + 49152 + 10, {closed}, 48},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLink link({.failSendAfterBytes = c.failAfter});
    if (c.connected) link.socket->ConnectToCamera("127.0.0.1", 8399);
    testing::RecordingProgress progress;
    testing::RecordingMessages messages;
    auto payload = testing::PatternBytes(102400);
    EXPECT_FALSE(SendFirmwareImage(*link.socket, payload.data(), 102400, progress, messages));
    EXPECT_EQ(messages.messages, c.messages);
    EXPECT_EQ(progress.positions.back(), c.lastProgress);
  }
}

}  // namespace
}  // namespace tessaro::engine
