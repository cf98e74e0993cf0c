#pragma once

#include <QString>
#include <QWidget>

#include "platform/message_sink.h"

namespace tessaro::ui {

// The executable's file name without its folder and its last extension: every box's caption.
QString ApplicationTitle();

// A modal box over `owner` with one OK button: a warning with the exclamation icon, an error with
// the stop icon. Returns once the operator has dismissed it.
void ShowMessageBox(QWidget* owner, platform::MessageKind kind, const QString& text);

// F1: asks the help viewer for the topic of the dialog template; warns when it cannot start.
void ShowHelpTopic(QWidget* owner, int templateId);

}  // namespace tessaro::ui
