// Whole Loads through the real system socket against a stand-in camera on 127.0.0.1: a clean
// upload, one row per camera or file fault, and the same socket object going on to a clean Load
// after each.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "engine/load_sequence.h"
#include "engine/messages.h"
#include "support/camera_thread.h"
#include "support/fakes.h"
#include "support/frames.h"
#include "support/load_request.h"
#include "support/silent_listener.h"
#include "support/temp_dir.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using std::chrono::milliseconds;
using testing::CameraThread;
using testing::Message;

constexpr std::size_t kLargeFile = 2'000'000;  // many times the 10240-byte send buffer

// Channel "1", marker R7Z42P_.
std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& file) {
  return testing::ExpectedFrame(0x01, 0x01, file);
}

constexpr milliseconds kStallTimeout{300};

class FaultMatrix : public ::testing::Test {
 protected:
  LoadOutcome Load(unsigned port, const std::string& path, std::string channel = "1",
                   platform::Ipv4Address address = {127, 0, 0, 1}) {
    progress.positions.clear();
    messages.messages.clear();
    return RunLoadSequence(testing::LoadRequestFor(path, std::move(channel), port, address), socket,
                           progress, messages, sleeper);
  }
  // The pause lasts this long for real (the product's is 2000 ms), so the camera can act in it.
  void PauseFor(milliseconds length) {
    sleeper.onSleep = [length] { std::this_thread::sleep_for(length); };
  }

  // After any fault the same socket object carries a clean Load.
  void ExpectNextLoadWorks() {
    auto file = testing::PatternBytes(3000);
    std::string path = dir.Write("R7Z42P_next.bin", file);
    CameraThread camera;
    LoadOutcome outcome = Load(camera.Port(), path);
    EXPECT_EQ(outcome.transfer, TransferResult::Complete);
    EXPECT_EQ(camera.Report().bytes, Frame(file));
  }

  testing::TempDir dir;
  // Short time-outs so the stalled camera row does not take three minutes; the product uses 180 s.
  CUploadSocket socket{
      platform::MakeSystemSocket(),
      SocketOptions{.sendTimeout = kStallTimeout, .receiveTimeout = kStallTimeout}};
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  testing::RecordingSleeper sleeper;
};

TEST_F(FaultMatrix, CameraReceivesExactlyTheFrameAcknowledgesItAndSeesAnOrderlyClose) {
  auto file = testing::PatternBytes(300000);
  std::string path = dir.Write("R7Z42WRS_x.bin", file);
  CameraThread camera;
  PauseFor(milliseconds(300));

  LoadOutcome outcome = Load(camera.Port(), path, "10");
  tools::ConnectionReport report = camera.Report();

  EXPECT_EQ(report.bytes, testing::ExpectedFrame(0x10, 3, file));
  EXPECT_TRUE(report.peerClosed);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(outcome.transfer, TransferResult::Complete);
  EXPECT_EQ(outcome.frameBytes, file.size() + 7);
  EXPECT_EQ(outcome.delivery.delivery, Delivery::Confirmed);
  EXPECT_EQ(progress.positions.back(), 0);
  ExpectNextLoadWorks();
}

TEST_F(FaultMatrix, PathWithoutMarkerOpensOneEmptyConnectionClosedAfterThePause) {
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

struct CameraFault {
  const char* name;
  tools::CamSimBehaviour behaviour;
  std::size_t fileSize;
  bool complete;          // false: "Network connection is closed."
  milliseconds pause{0};  // how long the pause really lasts
};

void PrintTo(const CameraFault& fault, std::ostream* out) { *out << fault.name; }

class CameraFaults : public FaultMatrix, public ::testing::WithParamInterface<CameraFault> {};

TEST_P(CameraFaults, MessageProgressAndBytesMatchWhatTheCameraDid) {
  const CameraFault& fault = GetParam();
  auto file = testing::PatternBytes(fault.fileSize);
  std::string path = dir.Write("R7Z42P_fw.bin", file);
  const std::vector<std::uint8_t> frame = Frame(file);
  CameraThread camera(fault.behaviour);
  PauseFor(fault.pause);

  LoadOutcome outcome = Load(camera.Port(), path);
  tools::ConnectionReport report = camera.Report();

  // Whatever arrived is the frame's beginning, byte for byte.
  ASSERT_LE(report.bytes.size(), frame.size());
  EXPECT_TRUE(std::equal(report.bytes.begin(), report.bytes.end(), frame.begin()));
  EXPECT_EQ(progress.positions.front(), 0);
  EXPECT_EQ(progress.positions.back(), 0);
  EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end() - 1));
  if (fault.complete) {
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(outcome.transfer, TransferResult::Complete);
    EXPECT_EQ(progress.positions.end()[-2], 100);
    if (!report.resetByCamera) {
      EXPECT_EQ(report.bytes, frame);
    }
  } else {
    EXPECT_EQ(messages.messages,
              (std::vector<Message>{{MessageKind::Warning, "Network connection is closed."}}));
    EXPECT_EQ(outcome.transfer, TransferResult::Failed);
  }
  ExpectNextLoadWorks();
}

