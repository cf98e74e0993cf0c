#include "platform/input_file.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tessaro::platform {

namespace {
constexpr std::intptr_t kNoHandle = -1;
// Large reads are split so one call never asks for more than the system takes at once.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;
}  // namespace

#ifdef _WIN32

std::optional<InputFile> InputFile::Open(const std::string& path) {
  // No sharing: a firmware file held open by another program is refused, not read half-written.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
    CloseHandle(file);
    return std::nullopt;
  }
  return InputFile(reinterpret_cast<Handle>(file), static_cast<std::uint64_t>(size.QuadPart));
}

bool InputFile::ReadExactly(std::uint8_t* destination, std::size_t count) {
  while (count > 0) {
    DWORD wanted = static_cast<DWORD>(std::min(count, kLargestRead));
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), destination, wanted, &got, nullptr) ||
        got == 0)
      return false;
    destination += got;
    count -= got;
  }
  return true;
}

bool InputFile::AtEnd() {
  std::uint8_t probe = 0;
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(m_handle), &probe, 1, &got, nullptr) && got == 0;
}

void InputFile::Release() {
  if (m_handle != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  m_handle = kNoHandle;
}

#else

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

#endif

InputFile::InputFile(InputFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kNoHandle)), m_length(other.m_length) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Release();
    m_handle = std::exchange(other.m_handle, kNoHandle);
    m_length = other.m_length;
  }
  return *this;
}

InputFile::~InputFile() { Release(); }

}  // namespace tessaro::platform
