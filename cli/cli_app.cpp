#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <memory>
#include <sstream>

#include "cli/cli_sinks.h"
#include "cli/prepared_image.h"
#include "engine/load_sequence.h"

namespace tessaro::cli {

namespace {

std::string Hex(unsigned value) {
  std::ostringstream text;
  text << "0x" << std::hex << value;
  return text.str();
}

// Built from the marker table and the protocol constants, so the help never disagrees with them.
std::string Description() {
  std::ostringstream text;
  text << "Uploads one firmware file to a network camera, as the Tessaro dialog does: connects to\n"
          "the camera on TCP port "
       << engine::UPLOAD_PORT
       << ", recognises the camera model from a marker in the file's path\n(";
  for (std::size_t i = 0; i < engine::MODEL_MARKERS.size(); ++i)
    text << (i ? ", " : "") << engine::MODEL_MARKERS[i].marker << " "
         << unsigned{engine::MODEL_MARKERS[i].code};
  text << "; the first in this order wins,\ncase-sensitive, anywhere in the path) and writes one "
          "upload frame: "
       << Hex(engine::UPLOAD_START_BYTE) << ", the payload\nlength ("
       << engine::UPLOAD_LENGTH_FIELD_SIZE
       << " bytes, little-endian), the channel byte, the model code and the\nfile's bytes. The "
          "camera sends no answer.\n";
  return text.str();
}

std::string Footer() {
  std::ostringstream text;
  text << "The channel is read as hexadecimal, as the camera expects: \"10\" travels as 0x10, "
          "\"32\" as\n0x32, \"a\" as 0x0A; only the low byte is sent.\n\n"
          "Progress goes to stderr: a live bar on a terminal, otherwise one \"progress: N%\" line "
          "per\nnew position; with --send-buffer auto it counts the bytes the camera acknowledged. "
          "Every upload ends with a "
       << engine::LOAD_END_PAUSE.count()
       << " ms pause before the connection is closed; when the\ncamera has not acknowledged "
          "every byte by then, tessaro-cli waits on until none has come\nfor the stall "
          "time-out.\n\n"
          "Exit status:\n"
          "  0  every byte of the frame was acknowledged by the camera's TCP\n"
          "  2  usage error\n"
          "  3  could not connect to the camera\n"
          "  4  channel or firmware file refused or unreadable, or not the --expect-sha256 file\n"
          "  5  connection lost, the camera stopped taking bytes, or bytes never acknowledged\n";
  return text.str();
}

bool SameHex(std::string a, std::string b) {
  for (std::string* text : {&a, &b})
    for (char& c : *text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return a == b;
}

ExitStatus StatusOf(const engine::LoadOutcome& outcome) {
  if (!outcome.channelAccepted) return ExitStatus::FileRefused;
  if (outcome.connect != engine::ConnectResult::Connected) return ExitStatus::CannotConnect;
  if (outcome.image != engine::BuildResult::Built) return ExitStatus::FileRefused;
  if (outcome.transfer != engine::TransferResult::Complete) return ExitStatus::ConnectionLost;
  if (outcome.delivery.delivery == engine::Delivery::Unconfirmed) return ExitStatus::ConnectionLost;
  return ExitStatus::Uploaded;
}

// What a script's log needs beyond the operator's messages.
void ReportEnd(const engine::LoadOutcome& outcome, unsigned port, std::ostream& err) {
  // A script has no progress bar to watch, so unlike the dialog we say when no connection came.
  if (outcome.connect && *outcome.connect != engine::ConnectResult::Connected)
    err << "error: cannot connect to " << outcome.cameraAddress << ":" << port << ": "
        << outcome.connectError << std::endl;
  if (outcome.transfer != engine::TransferResult::Complete) return;
  switch (outcome.delivery.delivery) {
    case engine::Delivery::Confirmed:
      err << "delivered: " << outcome.frameBytes << " bytes acknowledged by the camera"
          << std::endl;
      break;
    case engine::Delivery::Unconfirmed:
      err << "error: " << outcome.delivery.unacknowledgedBytes << " of " << outcome.frameBytes
          << " bytes were never acknowledged by the camera" << std::endl;
      break;
    case engine::Delivery::Unknown:
      err << "note: " << outcome.frameBytes
          << " bytes written; this system cannot tell whether the camera acknowledged them"
          << std::endl;
      break;
    case engine::Delivery::Lost:
      break;  // the warning has been shown
  }
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
  CLI::App app{Description(), "tessaro-cli"};
  app.footer(Footer());
  std::string ip;
  double stallSeconds = std::chrono::duration<double>(engine::UPLOAD_SOCKET_TIMEOUT).count();
  engine::LoadRequest request;
  app.add_option("--ip", ip, "camera IPv4 address, A.B.C.D (required unless --dry-run)")
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
  app.add_option("--stall-timeout", stallSeconds,
                 "fail once the camera has taken or acknowledged no byte for this many seconds")
      ->capture_default_str()
      ->check(CLI::Range(0.001, 86400.0));
  double connectSeconds = 0;
  app.add_option("--connect-timeout", connectSeconds,
                 "give up on a camera that has not answered the connect within this many seconds "
                 "(default: the system's time-out)")
      ->check(CLI::Range(0.001, 86400.0));
  std::string sendBuffer = "auto";
  app.add_option("--send-buffer", sendBuffer,
                 "SO_SNDBUF in bytes, or auto for the system's own autotuned buffer, which keeps a "
                 "link with latency full; 10240 is what the dialog uses")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](std::string& text) {
            if (text == "auto") return std::string();
            try {
              std::size_t used = 0;
              const long bytes = std::stol(text, &used);
              if (used == text.size() && bytes > 0 && bytes <= 1 << 30) return std::string();
            } catch (const std::exception&) {
            }
            return "not a byte count or auto: " + text;
          },
          "BYTES|auto"));
  bool dryRun = false;
  std::string framePath, expectedSha256;
  app.add_flag("--dry-run", dryRun,
               "build the frame as an upload would and show it; connect to nothing");
  app.add_option("--out", framePath, "with --dry-run: write the frame to this file");
  app.add_option("--expect-sha256", expectedSha256,
                 "refuse the file, before connecting, unless its SHA-256 is this (hex)");
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
  auto usage = [&](const std::string& text) {
    err << "tessaro-cli: " << text << "\nRun with --help for more information.\n";
    return static_cast<int>(ExitStatus::Usage);
  };
  if (!dryRun && ip.empty()) return usage("--ip is required");
  if (!framePath.empty() && !dryRun) return usage("--out needs --dry-run");