INSTANTIATE_TEST_SUITE_P(
    Table, CameraFaults,
    ::testing::Values(
        CameraFault{
            "ResetBeforeReading", {.resetAfter = 0, .receiveBuffer = 4096}, kLargeFile, false},
        CameraFault{
            "ResetAfterLengthField", {.resetAfter = 5, .receiveBuffer = 4096}, kLargeFile, false},
        CameraFault{"ResetAfterHalfThePayload",
                    {.resetAfter = 5 + kLargeFile / 2, .receiveBuffer = 4096},
                    kLargeFile,
                    false},
        // The socket had taken every byte before the reset came: the transfer is complete.
        CameraFault{"ResetAfterTheLastByte", {.resetAfter = 7 + kLargeFile}, kLargeFile, true},
        CameraFault{"HalfClosesAndKeepsReading", {.halfClose = true}, kLargeFile, true},
        // The send time-out (shortened here) passes while the camera reads nothing.
        CameraFault{
            "NeverReads", {.stall = milliseconds(1500), .receiveBuffer = 4096}, kLargeFile, false},
        CameraFault{"StopsReadingPartWay",
                    {.stopReadingAfter = 200000, .hold = milliseconds(1500), .receiveBuffer = 4096},
                    kLargeFile,
                    false},
        // Every write succeeds, since the frame fits the send buffer, but the camera resets
        // during the pause without having acknowledged it: lost, not delivered.
        CameraFault{"ResetsDuringThePauseWithBytesUnacknowledged",
                    {.resetAfter = 0, .stall = milliseconds(600), .receiveBuffer = 1024},
                    8000,
                    false,
                    milliseconds(1000)},
        // The camera had acknowledged everything before it reset: nothing to tell.
        CameraFault{"ResetsDuringThePauseAfterAcknowledgingAll",
                    {.resetAfter = 8007},
                    8000,
                    true,
                    milliseconds(500)},
        CameraFault{"ReadsOneByteAtATimeSlowly",
                    {.readSize = 1, .readDelay = milliseconds(1)},
                    1500,
                    true}),
    [](const auto& row) { return std::string(row.param.name); });

// A camera that stops reading fails the Load once it has taken no byte for one send time-out,
// however the system splits the waiting writes.
TEST_F(FaultMatrix, CameraThatStopsReadingFailsAfterOneStallTimeoutNotTwo) {
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(kLargeFile));
  CameraThread camera(
      {.stopReadingAfter = 200000, .hold = 6 * kStallTimeout, .receiveBuffer = 4096});
  std::chrono::steady_clock::time_point told;
  messages.onMessage = [&] { told = std::chrono::steady_clock::now(); };

  Load(camera.Port(), path);
  tools::ConnectionReport report = camera.Report();

  ASSERT_TRUE(report.stoppedReading);
  ASSERT_EQ(messages.messages.size(), 1u);
  const auto stalled = told - *report.lastByte;
  EXPECT_GE(stalled, kStallTimeout);
  EXPECT_LT(stalled, 2 * kStallTimeout);
}

TEST_F(FaultMatrix, RefusedConnectionShowsNothing) {
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(1000));
  LoadOutcome outcome = Load(testing::UnusedLoopbackPort(), path);
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_FALSE(outcome.connectError.empty());
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 0}));
  ExpectNextLoadWorks();
}

TEST_F(FaultMatrix, ConnectTimeoutGivesUpOnACameraThatNeverAnswers) {
  std::string path = dir.Write("R7Z42P_fw.bin", testing::PatternBytes(1000));
  testing::SilentListener camera;
  CUploadSocket limited{platform::MakeSystemSocket(),
                        SocketOptions{.connectTimeout = milliseconds(300)}};

  LoadOutcome outcome = RunLoadSequence(testing::LoadRequestFor(path, "1", camera.Port()), limited,
                                        progress, messages, sleeper);

  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_EQ(outcome.connectError, "no answer within the connect time-out of 300 ms");
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 0}));
  ExpectNextLoadWorks();  // a limited connect leaves the socket as blocking as ever
}

// On Linux 0.0.0.0 reaches this machine: a camera listening here must not see a connection.
TEST_F(FaultMatrix, BlankAddressFailsAtOnceInsteadOfReachingThisMachine) {
  std::string path = dir.Write("R7Z42P_x.bin", testing::PatternBytes(100));
  tools::CamSim camera;
  std::string error;
  ASSERT_TRUE(camera.Listen(0, error)) << error;

  LoadOutcome outcome = Load(camera.Port(), path, "1", {0, 0, 0, 0});

  EXPECT_EQ(outcome.cameraAddress, "0.0.0.0");
  EXPECT_EQ(outcome.connect, ConnectResult::ConnectFailed);
  EXPECT_EQ(outcome.connectError, "0.0.0.0 is not a destination address");
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_FALSE(camera.ServeOne(milliseconds(200))) << "a connection reached this machine";
}

// ---- The file side: each is refused with its message and no byte of a frame is sent ----

struct FileFault {
  const char* name;
  std::function<std::string(const testing::TempDir&)> makePath;
  MessageKind kind;
  const char* message;  // followed by the path
};

