#pragma once

#include <QDialog>
#include <QIcon>

#include "res/dialog_templates.h"
#include "ui/dialog_units.h"

namespace tessaro::ui {

// A fixed-size modal dialog built from a dialog template, with the keyboard of a Windows dialog:
// Enter presses the focused push button or else the default one, or else runs the data exchange
// and ends the dialog with IDOK; Esc and the close box end it with IDCANCEL; F1 asks for help.
class CTemplateDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CTemplateDialog(const res::DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

  DialogBaseUnits BaseUnits() const { return m_baseUnits; }

  // Ends the dialog with IDOK after a successful data exchange.
  void accept() override;
  void reject() override;

 protected:
  // Moves values between the controls and the members; false when a value does not validate.
  virtual bool UpdateData(bool saveAndValidate);

  void keyPressEvent(QKeyEvent* event) override;

  template <typename Widget>
  Widget* Control(const char* name) const {
    return findChild<Widget*>(QString::fromLatin1(name));
  }

  static QIcon AppIcon();

 private:
  QWidget* CreateControl(const res::ControlTemplate& control);

  const res::DialogTemplate& m_template;
  DialogBaseUnits m_baseUnits;
};

}  // namespace tessaro::ui
