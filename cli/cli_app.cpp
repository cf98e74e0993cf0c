#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>

#include "cli/cli_sinks.h"
#include "engine/load_sequence.h"

namespace tessaro::cli {

namespace {

constexpr const char* kDescription =
    "Uploads one firmware file to a network camera, the way the Tessaro dialog does: connects to\n"
    "the camera on TCP port 8399, recognises the camera model from a marker in the file's path\n"
    "(R7Z42P_, R7Z42WR_, R7Z42WRS_, R7Z42LK_, R7Z42PS_; case-sensitive, anywhere in the path)\n"
    "and writes one upload frame: 0x72, the payload length (4 bytes, little-endian), the channel\n"
    "byte, the model code and the file's bytes. The camera sends no answer.\n";

constexpr const char* kFooter =
    "The channel is read as hexadecimal, as the camera expects: \"10\" travels as 0x10, \"32\" as\n"
    "0x32, \"a\" as 0x0A; only the low byte is sent.\n"
    "\n"
    "Progress goes to stderr: a live bar on a terminal, otherwise one \"progress: N%\" line per\n"
    "new position. Every upload ends with a 2-second pause before the connection is closed.\n"
    "\n"
    "Exit status:\n"
    "  0  the whole frame was written\n"
    "  2  usage error\n"
    "  3  could not connect to the camera\n"
    "  4  channel or firmware file refused or unreadable\n"
    "  5  connection lost during the transfer\n";

std::uint64_t PayloadBytesFor(const std::string& path) {
  std::error_code ignored;
  auto size = std::filesystem::file_size(path, ignored);
  return ignored ? 0 : size + engine::IMAGE_PREFIX_SIZE;
}

ExitStatus StatusOf(const engine::LoadOutcome& outcome) {
  if (!outcome.channelAccepted) return ExitStatus::FileRefused;
  if (outcome.connect != engine::ConnectResult::Connected) return ExitStatus::CannotConnect;
  if (outcome.image != engine::BuildResult::Built) return ExitStatus::FileRefused;
  if (outcome.transfer != engine::TransferResult::Complete) return ExitStatus::ConnectionLost;
  return ExitStatus::Uploaded;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
  CLI::App app{kDescription, "tessaro-cli"};
  app.footer(kFooter);
  std::string ip;
  engine::LoadRequest request;
  app.add_option("--ip", ip, "camera IPv4 address, A.B.C.D")
      ->required()
      ->check(CLI::Validator(
          [](std::string& text) {
            return platform::ParseDottedQuad(text) ? std::string()
                                                   : "not a dotted-quad IPv4 address: " + text;
          },
          "A.B.C.D"));
  app.add_option("--channel", request.channelText, "channel text, read as hexadecimal")
      ->capture_default_str();
  app.add_option("--port", request.port, "camera TCP port (for tests against a stand-in)")
      ->capture_default_str()
      ->check(CLI::Range(1, 65535));
  app.add_option("FILE", request.firmwarePath, "firmware file; its path carries the model marker")
      ->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return static_cast<int>(ExitStatus::Uploaded);
  } catch (const CLI::ParseError& error) {
    err << "tessaro-cli: " << error.what() << "\nRun with --help for more information.\n";
    return static_cast<int>(ExitStatus::Usage);
  }
  request.address = *platform::ParseDottedQuad(ip);

  StreamMessageSink messages(err);
  std::unique_ptr<platform::ProgressSink> progress;
  if (errIsTerminal)
    progress = std::make_unique<TerminalProgressSink>(err, PayloadBytesFor(request.firmwarePath));
  else
    progress = std::make_unique<LineProgressSink>(err);
  engine::CUploadSocket socket;
  platform::SystemSleeper sleeper;

  // A connect to an unreachable camera can wait for the system's time-out: say what is going on.
  if (errIsTerminal)
    err << "uploading " << request.firmwarePath << " to " << ip << ":" << request.port << std::endl;

  engine::LoadOutcome outcome =
      engine::RunLoadSequence(request, socket, *progress, messages, sleeper);
  progress.reset();  // ends a live bar before anything else is printed

  // A script has no progress bar to watch, so unlike the dialog we say when no connection came.
  if (outcome.connect && *outcome.connect != engine::ConnectResult::Connected)
    err << "error: cannot connect to " << outcome.cameraAddress << ":" << request.port << ": "
        << socket.ConnectError() << std::endl;
  return static_cast<int>(StatusOf(outcome));
}

}  // namespace tessaro::cli