void PrintTo(const FileFault& fault, std::ostream* out) { *out << fault.name; }

class FileFaults : public FaultMatrix, public ::testing::WithParamInterface<FileFault> {};

TEST_P(FileFaults, RefusedWithItsMessageAndNoPartialFrame) {
  const FileFault& fault = GetParam();
  std::string path = fault.makePath(dir);
  CameraThread camera;

  LoadOutcome outcome = Load(camera.Port(), path);
  tools::ConnectionReport report = camera.Report();

  EXPECT_EQ(messages.messages, (std::vector<Message>{{fault.kind, fault.message + path}}));
  EXPECT_EQ(outcome.image, BuildResult::Refused);
  EXPECT_EQ(report.frame.ByteCount(), 0u);
  EXPECT_TRUE(report.peerClosed);
  ExpectNextLoadWorks();
}

std::string RemovedAfterChoosing(const testing::TempDir& dir) {
  std::string path = dir.Write("R7Z42P_gone.bin", testing::PatternBytes(100));
  std::filesystem::remove(path);
  return path;
}

std::string Folder(const testing::TempDir& dir) {
  auto path = dir.Path() / "R7Z42P_folder";
  std::filesystem::create_directories(path);
  return path.string();
}

// A file that holds more than its measured length when read: it grew.
std::string Grows(const testing::TempDir& dir) {
  std::string path = (dir.Path() / "R7Z42P_grows").string();
  std::filesystem::create_symlink("/proc/self/status", path);
  return path;
}

// A file that holds less than its measured length when read: it shrank. Every sysfs attribute
// measures a page and holds a line.
std::string Shrinks(const testing::TempDir& dir) {
  std::string path = (dir.Path() / "R7Z42P_shrinks").string();
  std::filesystem::create_symlink("/sys/devices/system/cpu/online", path);
  return path;
}

std::string JustOverTheLengthLimit(const testing::TempDir& dir) {
  std::string path = dir.Write("R7Z42P_huge.bin", {});
  std::filesystem::resize_file(path, 0xFFFFFFFEull);  // sparse: no disk used
  return path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileFaults,
    ::testing::Values(FileFault{"RemovedAfterChoosing", RemovedAfterChoosing, MessageKind::Error,
                                "Can't Open  "},
                      FileFault{"Folder", Folder, MessageKind::Error, "Can't Open  "},
                      FileFault{"GrowsWhileRead", Grows, MessageKind::Error, "Can't Read  "},
                      FileFault{"ShrinksWhileRead", Shrinks, MessageKind::Error, "Can't Read  "},
                      FileFault{"JustOverTheLengthLimit", JustOverTheLengthLimit,
                                MessageKind::Error, MESSAGE_TOO_LARGE}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(FaultMatrix, EmptyFileIsATwoBytePayload) {
  std::string path = dir.Write("R7Z42P_empty.bin", {});
  CameraThread camera;
  LoadOutcome outcome = Load(camera.Port(), path);
  EXPECT_EQ(camera.Report().bytes, (std::vector<std::uint8_t>{0x72, 2, 0, 0, 0, 0x01, 0x01}));
  EXPECT_EQ(outcome.transfer, TransferResult::Complete);
  EXPECT_EQ(progress.positions, (std::vector<int>{0, 100, 0}));
}

// ---- Load after load ----

std::size_t OpenFileDescriptors() {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST_F(FaultMatrix, FiveHundredLoadsThroughOneSocketLeakNeitherDescriptorsNorMemory) {
  constexpr int kLoads = 500;
  auto file = testing::PatternBytes(20000);
  std::string path = dir.Write("R7Z42P_fw.bin", file);
  tools::CamSim camera;
  std::string error;
  ASSERT_TRUE(camera.Listen(0, error)) << error;
  std::atomic<int> complete{0}, served{0};
  std::thread server([&] {
    for (int i = 0; i < kLoads; ++i) {
      auto report = camera.ServeOne(std::chrono::seconds(10));
      if (report && report->frame.Complete()) ++complete;
      ++served;
    }
  });

  auto loadSome = [&](int count) {
    for (int i = 0; i < count; ++i) Load(camera.Port(), path);
  };
  loadSome(50);  // warm up allocator and caches before measuring
  // Measure with no connection open on the camera's side either.
  while (served < 50) std::this_thread::sleep_for(milliseconds(1));
  const std::size_t descriptorsBefore = OpenFileDescriptors();
  const long residentBefore = ResidentKiB();
  loadSome(kLoads - 50);
  server.join();

  EXPECT_EQ(complete.load(), kLoads);
  EXPECT_EQ(OpenFileDescriptors(), descriptorsBefore);
#ifndef __SANITIZE_ADDRESS__
  // (AddressSanitizer keeps freed memory in quarantine; there LeakSanitizer checks instead.)
  EXPECT_LT(ResidentKiB() - residentBefore, 1024) << "resident memory grew by more than 1 MiB";
#else
  (void)residentBefore;
#endif
}

}  // namespace
}  // namespace tessaro::engine
