// The engine against a stand-in camera on 127.0.0.1 through the real system socket.

#include <gtest/gtest.h>

#include "engine/load_sequence.h"
#include "support/camera_thread.h"
#include "support/fakes.h"
#include "support/frames.h"
#include "support/load_request.h"
#include "support/temp_dir.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using std::chrono::milliseconds;
using testing::CameraThread;
using testing::Message;

class Loopback : public ::testing::Test {
 protected:
  LoadOutcome Load(unsigned port, const std::string& path, std::string channel = "1",
                   platform::Ipv4Address address = {127, 0, 0, 1}) {
    return RunLoadSequence(testing::LoadRequestFor(path, std::move(channel), port, address), socket,
                           progress, messages, sleeper);
  }

  testing::TempDir dir;
  CUploadSocket socket;
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  testing::RecordingSleeper sleeper;
};

TEST_F(Loopback, CameraReceivesExactlyTheFrameThenAnOrderlyClose) {
  auto file = testing::PatternBytes(300000);
  std::string path = dir.Write("R7Z42WRS_x.bin", file);
  CameraThread camera;

  LoadOutcome outcome = Load(camera.Port(), path, "10");
  tools::ConnectionReport report = camera.Report();

  EXPECT_EQ(report.bytes, testing::ExpectedFrame(0x10, 3, file));
  EXPECT_TRUE(report.frame.Complete());
  EXPECT_TRUE(report.peerClosed);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(outcome.transfer, TransferResult::Complete);
  EXPECT_EQ(progress.positions.back(), 0);
}

TEST_F(Loopback, OneSocketObjectServesLoadAfterLoad) {
  auto file = testing::PatternBytes(5000);
  std::string path = dir.Write("R7Z42P_x.bin", file);
  for (int load = 0; load < 3; ++load) {
    CameraThread camera;
    Load(camera.Port(), path);
    EXPECT_EQ(camera.Report().bytes, testing::ExpectedFrame(0x01, 1, file)) << "load " << load;
  }
}

TEST_F(Loopback, PathWithoutMarkerOpensOneEmptyConnectionClosedAfterThePause) {
  std::string path = dir.Write("firmware.bin", testing::PatternBytes(100));
  CameraThread camera;
  std::chrono::steady_clock::time_point pauseEnded;
  sleeper.onSleep = [&] {
    std::this_thread::sleep_for(milliseconds(300));  // a stand-in for the 2000 ms asked for
    pauseEnded = std::chrono::steady_clock::now();
  };

  Load(camera.Port(), path);
  tools::ConnectionReport report = camera.Report();

  EXPECT_EQ(messages.messages,
            (std::vector<Message>{{MessageKind::Warning, "Please select Camera Firmware!!"}}));
  EXPECT_EQ(sleeper.pauses, (std::vector<milliseconds>{milliseconds(2000)}));
  EXPECT_EQ(report.frame.ByteCount(), 0u);
  EXPECT_TRUE(report.peerClosed);
  EXPECT_GE(report.ended, pauseEnded) << "the connection ended before the pause did";
}

TEST_F(Loopback, RefusedConnectionShowsNoMessage) {
  std::string path = dir.Write("R7Z42P_x.bin", testing::PatternBytes(100));
  LoadOutcome outcome = Load(testing::UnusedLoopbackPort(), path);
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 0}));
  EXPECT_FALSE(socket.ConnectError().empty());
}

TEST_F(Loopback, BlankAddressFailsAtOnceInsteadOfReachingThisMachine) {
  std::string path = dir.Write("R7Z42P_x.bin", testing::PatternBytes(100));
  LoadOutcome outcome = Load(UPLOAD_PORT, path, "1", {0, 0, 0, 0});
  EXPECT_EQ(outcome.cameraAddress, "0.0.0.0");
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Loopback, ResetPartWayThroughIsConnectionClosedAndTheProcessLivesOn) {
  // Several times the send buffer, so bytes are still to be handed over when the reset comes.
  auto file = testing::PatternBytes(2'000'000);
  std::string path = dir.Write("R7Z42LK_x.bin", file);
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    messages.messages.clear();
    CameraThread camera({.resetAfter = 100000, .receiveBuffer = 4096});
    LoadOutcome outcome = Load(camera.Port(), path);
    EXPECT_TRUE(camera.Report().resetByCamera);
    EXPECT_EQ(messages.messages,
              (std::vector<Message>{{MessageKind::Warning, "Network connection is closed."}}));
    EXPECT_EQ(outcome.transfer, TransferResult::Failed);
  }
}

}  // namespace
}  // namespace tessaro::engine
