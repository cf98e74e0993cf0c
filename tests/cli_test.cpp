// tessaro-cli run as a script would run it, against a stand-in camera on 127.0.0.1.

#include <gtest/gtest.h>

#include <future>

#include "platform/sha256.h"
#include "support/camera_thread.h"
#include "support/frames.h"
#include "support/run_process.h"
#include "support/silent_listener.h"
#include "support/temp_dir.h"

namespace tessaro {
namespace {

using testing::CameraThread;
using testing::RunProcess;

testing::ProcessResult RunCli(const std::vector<std::string>& args) {
  return RunProcess(TESSARO_CLI_PATH, args);
}

std::string Sha256Of(const std::vector<std::uint8_t>& bytes) {
  platform::Sha256 hash;
  hash.Update(bytes.data(), bytes.size());
  return hash.HexDigest();
}

TEST(Cli, DeliversTheFrameAndClosesAboutTwoSecondsAfterTheLastByte) {
  testing::TempDir dir;
  auto file = testing::PatternBytes(250000);
  std::string path = dir.Write("SOME/R7Z42WRS_x.bin", file);
  CameraThread camera;

  auto result = RunCli(
      {"--ip", "127.0.0.1", "--port", std::to_string(camera.Port()), "--channel", "10", path});
  tools::ConnectionReport report = camera.Report();

  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(report.bytes, testing::ExpectedFrame(0x10, 0x03, file));
  EXPECT_EQ(std::vector<std::uint8_t>(report.bytes.begin(), report.bytes.begin() + 5),
            (std::vector<std::uint8_t>{0x72, 0x92, 0xD0, 0x03, 0x00}));  // 250002 = 0x3D092
  ASSERT_TRUE(report.peerClosed);
  auto pause = report.ended - *report.lastByte;
  EXPECT_GE(pause, std::chrono::milliseconds(1900));
  EXPECT_EQ(result.err.find("file sha256: " + Sha256Of(file) + "\nprogress: 0%\n"), 0u)
      << result.err;
  EXPECT_NE(result.err.find("progress: 100%\nprogress: 0%\n"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("warning"), std::string::npos);
  EXPECT_NE(result.err.find("delivered: 250007 bytes acknowledged by the camera\n"),
            std::string::npos)
      << result.err;
}

struct ExitCase {
  const char* name;
  std::optional<tools::CamSimBehaviour> camera;  // empty: nothing listens
  std::vector<std::string> args;                 // {PORT} and {DIR} are filled in
  int exitCode;
  std::string stderrHas;
};

void PrintTo(const ExitCase& c, std::ostream* out) { *out << c.name; }

class CliExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(CliExit, NamesTheFirstStepThatFailed) {
  const ExitCase& c = GetParam();
  testing::TempDir dir;
  dir.Write("R7Z42P_fw.bin", testing::PatternBytes(1'000'000));
  dir.Write("plain.bin", testing::PatternBytes(10));
  dir.Write("R7Z42P_small.bin", testing::PatternBytes(8000));
  std::optional<CameraThread> camera;
  unsigned port = testing::UnusedLoopbackPort();
  if (c.camera) camera.emplace(*c.camera);
  if (camera) port = camera->Port();

  auto fill = [&](std::string text) {
    for (auto [key, value] : {std::pair<std::string, std::string>{"{PORT}", std::to_string(port)},
                              {"{DIR}", dir.Path().string()}})
      for (std::size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    return text;
  };
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(fill(arg));

  auto result = RunCli(args);
  if (camera) camera->Report();

  EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
  EXPECT_NE(result.err.find(fill(c.stderrHas)), std::string::npos) << result.err;
}

using std::chrono::milliseconds;
const tools::CamSimBehaviour kListening{};
INSTANTIATE_TEST_SUITE_P(
    Table, CliExit,
    ::testing::Values(
        ExitCase{"NoIp", std::nullopt, {"{DIR}/R7Z42P_fw.bin"}, 2, "--ip is required"},
        ExitCase{"MalformedIp", std::nullopt, {"--ip", "1.2.3", "x"}, 2, "not a dotted-quad"},
        ExitCase{"NoFile", std::nullopt, {"--ip", "127.0.0.1"}, 2, "FILE is required"},
        ExitCase{"OutWithoutDryRun",
                 std::nullopt,
                 {"--ip", "127.0.0.1", "--out", "{DIR}/f", "{DIR}/R7Z42P_fw.bin"},
                 2,
                 "--out needs --dry-run"},
        ExitCase{"DifferentFileThanExpected",
                 std::nullopt,
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "--expect-sha256", "00ff",
                  "{DIR}/R7Z42P_fw.bin"},
                 4,
                 ", not the expected 00ff\n"},
        ExitCase{"BadSendBuffer",
                 std::nullopt,
                 {"--ip", "127.0.0.1", "--send-buffer", "big", "x"},
                 2,
                 "not a byte count or auto: big"},
        ExitCase{"ConnectRefused",
                 std::nullopt,
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "{DIR}/R7Z42P_fw.bin"},
                 3,
                 "error: cannot connect to 127.0.0.1:{PORT}: Connection refused\n"},
        // Refused files are refused before anything is connected.
        ExitCase{"NoMarker",
                 std::nullopt,
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "{DIR}/plain.bin"},
                 4,
                 "warning: Please select Camera Firmware!!\n"},
        ExitCase{"MissingFile",
                 std::nullopt,
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "{DIR}/R7Z42P_gone.bin"},
                 4,
                 "error: Can't Open  {DIR}/R7Z42P_gone.bin\n"},
        ExitCase{
            "ChannelRefused",
            std::nullopt,
            {"--ip", "127.0.0.1", "--port", "{PORT}", "--channel", "zz", "{DIR}/R7Z42P_fw.bin"},
            4,
            "warning: Please select Channel!!\n"},
        ExitCase{"ConnectionLost",
                 tools::CamSimBehaviour{.resetAfter = 50000, .receiveBuffer = 4096},
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "{DIR}/R7Z42P_fw.bin"},
                 5,
                 "warning: Network connection is closed.\n"},
        ExitCase{"CameraStopsReading",
                 tools::CamSimBehaviour{
                     .stopReadingAfter = 200000, .hold = milliseconds(4000), .receiveBuffer = 4096},
                 // With the dialog's buffer the writes stall; an autotuned one takes the whole
                 // file, and the acknowledgements stall instead (the row below).
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "--stall-timeout", "1", "--send-buffer",
                  "10240", "{DIR}/R7Z42P_fw.bin"},
                 5,
                 "warning: Network connection is closed.\n"},
        // Every write succeeds (the frame fits the send buffer); the camera resets unread.
        ExitCase{"ResetWithTheFrameUnacknowledged",
                 tools::CamSimBehaviour{
                     .resetAfter = 0, .stall = milliseconds(600), .receiveBuffer = 1024},
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "{DIR}/R7Z42P_small.bin"},
                 5,
                 "warning: Network connection is closed.\n"},
        ExitCase{"FrameNeverAcknowledged",
                 tools::CamSimBehaviour{
                     .stopReadingAfter = 0, .hold = milliseconds(4500), .receiveBuffer = 1024},
                 {"--ip", "127.0.0.1", "--port", "{PORT}", "--stall-timeout", "1",
                  "{DIR}/R7Z42P_small.bin"},
                 5,
                 " of 8007 bytes were never acknowledged by the camera\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Cli, DryRunWritesTheExactFrameAndConnectsToNothing) {
  testing::TempDir dir;
  auto file = testing::PatternBytes(70000);
  std::string path = dir.Write("R7Z42PS_x.bin", file);
  const auto frame = testing::ExpectedFrame(0x32, 4, file);
  tools::CamSim camera;  // would see a connection if one were made
  std::string error;
  ASSERT_TRUE(camera.Listen(0, error)) << error;
  const std::string out = (dir.Path() / "frame.bin").string();

  auto result = RunCli({"--dry-run", "--channel", "32", "--out", out, path});

  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testing::ReadWhole(out), std::string(frame.begin(), frame.end()));
  EXPECT_EQ(result.out,
            "model code:   4\nchannel byte: 0x32\nframe length: 70007 bytes\n"
            "file sha256:  " +
                Sha256Of(file) + "\nframe sha256: " + Sha256Of(frame) + "\n");
  EXPECT_FALSE(camera.ServeOne(std::chrono::milliseconds(100)));
}

