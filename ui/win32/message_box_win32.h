#pragma once

#include <windows.h>

#include <string>

#include "platform/message_sink.h"

namespace tessaro::ui::win32 {

// The executable's file name without its folder and its last extension: every box's caption.
std::wstring ApplicationTitle();

// A modal box owned by `owner` with one OK button: a warning with the exclamation icon, an error
// with the stop icon. Returns once the operator has dismissed it. The text is UTF-8.
void ShowMessageBox(HWND owner, platform::MessageKind kind, const std::string& text);

// F1: asks the help viewer for the topic of the dialog template; warns when it cannot start.
void ShowHelpTopic(HWND owner, int templateId);

}  // namespace tessaro::ui::win32
