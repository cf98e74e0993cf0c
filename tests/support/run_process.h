#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaro::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a program to its end with stdin empty and stdout and stderr captured (not a terminal).
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args) {
  char outName[] = "/tmp/tessaro-out-XXXXXX";
  char errName[] = "/tmp/tessaro-err-XXXXXX";
  int outFd = ::mkstemp(outName);
  int errFd = ::mkstemp(errName);
  if (outFd < 0 || errFd < 0) throw std::runtime_error("cannot make files for the output");
  ProcessResult result;
  pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("cannot start " + program);
  if (child == 0) {
    int nullFd = ::open("/dev/null", O_RDONLY);
    if (nullFd < 0 || ::dup2(nullFd, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
      ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) throw std::runtime_error("lost track of " + program);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  ::close(outFd);
  ::close(errFd);
  result.out = ReadWhole(outName);
  result.err = ReadWhole(errName);
  ::unlink(outName);
  ::unlink(errName);
  return result;
}

}  // namespace tessaro::testing
