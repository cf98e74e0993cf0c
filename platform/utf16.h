#pragma once

#include <string>

namespace tessaro::platform {

// Text is UTF-8 inside Tessaro; Windows' W functions take UTF-16. Empty when the text is not
// valid UTF-8 (or is empty).
std::wstring WidenUtf8(const std::string& text);
std::string NarrowToUtf8(const std::wstring& text);

}  // namespace tessaro::platform
