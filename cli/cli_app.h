#pragma once

#include <ostream>

namespace tessaro::cli {

// Exit statuses, naming the first step that failed.
enum class ExitStatus : int {
  Uploaded = 0,
  Usage = 2,
  CannotConnect = 3,
  FileRefused = 4,
  ConnectionLost = 5,
};

// Runs one Load headless. Messages and progress go to `err`; help goes to `out`.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           bool errIsTerminal);

}  // namespace tessaro::cli
