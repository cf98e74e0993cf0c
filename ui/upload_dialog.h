#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "engine/upload_link.h"
#include "platform/sleeper.h"
#include "ui/template_dialog.h"

class QComboBox;
class QLineEdit;
class QProgressBar;

namespace tessaro::ui {

class CInputHold;
class CIpAddressControl;

// Asks the operator for a firmware file over `parent`; an empty text means cancelled.
using FirmwareChooser = std::function<QString(QWidget* parent)>;
QString BrowseForFirmware(QWidget* parent);

// The tool's working window: camera address, channel, firmware path, Load and the progress bar.
class CUploadDialog : public CTemplateDialog {
  Q_OBJECT

 public:
  explicit CUploadDialog(QWidget* parent = nullptr);
  ~CUploadDialog() override;

  // For tests only: the product always uses the camera's port, the real pause and the real
  // file chooser.
  void SetPortForTesting(unsigned port) { m_port = port; }
  void SetSleeperForTesting(std::unique_ptr<platform::Sleeper> sleeper) {
    m_sleeper = std::move(sleeper);
  }
  void SetFirmwareChooserForTesting(FirmwareChooser chooser) { m_chooser = std::move(chooser); }

  bool IsLoadRunning() const;

  void OnLoadButton();
  void OnBrowseButton();
  void OnSysCommand(int id);

 protected:
  bool UpdateData(bool saveAndValidate) override;  // the data exchange
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowAboutMenu(const QPoint& globalPosition);

  engine::CUploadSocket m_socket;
  QProgressBar* m_progress = nullptr;
  QLineEdit* m_editFirmwarePath = nullptr;
  CIpAddressControl* m_ipCamera = nullptr;
  QString m_strChannel = QStringLiteral("1");
  QComboBox* m_channelCombo = nullptr;

  unsigned m_port;
  std::unique_ptr<platform::Sleeper> m_sleeper;
  FirmwareChooser m_chooser = BrowseForFirmware;
  CInputHold* m_inputHold;
  bool m_closeRequested = false;
};

}  // namespace tessaro::ui
