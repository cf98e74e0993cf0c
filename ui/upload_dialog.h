#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "engine/upload_link.h"
#include "platform/sleeper.h"
#include "ui/template_dialog.h"

class QComboBox;
class QLineEdit;
class QProgressBar;

namespace tessaro::ui {

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

  bool IsLoadRunning() const { return m_loadRunning; }

  void OnLoadButton();
  void OnBrowseButton();
  void OnSysCommand(int id);

 protected:
  bool UpdateData(bool saveAndValidate) override;  // the data exchange
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef _WIN32
  void showEvent(QShowEvent* event) override;
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

 private:
  struct HeldInput {
    QPointer<QObject> target;
    std::unique_ptr<QEvent> event;
  };

  void ShowAboutMenu(const QPoint& globalPosition);
  // Runs `work` on a worker thread while this thread keeps painting; input to the dialog made
  // meanwhile is held and handled once the work is done.
  void RunHoldingInput(const std::function<void()>& work);
  void ReplayHeldInput();

  engine::CUploadSocket m_socket;
  QProgressBar* m_progress = nullptr;
  QLineEdit* m_editFirmwarePath = nullptr;
  QString m_strCameraIp;
  CIpAddressControl* m_ipCamera = nullptr;
  QString m_strChannel = QStringLiteral("1");
  QIcon m_hAppIcon;
  QComboBox* m_channelCombo = nullptr;

  unsigned m_port;
  std::unique_ptr<platform::Sleeper> m_sleeper;
  FirmwareChooser m_chooser = BrowseForFirmware;
  bool m_loadRunning = false;
  bool m_closeRequested = false;
  bool m_aboutEntryAdded = false;  // the window's system menu, where there is one
  std::vector<HeldInput> m_heldInput;
};

}  // namespace tessaro::ui
