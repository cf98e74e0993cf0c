#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tessaro::platform {

// A regular file opened for reading, closed when the object goes. The path is UTF-8.
class InputFile {
 public:
  // Empty when the path does not name a regular file that can be opened for reading
  // (missing, no permission, a folder, a device or pipe).
  static std::optional<InputFile> Open(const std::string& path);

  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // The length the file had when it was opened.
  std::uint64_t Length() const { return m_length; }

  // Reads exactly count bytes from the current position; false on a read error or an early end.
  bool ReadExactly(std::uint8_t* destination, std::size_t count);

  // True when nothing follows the current position (the file has not grown since it was measured).
  bool AtEnd();

 private:
  using Handle = std::intptr_t;
  static constexpr Handle kNoHandle = -1;
  InputFile(Handle handle, std::uint64_t length) : m_handle(handle), m_length(length) {}
  void Release();

  Handle m_handle;
  std::uint64_t m_length;
};

}  // namespace tessaro::platform
