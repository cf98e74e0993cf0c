#include "ui/win32/message_box_win32.h"

#include "platform/utf16.h"
#include "res/dialog_templates.h"

namespace tessaro::ui::win32 {

namespace {

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::wstring ApplicationTitle() {
  std::wstring name = ExecutablePath();
  const auto slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const auto dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

void ShowMessageBox(HWND owner, platform::MessageKind kind, const std::string& text) {
  const UINT icon = kind == platform::MessageKind::Warning ? MB_ICONEXCLAMATION : MB_ICONERROR;
  ::MessageBoxW(owner, platform::WidenUtf8(text).c_str(), ApplicationTitle().c_str(), MB_OK | icon);
}

void ShowHelpTopic(HWND owner, int templateId) {
  // The help file sits beside the executable, named like it with the extension ".HLP". None is
  // supplied, and current Windows has no viewer for it.
  std::wstring helpFile = ExecutablePath();
  const auto dot = helpFile.find_last_of(L'.');
  const auto slash = helpFile.find_last_of(L"\\/");
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
    helpFile.erase(dot);
  helpFile += L".HLP";
  const bool started = ::GetFileAttributesW(helpFile.c_str()) != INVALID_FILE_ATTRIBUTES &&
                       ::WinHelpW(owner, helpFile.c_str(), HELP_CONTEXT,
                                  static_cast<ULONG_PTR>(res::HELP_TOPIC_BASE + templateId));
  if (!started) ShowMessageBox(owner, platform::MessageKind::Warning, res::STRING_HELP_FAILED);
}

}  // namespace tessaro::ui::win32
