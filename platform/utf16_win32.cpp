#include <windows.h>

#include "platform/utf16.h"

namespace tessaro::platform {

std::wstring WidenUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wide =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring result(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, result.data(), wide);
  return result;
}

std::string NarrowToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int narrow =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return {};
  std::string result(static_cast<std::size_t>(narrow), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), narrow, nullptr, nullptr);
  return result;
}

}  // namespace tessaro::platform
