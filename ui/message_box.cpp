#include "ui/message_box.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "res/dialog_templates.h"

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
  // The box's own icon tells the kind; the theme's icon on the button says nothing more.
  for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
  box.exec();
}

void ShowHelpTopic(QWidget* owner, int) {
  // No help viewer exists on this desktop.
  ShowMessageBox(owner, platform::MessageKind::Warning, QString::fromUtf8(res::STRING_HELP_FAILED));
}

}  // namespace tessaro::ui
