// Reading a firmware file on Windows.

#include <windows.h>

#include <algorithm>

#include "platform/input_file.h"
#include "platform/utf16.h"

namespace tessaro::platform {

namespace {
// Large reads are split so one call never asks for more than a DWORD can count.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;
HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

std::optional<InputFile> InputFile::Open(const std::string& path) {
  // Paths travel as UTF-8 and become UTF-16 here, so a folder named in any script opens whatever
  // the system's ANSI code page is. No sharing: a firmware file held open by another program is
  // refused, not read half-written.
  const std::wstring widePath = WidenUtf8(path);
  if (widePath.empty() && !path.empty()) return std::nullopt;
  HANDLE file = ::CreateFileW(widePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) || size.QuadPart < 0) {
    ::CloseHandle(file);
    return std::nullopt;
  }
  return InputFile(reinterpret_cast<Handle>(file), static_cast<std::uint64_t>(size.QuadPart));
}

bool InputFile::ReadExactly(std::uint8_t* destination, std::size_t count) {
  while (count > 0) {
    const auto wanted = static_cast<DWORD>(std::min(count, kLargestRead));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(m_handle), destination, wanted, &got, nullptr) || got == 0)
      return false;
    destination += got;
    count -= got;
  }
  return true;
}

bool InputFile::AtEnd() {
  std::uint8_t probe = 0;
  DWORD got = 0;
  return ::ReadFile(AsHandle(m_handle), &probe, 1, &got, nullptr) && got == 0;
}

void InputFile::Release() {
  if (m_handle != kNoHandle) ::CloseHandle(AsHandle(m_handle));
  m_handle = kNoHandle;
}

}  // namespace tessaro::platform
