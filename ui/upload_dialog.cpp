#include "ui/upload_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include "engine/load_sequence.h"
#include "ui/about_dialog.h"
#include "ui/input_hold.h"
#include "ui/ip_address_control.h"
#include "ui/message_box.h"

namespace tessaro::ui {

namespace {

// The engine runs on a worker thread; the bar lives on the dialog's thread.
class BarProgressSink final : public platform::ProgressSink {
 public:
  explicit BarProgressSink(QProgressBar* bar) : m_bar(bar) {}
  void SetPosition(int position) override {
    if (position == m_last) return;
    m_last = position;
    // Posted, not waited for: the transfer never waits on a repaint. Posted events keep their
    // order, also against the blocking message boxes.
    QProgressBar* bar = m_bar;
    QMetaObject::invokeMethod(
        bar, [bar, position] { bar->setValue(position); }, Qt::QueuedConnection);
  }

 private:
  QProgressBar* m_bar;
  int m_last = -1;
};

// Shows the engine's messages as modal boxes owned by the dialog, waiting until dismissed.
class BoxMessageSink final : public platform::MessageSink {
 public:
  explicit BoxMessageSink(QWidget* owner) : m_owner(owner) {}
  void ShowMessage(platform::MessageKind kind, const std::string& text) override {
    QWidget* owner = m_owner;
    const QString message = QString::fromStdString(text);
    QMetaObject::invokeMethod(
        owner, [owner, kind, message] { ShowMessageBox(owner, kind, message); },
        Qt::BlockingQueuedConnection);
  }

 private:
  QWidget* m_owner;
};

}  // namespace

QString BrowseForFirmware(QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("IDD_FIRMWARE_CHOOSER"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);  // only an existing file can be chosen
  // Every file: camera images often have no extension, and "*.*" here means "has a dot".
  dialog.setNameFilter(QStringLiteral("All Files (*)"));
  // The same chooser on every desktop (and headless), rather than whatever a theme plugin offers.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.last();
}

CUploadDialog::CUploadDialog(QWidget* parent)
    : CTemplateDialog(res::UploadDialogTemplate(), parent),
      m_port(engine::UPLOAD_PORT),
      m_sleeper(std::make_unique<platform::SystemSleeper>()),
      m_inputHold(new CInputHold(this)) {
  setObjectName(QStringLiteral("IDD_UPLOAD_DIALOG"));
  m_progress = Control<QProgressBar>("IDC_UPLOAD_PROGRESS");
  m_editFirmwarePath = Control<QLineEdit>("IDC_FIRMWARE_PATH");
  m_ipCamera = Control<CIpAddressControl>("IDC_CAMERA_ADDRESS");
  m_channelCombo = Control<QComboBox>("IDC_CHANNEL_COMBO");

  for (const char* item : res::ChannelComboItems())
    m_channelCombo->addItem(QString::fromLatin1(item));
  m_channelCombo->setCurrentIndex(-1);
  UpdateData(false);  // the combo shows "1" with no list entry selected

  connect(Control<QPushButton>("IDC_BROWSE_FIRMWARE"), &QPushButton::clicked, this,
          &CUploadDialog::OnBrowseButton);
  connect(Control<QPushButton>("IDC_LOAD_FIRMWARE"), &QPushButton::clicked, this,
          &CUploadDialog::OnLoadButton);
  m_editFirmwarePath->setFocus(Qt::OtherFocusReason);  // the first tab stop
}

CUploadDialog::~CUploadDialog() = default;

bool CUploadDialog::UpdateData(bool saveAndValidate) {
  if (saveAndValidate)
    m_strChannel = m_channelCombo->currentText();
  else
    m_channelCombo->setEditText(m_strChannel);
  return true;
}

void CUploadDialog::OnLoadButton() {
  if (IsLoadRunning()) return;  // input is held during a Load, so only a direct call gets here
  UpdateData(true);
  engine::LoadRequest request;
  request.address = m_ipCamera->GetAddress();
  request.channelText = m_strChannel.toStdString();
  request.firmwarePath = m_editFirmwarePath->text().toStdString();
  request.port = m_port;

  BarProgressSink progress(m_progress);
  BoxMessageSink messages(this);
  m_inputHold->Run(
      [&] { engine::RunLoadSequence(request, m_socket, progress, messages, *m_sleeper); });
  if (m_closeRequested) {
    m_closeRequested = false;
    reject();
  }
}

bool CUploadDialog::IsLoadRunning() const { return m_inputHold->IsRunning(); }

void CUploadDialog::closeEvent(QCloseEvent* event) {
  // The Load sequence still uses this dialog; the close follows once it has ended.
  if (IsLoadRunning()) {
    m_closeRequested = true;
    event->ignore();
    return;
  }
  CTemplateDialog::closeEvent(event);
}

void CUploadDialog::OnBrowseButton() {
  const QString chosen = m_chooser(this);
  if (!chosen.isEmpty()) m_editFirmwarePath->setText(chosen);
}

void CUploadDialog::OnSysCommand(int id) {
  if ((id & 0xFFF0) == res::ID_SYSMENU_ABOUT) {
    CAboutDialog about(this);
    about.exec();
  }
}

void CUploadDialog::ShowAboutMenu(const QPoint& globalPosition) {
  const QString text = QString::fromUtf8(res::STRING_ABOUT_MENU_TEXT);
  if (text.isEmpty()) return;
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("IDM_SYSTEM_MENU"));
  menu.addSeparator();
  connect(menu.addAction(text), &QAction::triggered, this,
          [this] { OnSysCommand(res::ID_SYSMENU_ABOUT); });
  menu.exec(globalPosition);
}

void CUploadDialog::contextMenuEvent(QContextMenuEvent* event) {
  // A program cannot add to the window manager's menu here, so the About entry lives in the
  // dialog's own context menu.
  ShowAboutMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                            : mapToGlobal(QPoint(0, 0)));
}

void CUploadDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    ShowAboutMenu(mapToGlobal(QPoint(0, 0)));
    return;
  }
  CTemplateDialog::keyPressEvent(event);
}

}  // namespace tessaro::ui
