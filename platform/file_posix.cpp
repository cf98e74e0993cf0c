// Reading a firmware file on POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/input_file.h"

namespace tessaro::platform {

namespace {
// Large reads are split so one call never asks for more than the system takes at once.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;
}  // namespace

std::optional<InputFile> InputFile::Open(const std::string& path) {
  // O_NONBLOCK keeps a path naming a pipe from blocking the open; it is refused just below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat status {};
  // A folder opens on POSIX but cannot be read as a firmware file.
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
    ::close(fd);
    return std::nullopt;
  }
  return InputFile(fd, static_cast<std::uint64_t>(status.st_size));
}

bool InputFile::ReadExactly(std::uint8_t* destination, std::size_t count) {
  while (count > 0) {
    ssize_t got = ::read(static_cast<int>(m_handle), destination, std::min(count, kLargestRead));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    destination += got;
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

bool InputFile::AtEnd() {
  std::uint8_t probe = 0;
  for (;;) {
    ssize_t got = ::read(static_cast<int>(m_handle), &probe, 1);
    if (got < 0 && errno == EINTR) continue;
    return got == 0;
  }
}

void InputFile::Release() {
  if (m_handle != kNoHandle) ::close(static_cast<int>(m_handle));
  m_handle = kNoHandle;
}

}  // namespace tessaro::platform
