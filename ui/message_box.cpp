#include "ui/message_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "res/dialog_templates.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tessaro::ui {

QString ApplicationTitle() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowMessageBox(QWidget* owner, platform::MessageKind kind, const QString& text) {
  QMessageBox box(
      kind == platform::MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical,
      ApplicationTitle(), text, QMessageBox::Ok, owner);
  box.setObjectName(QStringLiteral("IDD_MESSAGE_BOX"));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void ShowHelpTopic(QWidget* owner, int templateId) {
  const int topic = res::HELP_TOPIC_BASE + templateId;
#ifdef _WIN32
  // The help file sits beside the executable, named like it with the extension ".HLP".
  QFileInfo executable(QCoreApplication::applicationFilePath());
  QString helpFile = executable.absolutePath() + "/" + executable.completeBaseName() + ".HLP";
  if (::WinHelpA(reinterpret_cast<HWND>(owner->winId()), helpFile.toLocal8Bit().constData(),
                 HELP_CONTEXT, static_cast<ULONG_PTR>(topic)))
    return;
#else
  // No help viewer exists here.
  (void)topic;
#endif
  ShowMessageBox(owner, platform::MessageKind::Warning, QString::fromUtf8(res::STRING_HELP_FAILED));
}

}  // namespace tessaro::ui