  // Built and hashed before anything is connected: a refused file sends nothing at all.
  StreamMessageSink messages(err);
  std::optional<PreparedImage> prepared =
      PrepareImage(request.channelText, request.firmwarePath, messages);
  if (!prepared) return static_cast<int>(ExitStatus::FileRefused);
  if (!expectedSha256.empty() && !SameHex(expectedSha256, prepared->fileSha256)) {
    err << "error: " << request.firmwarePath << " has SHA-256 " << prepared->fileSha256
        << ", not the expected " << expectedSha256 << std::endl;
    return static_cast<int>(ExitStatus::FileRefused);
  }
  if (dryRun) {
    PrintFrameSummary(*prepared, out);
    if (!framePath.empty() && !WriteFrame(*prepared, framePath, err))
      return static_cast<int>(ExitStatus::FileRefused);
    return static_cast<int>(ExitStatus::Uploaded);
  }
  const std::string fileSha256 = prepared->fileSha256;
  prepared.reset();  // the Load reads the file again, as the dialog does
  request.address = *platform::ParseDottedQuad(ip);
  const auto stallTimeout =
      std::chrono::ceil<std::chrono::milliseconds>(std::chrono::duration<double>(stallSeconds));

  std::unique_ptr<platform::ProgressSink> progress;
  if (errIsTerminal)
    progress = std::make_unique<TerminalProgressSink>(err);
  else
    progress = std::make_unique<LineProgressSink>(err);
  engine::SocketOptions socketOptions{
      .sendTimeout = stallTimeout,
      .connectTimeout = std::chrono::ceil<std::chrono::milliseconds>(
          std::chrono::duration<double>(connectSeconds))};
  const bool autoBuffer = sendBuffer == "auto";
  socketOptions.sendBufferSize =
      autoBuffer ? std::nullopt : std::optional<int>(std::stoi(sendBuffer));
  engine::CUploadSocket socket(platform::MakeSystemSocket(), socketOptions);
  platform::SystemSleeper sleeper;

  // A connect to an unreachable camera can wait for the system's time-out: say what is going on.
  if (errIsTerminal)
    err << "uploading " << request.firmwarePath << " to " << ip << ":" << request.port << std::endl;
  err << "file sha256: " << fileSha256 << std::endl;

  // A large buffer takes much more than the camera has: the bar then shows what it acknowledged.
  const engine::LoadOptions options{.waitForAcknowledgement = true,
                                    .progressBasis = autoBuffer
                                                         ? engine::ProgressBasis::Acknowledged
                                                         : engine::ProgressBasis::Written,
                                    .stallTimeout = stallTimeout};
  engine::LoadOutcome outcome =
      engine::RunLoadSequence(request, socket, *progress, messages, sleeper, options);
  progress.reset();  // ends a live bar before anything else is printed
  ReportEnd(outcome, request.port, err);
  return static_cast<int>(StatusOf(outcome));
}

}  // namespace tessaro::cli
