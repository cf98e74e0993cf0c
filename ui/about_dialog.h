#pragma once

#include "ui/template_dialog.h"

namespace tessaro::ui {

// The product name and version, opened from the upload dialog's About entry.
class CAboutDialog : public CTemplateDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(QWidget* parent = nullptr);
};

}  // namespace tessaro::ui
