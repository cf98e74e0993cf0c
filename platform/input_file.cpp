#include "platform/input_file.h"

#include <utility>

// The system calls live in file_posix.cpp and file_win32.cpp; this is what they share.

namespace tessaro::platform {

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