TEST(Cli, ExpectedChecksumInAnyCaseLetsTheUploadGoAndIsPrinted) {
  testing::TempDir dir;
  auto file = testing::PatternBytes(5000);
  std::string path = dir.Write("R7Z42P_x.bin", file);
  std::string upper = Sha256Of(file);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  CameraThread camera;
  auto result = RunCli({"--ip", "127.0.0.1", "--port", std::to_string(camera.Port()),
                        "--expect-sha256", upper, path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(camera.Report().bytes, testing::ExpectedFrame(1, 1, file));
  EXPECT_NE(result.err.find("file sha256: " + Sha256Of(file) + "\n"), std::string::npos);
}

// Every 127.x.x.x address reaches this machine, so several stand-ins can be several cameras.
TEST(Cli, StandInBoundToAnotherLoopbackAddressIsItsOwnCamera) {
  testing::TempDir dir;
  auto file = testing::PatternBytes(3000);
  std::string path = dir.Write("R7Z42P_x.bin", file);
  tools::CamSim other;
  std::string error;
  ASSERT_TRUE(other.Listen(0, error, {127, 0, 0, 3})) << error;
  tools::CamSim refused;
  EXPECT_FALSE(refused.Listen(0, error, {10, 0, 0, 1}));
  auto served =
      std::async(std::launch::async, [&] { return other.ServeOne(std::chrono::seconds(10)); });
  auto result = RunCli({"--ip", "127.0.0.3", "--port", std::to_string(other.Port()), path});
  auto report = served.get();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(report);
  EXPECT_EQ(report->peer.rfind("127.0.0.", 0), 0u);
  EXPECT_TRUE(report->frame.Complete());
  EXPECT_EQ(report->frame.FileSha256(), Sha256Of(file));
}

TEST(Cli, ConnectTimeoutEndsTheWaitForACameraThatNeverAnswers) {
  testing::TempDir dir;
  std::string path = dir.Write("R7Z42P_x.bin", testing::PatternBytes(100));
  testing::SilentListener camera;
  auto result = RunCli({"--ip", "127.0.0.1", "--port", std::to_string(camera.Port()),
                        "--connect-timeout", "0.3", path});
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_NE(result.err.find("no answer within the connect time-out of 300 ms"), std::string::npos)
      << result.err;
}

TEST(Cli, HelpExplainsChannelProgressAndExitStatus) {
  auto result = RunCli({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* needle :
       {"--ip", "--channel", "--port", "--stall-timeout", "--send-buffer", "--dry-run", "--out",
        "--expect-sha256", "--connect-timeout", "FILE", "hexadecimal", "progress: N%",
        "Exit status", "5  connection lost",
        "R7Z42P_ 1, R7Z42WR_ 2, R7Z42WRS_ 3, R7Z42LK_ 3, R7Z42PS_ 4", "0x72", "port 8399",
        "2000 ms pause", "0  every byte of the frame was acknowledged"})
    EXPECT_NE(result.out.find(needle), std::string::npos) << needle;
}

}  // namespace
}  // namespace tessaro
