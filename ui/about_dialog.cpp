#include "ui/about_dialog.h"

#include <QPushButton>

namespace tessaro::ui {

CAboutDialog::CAboutDialog(QWidget* parent) : CTemplateDialog(res::AboutDialogTemplate(), parent) {
  setObjectName(QStringLiteral("IDD_ABOUT_DIALOG"));
  Control<QPushButton>("IDOK")->setFocus(Qt::OtherFocusReason);
}

}  // namespace tessaro::ui
