// The engine through the Winsock socket against a camera on 127.0.0.1: the rows of the fault
// matrix that need no POSIX stand-in.

#include <gtest/gtest.h>

#include "../support/fakes.h"
#include "../support/frames.h"
#include "../support/load_request.h"
#include "../support/temp_dir.h"
#include "engine/load_sequence.h"
#include "winsock_listener.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using testing::Message;
using testing::WinsockListener;

class WinsockLoopback : public ::testing::Test {
 protected:
  LoadOutcome Load(unsigned port, const std::string& path, std::string channel = "1",
                   platform::Ipv4Address address = {127, 0, 0, 1}) {
    messages.messages.clear();
    progress.positions.clear();
    return RunLoadSequence(testing::LoadRequestFor(path, std::move(channel), port, address), socket,
                           progress, messages, sleeper);
  }

  testing::TempDir dir;
  CUploadSocket socket{platform::MakeSystemSocket(),
                       SocketOptions{.sendTimeout = std::chrono::milliseconds(2000)}};
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  testing::RecordingSleeper sleeper;
};

TEST_F(WinsockLoopback, CameraReceivesExactlyTheFrameLoadAfterLoad) {
  auto file = testing::PatternBytes(300000);
  std::string path = dir.Write("R7Z42WRS_x.bin", file);
  for (int load = 0; load < 2; ++load) {
    SCOPED_TRACE(load);
    WinsockListener camera;
    LoadOutcome outcome = Load(camera.Port(), path, "10");
    EXPECT_EQ(camera.Bytes(), testing::ExpectedFrame(0x10, 3, file));
    EXPECT_EQ(outcome.transfer, TransferResult::Complete);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(progress.positions.back(), 0);
  }
}

TEST_F(WinsockLoopback, ResetPartWayThroughIsConnectionClosed) {
  auto file = testing::PatternBytes(4'000'000);
  std::string path = dir.Write("R7Z42LK_x.bin", file);
  WinsockListener camera(100000, 4096);
  LoadOutcome outcome = Load(camera.Port(), path);
  auto bytes = camera.Bytes();
  EXPECT_EQ(outcome.transfer, TransferResult::Failed);
  EXPECT_EQ(messages.messages,
            (std::vector<Message>{{MessageKind::Warning, "Network connection is closed."}}));
  const auto frame = testing::ExpectedFrame(1, 3, file);
  ASSERT_LE(bytes.size(), frame.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), frame.begin()));
}

TEST_F(WinsockLoopback, RefusedConnectionShowsNothing) {
  unsigned port;
  {
    WinsockListener probe;
    port = probe.Port();
  }  // given back: nothing listens there now
  std::string path = dir.Write("R7Z42P_x.bin", testing::PatternBytes(100));
  LoadOutcome outcome = Load(port, path);
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_FALSE(outcome.connectError.empty());
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 0}));
}

TEST_F(WinsockLoopback, BlankAddressFailsAtOnce) {
  std::string path = dir.Write("R7Z42P_x.bin", testing::PatternBytes(100));
  LoadOutcome outcome = Load(8399, path, "1", {0, 0, 0, 0});
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_EQ(outcome.connectError, "0.0.0.0 is not a destination address");
  EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace tessaro::engine
