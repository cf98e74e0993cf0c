// tessaro-camsim: a stand-in camera on loopback that reads upload frames and says what came.

#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/camsim.h"

int main(int argc, char** argv) {
  using std::chrono::milliseconds;
  using tessaro::tools::CamSim;
  using tessaro::tools::CamSimBehaviour;

  CLI::App app{
      "Stand-in camera: listens on 127.0.0.1 (or --bind), reads each upload connection to its end "
      "and prints\n"
      "the start byte, length field, channel byte, model code, file byte count, SHA-256 of the\n"
      "file bytes, whether the frame was complete and when the tool closed the connection.",
      "tessaro-camsim"};
  unsigned port = 8399;
  unsigned long long resetAfter = 0, stopReadingAfter = 0;
  long long holdMs = 0;
  long long stallMs = 0, readDelayMs = 0, idleTimeoutMs = 0;
  std::size_t readSize = 64 * 1024;
  int receiveBuffer = 0;
  unsigned connections = 0;
  bool halfClose = false;

  std::string bind = "127.0.0.1";
  app.add_option("--bind", bind, "loopback address to listen on, 127.x.x.x")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](std::string& text) {
            auto address = tessaro::platform::ParseDottedQuad(text);
            return address && (*address)[0] == 127 ? std::string()
                                                   : "not a loopback address: " + text;
          },
          "127.x.x.x"));
  app.add_option("--port", port, "TCP port (0 takes a free one)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--connections", connections, "stop after this many connections (0: never)")
      ->capture_default_str();
  auto* reset = app.add_option("--reset-after", resetAfter,
                               "test: reset each connection after this many bytes");
  auto* stopReading = app.add_option("--stop-reading-after", stopReadingAfter,
                                     "test: stop reading each connection after this many bytes");
  app.add_option("--hold", holdMs, "test: with --stop-reading-after, close after this many ms")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--stall", stallMs, "test: read nothing for this many ms after accepting")
      ->check(CLI::NonNegativeNumber);
  app.add_flag("--half-close", halfClose, "test: shut down the camera's sending side at once");
  app.add_option("--read-size", readSize, "test: largest single read in bytes")
      ->capture_default_str()
      ->check(CLI::PositiveNumber);
  app.add_option("--read-delay", readDelayMs, "test: pause in ms between reads")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--receive-buffer", receiveBuffer, "test: SO_RCVBUF of each connection in bytes")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--idle-timeout", idleTimeoutMs,
                 "give up on a connection that sends nothing for this many ms (default: wait)")
      ->check(CLI::PositiveNumber);
  CLI11_PARSE(app, argc, argv);

  CamSimBehaviour behaviour;
  if (reset->count() > 0) behaviour.resetAfter = resetAfter;
  if (stopReading->count() > 0) behaviour.stopReadingAfter = stopReadingAfter;
  behaviour.hold = milliseconds(holdMs);
  behaviour.stall = milliseconds(stallMs);
  behaviour.halfClose = halfClose;
  behaviour.readSize = readSize;
  behaviour.readDelay = milliseconds(readDelayMs);
  behaviour.receiveBuffer = receiveBuffer;
  if (idleTimeoutMs > 0) behaviour.idleTimeout = milliseconds(idleTimeoutMs);

  CamSim camera(behaviour);
  std::string error;
  if (!camera.Listen(static_cast<std::uint16_t>(port), error,
                     *tessaro::platform::ParseDottedQuad(bind))) {
    std::cerr << "tessaro-camsim: cannot listen on " << bind << ":" << port << ": " << error
              << "\n";
    return 1;
  }
  std::cout << "tessaro-camsim: listening on " << bind << ":" << camera.Port() << std::endl;
  for (unsigned served = 0; connections == 0 || served < connections; ++served) {
    auto report = camera.ServeOne();
    if (!report) {
      std::cerr << "tessaro-camsim: accept failed\n";
      return 1;
    }
    tessaro::tools::PrintReport(std::cout, *report);
  }
  return 0;
}
