#include "ui/upload_dialog.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>

#include "modal_helpers.h"
#include "support/camera_thread.h"
#include "support/frames.h"
#include "support/temp_dir.h"
#include "ui/about_dialog.h"
#include "ui/ip_address_control.h"
#include "ui/upload_app.h"

using namespace tessaro;
namespace tt = tessaro::testing;
using tessaro::testing::WhenModal;
using ui::CUploadDialog;

namespace {

// Records the pauses; each lasts `length` of real time so a test can act during one.
class TestSleeper final : public platform::Sleeper {
 public:
  TestSleeper(std::atomic<int>& count, std::atomic<int>& overlap, std::chrono::milliseconds length)
      : m_count(count), m_overlap(overlap), m_length(length) {}
  void Sleep(std::chrono::milliseconds duration) override {
    if (duration != std::chrono::milliseconds(2000)) m_overlap = 100;  // wrong pause asked for
    if (m_running.fetch_add(1) > 0) m_overlap = m_overlap + 1;
    std::this_thread::sleep_for(m_length);
    m_running.fetch_sub(1);
    m_count++;
  }

 private:
  std::atomic<int>& m_count;
  std::atomic<int>& m_overlap;
  std::chrono::milliseconds m_length;
  std::atomic<int> m_running{0};
};

struct SeenBox {
  QMessageBox::Icon icon;
  QString title;
  QString text;
  int buttons;
};

}  // namespace

class UploadDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();

  void startsBlankWithTheFocusInThePathBox();
  void applicationRunsTheDialogCentredAndEnds();
  void tabOrderFollowsTheTemplate();
  void enterEscAndCloseEndTheDialog_data();
  void enterEscAndCloseEndTheDialog();
  void enterWithTheComboListOpenOnlyClosesTheList();
  void typedChannelIsNeverInsertedIntoTheList();
  void browseReplacesThePathOnOkAndKeepsItOnCancel();
  void realChooserListsFilesWithoutAnExtension();
  void channelComboTakesOnlyWhatFitsItsWidth();
  void controlsAreLaidOutInDialogUnitsOfTheDialogFont();
  void loadSendsTheFrameAndTheBarShows100ThroughThePause();
  void loadMessagesAreModalBoxesWithIconAndCaption_data();
  void loadMessagesAreModalBoxesWithIconAndCaption();
  void clickDuringALoadIsHandledAfterIt();
  void inputMethodTextDuringALoadArrivesAfterIt();
  void closeDuringALoadWaitsForItsEnd();
  void aboutEntryOpensTheAboutBoxEachTime();
  void f1WarnsThatHelpCannotStart();
  void aboutBoxAndWindowShowTheIcon();
  void messageButtonSpeaksTheDesktopLanguage();

 private:
  struct Fixture {
    std::atomic<int> pauses{0};
    std::atomic<int> overlap{0};
    std::unique_ptr<CUploadDialog> dialog;
    // The camera's port is a free loopback port unless given; false when the window never came.
    [[nodiscard]] bool Open(unsigned port = tt::UnusedLoopbackPort(),
                            std::chrono::milliseconds pause = std::chrono::milliseconds(0)) {
      dialog = std::make_unique<CUploadDialog>();
      dialog->SetPortForTesting(port);
      dialog->SetSleeperForTesting(std::make_unique<TestSleeper>(pauses, overlap, pause));
      dialog->open();
      QApplication::setActiveWindow(dialog.get());
      return QTest::qWaitForWindowActive(dialog.get());
    }
    template <typename W>
    W* Find(const char* name) const {
      return dialog->findChild<W*>(QString::fromLatin1(name));
    }
    void TypeAddress(const QString& text) {
      Find<ui::CIpAddressControl>("IDC_CAMERA_ADDRESS")->setFocus();
      for (QChar key : text) QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    }
  };

  static QString ExpectedCaption() { return QStringLiteral("upload_dialog_test"); }
};

void UploadDialogTest::cleanup() {
  // No window may outlive its test.
  QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty() ||
              std::none_of(QApplication::topLevelWidgets().begin(),
                           QApplication::topLevelWidgets().end(),
                           [](QWidget* w) { return w->isVisible(); }));
}

void UploadDialogTest::startsBlankWithTheFocusInThePathBox() {
  Fixture f;
  QVERIFY(f.Open());
  CUploadDialog& d = *f.dialog;
  QCOMPARE(d.windowTitle(), QStringLiteral("Tessaro v1.4.1"));
  QCOMPARE(d.minimumSize(), d.maximumSize());
  QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));

  auto* combo = f.Find<QComboBox>("IDC_CHANNEL_COMBO");
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  QStringList expected;
  for (int i = 1; i <= 32; ++i) expected << QString::number(i);
  QCOMPARE(items, expected);
  QCOMPARE(combo->currentText(), QStringLiteral("1"));
  QCOMPARE(combo->currentIndex(), -1);

  QVERIFY(f.Find<ui::CIpAddressControl>("IDC_CAMERA_ADDRESS")->IsBlank());
  QVERIFY(f.Find<QLineEdit>("IDC_FIRMWARE_PATH")->text().isEmpty());
  auto* bar = f.Find<QProgressBar>("IDC_UPLOAD_PROGRESS");
  QCOMPARE(bar->value(), 0);
  QCOMPARE(bar->minimum(), 0);
  QCOMPARE(bar->maximum(), 100);
  QVERIFY(!bar->isTextVisible());
  QCOMPARE(QApplication::focusWidget(), f.Find<QLineEdit>("IDC_FIRMWARE_PATH"));
  QVERIFY(!f.Find<QPushButton>("IDC_LOAD_FIRMWARE")->isDefault());
  QCOMPARE(f.Find<QPushButton>("IDC_LOAD_FIRMWARE")->text(), QStringLiteral("Load"));
  QCOMPARE(f.Find<QPushButton>("IDC_BROWSE_FIRMWARE")->text(), QStringLiteral("..."));
  QCOMPARE(f.Find<QLabel>("IDC_CHANNEL_LABEL")->text(), QStringLiteral("Channel"));
  d.reject();
}

void UploadDialogTest::applicationRunsTheDialogCentredAndEnds() {
  QRect geometry;
  WhenModal<CUploadDialog>([&](CUploadDialog* dialog) {
    geometry = dialog->frameGeometry();
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  auto* app = static_cast<ui::CUploadApp*>(qApp);
  QCOMPARE(app->InitInstance(), false);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QVERIFY2(qAbs(geometry.center().x() - screen.center().x()) <= 1 &&
               qAbs(geometry.center().y() - screen.center().y()) <= 1,
           "the dialog is not centred on the screen");
}

void UploadDialogTest::tabOrderFollowsTheTemplate() {
  Fixture f;
  QVERIFY(f.Open());
  QStringList visited;
  for (int step = 0; step < 5; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    // The address fields belong to the address control.
    if (qobject_cast<ui::CIpAddressControl*>(focus->parentWidget())) focus = focus->parentWidget();
    visited << focus->objectName();
  }
  QCOMPARE(visited, (QStringList{"IDC_BROWSE_FIRMWARE", "IDC_LOAD_FIRMWARE", "IDC_CHANNEL_COMBO",
                                 "IDC_CAMERA_ADDRESS", "IDC_FIRMWARE_PATH"}));

  // The address control is left by Tab and Shift+Tab from whichever field holds the focus.
  f.TypeAddress(QStringLiteral("127.0.0.1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("IDC_CHANNEL_COMBO"));
  f.TypeAddress(QStringLiteral("1.2.3"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("IDC_FIRMWARE_PATH"));
  f.dialog->reject();
}

void UploadDialogTest::enterEscAndCloseEndTheDialog_data() {
  QTest::addColumn<QString>("focus");
  QTest::addColumn<int>("key");  // 0: the window's close request
  QTest::addColumn<int>("result");

  QTest::newRow("Enter in path box is OK") << "IDC_FIRMWARE_PATH" << int(Qt::Key_Return) << 1;
  QTest::newRow("keypad Enter in combo is OK") << "IDC_CHANNEL_COMBO" << int(Qt::Key_Enter) << 1;
  QTest::newRow("Enter in address is OK") << "IDC_CAMERA_ADDRESS" << int(Qt::Key_Return) << 1;
  QTest::newRow("Esc is Cancel") << "IDC_FIRMWARE_PATH" << int(Qt::Key_Escape) << 2;
  QTest::newRow("Esc on a button is Cancel") << "IDC_LOAD_FIRMWARE" << int(Qt::Key_Escape) << 2;
  QTest::newRow("close box is Cancel") << "IDC_FIRMWARE_PATH" << 0 << 2;
}

void UploadDialogTest::enterEscAndCloseEndTheDialog() {
  QFETCH(QString, focus);
  QFETCH(int, key);
  QFETCH(int, result);
  Fixture f;
  QVERIFY(f.Open());
  f.dialog->findChild<QWidget*>(focus)->setFocus();
  QSignalSpy finished(f.dialog.get(), &QDialog::finished);
  if (key == 0)
    f.dialog->close();
  else
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
  QCOMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toInt(), result);
  QCOMPARE(f.pauses.load(), 0);  // no Load ran
}

void UploadDialogTest::enterWithTheComboListOpenOnlyClosesTheList() {
  Fixture f;
  QVERIFY(f.Open());
  auto* combo = f.Find<QComboBox>("IDC_CHANNEL_COMBO");
  combo->setFocus();
  combo->showPopup();
  QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
  QTest::keyClick(combo->view(), Qt::Key_Down);
  QTest::keyClick(combo->view(), Qt::Key_Return);
  QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
  QVERIFY(f.dialog->isVisible());
  QCOMPARE(f.dialog->result(), 0);
  f.dialog->reject();
}

void UploadDialogTest::typedChannelIsNeverInsertedIntoTheList() {
  Fixture f;
  QVERIFY(f.Open());
  auto* combo = f.Find<QComboBox>("IDC_CHANNEL_COMBO");
  combo->setFocus();
  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo, QStringLiteral("7F"));
  QTest::keyClick(combo, Qt::Key_Return);
  QCOMPARE(combo->count(), 32);
  QCOMPARE(combo->findText(QStringLiteral("7F")), -1);
  QCOMPARE(f.dialog->result(), 1);
}

void UploadDialogTest::browseReplacesThePathOnOkAndKeepsItOnCancel() {
  tt::TempDir dir;
  // Camera images often have no extension.
  const QString chosen = QString::fromStdString(dir.Write("R7Z42P_fw", {1, 2, 3}));
  Fixture f;
  QVERIFY(f.Open());
  auto* path = f.Find<QLineEdit>("IDC_FIRMWARE_PATH");
  auto* browse = f.Find<QPushButton>("IDC_BROWSE_FIRMWARE");
  path->setText(QStringLiteral("typed by hand"));

  QWidget* chooserParent = nullptr;
  f.dialog->SetFirmwareChooserForTesting([&](QWidget* parent) {
    chooserParent = parent;
    return QString();  // cancelled
  });
  QTest::mouseClick(browse, Qt::LeftButton);
  QCOMPARE(path->text(), QStringLiteral("typed by hand"));
  QCOMPARE(chooserParent, f.dialog.get());

  f.dialog->SetFirmwareChooserForTesting([&](QWidget*) { return chosen; });
  QTest::mouseClick(browse, Qt::LeftButton);
  QCOMPARE(path->text(), chosen);
  f.dialog->reject();
}

void UploadDialogTest::realChooserListsFilesWithoutAnExtension() {
  QStringList filters;
  bool existingOnly = false;
  WhenModal<QFileDialog>([&](QFileDialog* chooser) {
    filters = chooser->nameFilters();
    existingOnly = chooser->fileMode() == QFileDialog::ExistingFile;
    chooser->reject();
  });
  QCOMPARE(ui::BrowseForFirmware(nullptr), QString());
  QCOMPARE(filters.size(), 1);
  QVERIFY(existingOnly);
  // The patterns stand in parentheses after the filter's name.
  const QString patterns = filters[0].section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0);
  bool listsDotless = false;
  for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    listsDotless =
        listsDotless || QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                            .match(QStringLiteral("R7Z42P_fw"))
                            .hasMatch();
  QVERIFY2(listsDotless, qPrintable(filters[0]));
}

void UploadDialogTest::controlsAreLaidOutInDialogUnitsOfTheDialogFont() {
  // With a font 6 pixels wide on average and 12 high, a dialog unit is 1.5 by 1.5 pixels.
  const ui::DialogBaseUnits known{6, 12};
  QCOMPARE(ui::DialogUnitsToPixels({74, 72, 88, 16}, known), QRect(111, 108, 132, 24));
  QCOMPARE(ui::DialogUnitsToPixels({49, 11, 100, 15}, known), QRect(74, 17, 150, 23));
  QCOMPARE(ui::DialogUnitsToPixels(231, 116, known), QSize(347, 174));

  Fixture f;
  QVERIFY(f.Open());
  const ui::DialogBaseUnits units = f.dialog->BaseUnits();
  QCOMPARE(units.charHeight, QFontMetrics(f.dialog->font()).height());
  QVERIFY(units.averageCharWidth > 0);
  QCOMPARE(f.Find<QPushButton>("IDC_LOAD_FIRMWARE")->geometry(),
           ui::DialogUnitsToPixels({74, 72, 88, 16}, units));
  QCOMPARE(f.Find<QProgressBar>("IDC_UPLOAD_PROGRESS")->geometry(),
           ui::DialogUnitsToPixels({16, 92, 199, 12}, units));
  QCOMPARE(f.dialog->size(), ui::DialogUnitsToPixels(231, 116, units));
  QCOMPARE(f.dialog->font().pointSize(), 9);
  f.dialog->reject();
}

void UploadDialogTest::loadSendsTheFrameAndTheBarShows100ThroughThePause() {
  tt::TempDir dir;
  auto file = tt::PatternBytes(200000);
  const QString path = QString::fromStdString(dir.Write("R7Z42WRS_fw.bin", file));
  tt::CameraThread camera;
  Fixture f;
  QVERIFY(f.Open(camera.Port()));
  f.TypeAddress(QStringLiteral("127.0.0.1"));
  f.Find<QLineEdit>("IDC_FIRMWARE_PATH")->setText(path);
  f.Find<QComboBox>("IDC_CHANNEL_COMBO")->setEditText(QStringLiteral("10"));
  auto* bar = f.Find<QProgressBar>("IDC_UPLOAD_PROGRESS");
  QSignalSpy values(bar, &QProgressBar::valueChanged);

  QTest::mouseClick(f.Find<QPushButton>("IDC_LOAD_FIRMWARE"), Qt::LeftButton);
  tools::ConnectionReport report = camera.Report();

  QVERIFY(report.bytes == tt::ExpectedFrame(0x10, 0x03, file));
  QVERIFY(report.peerClosed);
  QCOMPARE(f.pauses.load(), 1);
  QVERIFY(values.count() >= 2);
  QCOMPARE(values.at(values.count() - 2).at(0).toInt(), 100);
  QCOMPARE(values.last().at(0).toInt(), 0);
  QCOMPARE(f.overlap.load(), 0);
  f.dialog->reject();
}

void UploadDialogTest::loadMessagesAreModalBoxesWithIconAndCaption_data() {
  QTest::addColumn<QString>("fileName");
  QTest::addColumn<int>("camera");  // 0 reads all, 1 resets mid-frame, 2 resets unread in the pause
  QTest::addColumn<int>("icon");
  QTest::addColumn<QString>("text");  // {PATH} stands for the path

  QTest::newRow("no marker") << "plain.bin" << 0 << int(QMessageBox::Warning)
                             << "Please select Camera Firmware!!";
  QTest::newRow("cannot open") << "R7Z42P_missing.bin" << 0 << int(QMessageBox::Critical)
                               << "Can't Open  {PATH}";
  QTest::newRow("connection lost")
      << "R7Z42P_fw.bin" << 1 << int(QMessageBox::Warning) << "Network connection is closed.";
  // Every write succeeded (8000 bytes fit the send buffer), yet the camera never had the frame.
  QTest::newRow("reset with the frame unacknowledged")
      << "R7Z42P_small.bin" << 2 << int(QMessageBox::Warning) << "Network connection is closed.";
}

void UploadDialogTest::loadMessagesAreModalBoxesWithIconAndCaption() {
  QFETCH(QString, fileName);
  QFETCH(int, camera);
  QFETCH(int, icon);
  QFETCH(QString, text);
  tt::TempDir dir;
  dir.Write("R7Z42P_fw.bin", tt::PatternBytes(2'000'000));
  dir.Write("R7Z42P_small.bin", tt::PatternBytes(8000));
  dir.Write("plain.bin", tt::PatternBytes(10));
  const QString path = QString::fromStdString((dir.Path() / fileName.toStdString()).string());
  tools::CamSimBehaviour behaviour;
  std::chrono::milliseconds pause{0};
  if (camera == 1) behaviour = {.resetAfter = 100000, .receiveBuffer = 4096};
  if (camera == 2) {
    behaviour = {.resetAfter = 0, .stall = std::chrono::milliseconds(600), .receiveBuffer = 1024};
    pause = std::chrono::milliseconds(1000);
  }
  tt::CameraThread cameraThread(behaviour);
  Fixture f;
  QVERIFY(f.Open(cameraThread.Port(), pause));
  f.TypeAddress(QStringLiteral("127.0.0.1"));
  f.Find<QLineEdit>("IDC_FIRMWARE_PATH")->setText(path);

  std::vector<SeenBox> seen;
  bool dialogBlocked = false;
  WhenModal<QMessageBox>(
      [&](QMessageBox* box) {
        seen.push_back({box->icon(), box->windowTitle(), box->text(), int(box->buttons().size())});
        dialogBlocked =
            QApplication::activeModalWidget() == box && box->parentWidget() == f.dialog.get();
        QTest::keyClick(box, Qt::Key_Return);
      },
      f.dialog.get());
  QTest::mouseClick(f.Find<QPushButton>("IDC_LOAD_FIRMWARE"), Qt::LeftButton);
  cameraThread.Report();

  QCOMPARE(seen.size(), std::size_t{1});
  QCOMPARE(int(seen[0].icon), icon);
  QCOMPARE(seen[0].title, ExpectedCaption());
  QCOMPARE(seen[0].text, QString(text).replace(QStringLiteral("{PATH}"), path));
  QCOMPARE(seen[0].buttons, 1);
  QVERIFY(dialogBlocked);
  QCOMPARE(f.Find<QProgressBar>("IDC_UPLOAD_PROGRESS")->value(), 0);
  f.dialog->reject();
}

void UploadDialogTest::clickDuringALoadIsHandledAfterIt() {
  tt::TempDir dir;
  const QString path = QString::fromStdString(dir.Write("R7Z42P_fw.bin", tt::PatternBytes(1000)));
  tt::CameraThread camera;
  Fixture f;
  QVERIFY(f.Open(camera.Port(), std::chrono::milliseconds(300)));
  f.TypeAddress(QStringLiteral("127.0.0.1"));
  f.Find<QLineEdit>("IDC_FIRMWARE_PATH")->setText(path);
  auto* load = f.Find<QPushButton>("IDC_LOAD_FIRMWARE");

  int pausesWhenClicked = -1;
  QTimer::singleShot(100, load, [&] {
    pausesWhenClicked = f.pauses.load();
    QTest::mouseClick(load, Qt::LeftButton);  // held: the first Load is still in its pause
  });
  QTest::mouseClick(load, Qt::LeftButton);
  QCOMPARE(pausesWhenClicked, 0);
  QCOMPARE(f.pauses.load(), 1);
  camera.Report();
  // The held click now starts a second Load (no camera listens any more: nothing is shown).
  QTRY_COMPARE(f.pauses.load(), 2);
  QTRY_VERIFY(!f.dialog->IsLoadRunning());
  QCOMPARE(f.overlap.load(), 0);
  f.dialog->reject();
}

void UploadDialogTest::closeDuringALoadWaitsForItsEnd() {
  tt::TempDir dir;
  Fixture f;
  QVERIFY(f.Open(tt::UnusedLoopbackPort(), std::chrono::milliseconds(300)));  // refused: silent
  f.TypeAddress(QStringLiteral("127.0.0.1"));
  f.Find<QLineEdit>("IDC_FIRMWARE_PATH")
      ->setText(QString::fromStdString(dir.Write("R7Z42P_fw.bin", tt::PatternBytes(10))));
  QSignalSpy finished(f.dialog.get(), &QDialog::finished);
  bool stillOpenAfterClose = false;
  QTimer::singleShot(100, f.dialog.get(), [&] {
    f.dialog->close();
    stillOpenAfterClose = f.dialog->isVisible();
  });
  QTest::mouseClick(f.Find<QPushButton>("IDC_LOAD_FIRMWARE"), Qt::LeftButton);
  QVERIFY(stillOpenAfterClose);
  QCOMPARE(f.pauses.load(), 1);
  QCOMPARE(finished.count(), 1);
  QCOMPARE(finished.at(0).at(0).toInt(), 2);
}

void UploadDialogTest::aboutEntryOpensTheAboutBoxEachTime() {
  Fixture f;
  QVERIFY(f.Open());
  for (int round = 0; round < 2; ++round) {
    QString caption, version, notice;
    bool okFocusedAndDefault = false;
    QStringList menuTexts;
    auto* popupTimer = new QTimer(f.dialog.get());
    connect(popupTimer, &QTimer::timeout, popupTimer, [&, popupTimer] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      popupTimer->stop();
      for (QAction* action : menu->actions())
        menuTexts << (action->isSeparator() ? "-" : action->text());
      WhenModal<ui::CAboutDialog>(
          [&](ui::CAboutDialog* about) {
            caption = about->windowTitle();
            version = about->findChild<QLabel*>("IDC_VERSION_TEXT")->text();
            notice = about->findChild<QLabel*>("IDC_NOTICE_TEXT")->text();
            auto* ok = about->findChild<QPushButton*>("IDOK");
            okFocusedAndDefault =
                ok->isDefault() && QApplication::focusWidget() == ok && ok->text() == "확인";
            QTest::keyClick(about, round == 0 ? Qt::Key_Return : Qt::Key_Escape);
          },
          f.dialog.get());
      menu->actions().last()->trigger();
      menu->close();
    });
    popupTimer->start(10);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 f.dialog->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(f.dialog.get(), &rightClick);

    QCOMPARE(menuTexts, (QStringList{"-", "Tessaro 정보..."}));
    QCOMPARE(caption, QStringLiteral("Mirelto 정보"));
    QCOMPARE(version, QStringLiteral("Tessaro 버전 1.4.0"));
    QVERIFY(!notice.isEmpty());
    QVERIFY(okFocusedAndDefault);
  }
  f.dialog->reject();
}

void UploadDialogTest::f1WarnsThatHelpCannotStart() {
  Fixture f;
  QVERIFY(f.Open());
  QStringList texts;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenModal<QMessageBox>(
      [&](QMessageBox* box) {
        texts << box->text() << box->windowTitle();
        icon = box->icon();
        box->accept();
      },
      f.dialog.get());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  QCOMPARE(texts, (QStringList{"도움말 시작 실패.", ExpectedCaption()}));
  QCOMPARE(icon, QMessageBox::Warning);

  ui::CAboutDialog about(f.dialog.get());
  about.open();
  QVERIFY(QTest::qWaitForWindowActive(&about));
  texts.clear();
  WhenModal<QMessageBox>(
      [&](QMessageBox* box) {
        texts << box->text();
        box->accept();
      },
      &about);
  QTest::keyClick(&about, Qt::Key_F1);
  QCOMPARE(texts, (QStringList{"도움말 시작 실패."}));
  about.reject();
  f.dialog->reject();
}

void UploadDialogTest::channelComboTakesOnlyWhatFitsItsWidth() {
  Fixture f;
  QVERIFY(f.Open());
  auto* combo = f.Find<QComboBox>("IDC_CHANNEL_COMBO");
  QLineEdit* edit = combo->lineEdit();
  combo->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, QStringLiteral("1234567890123456789"));
  const QString typed = edit->text();
  QVERIFY2(typed.size() >= 2 && typed.size() < 19, qPrintable(typed));
  QVERIFY(QStringLiteral("1234567890123456789").startsWith(typed));
  QVERIFY(edit->fontMetrics().horizontalAdvance(typed) <= edit->contentsRect().width());

  // Pasting keeps to the same width.
  edit->clear();
  QApplication::clipboard()->setText(QStringLiteral("ABCDEFABCDEFABCDEF"));
  edit->paste();
  QVERIFY2(edit->text().size() < 18, qPrintable(edit->text()));
  f.dialog->reject();
}

void UploadDialogTest::inputMethodTextDuringALoadArrivesAfterIt() {
  tt::TempDir dir;
  const QString path = QString::fromStdString(dir.Write("R7Z42P_fw.bin", tt::PatternBytes(1000)));
  tt::CameraThread camera;
  Fixture f;
  QVERIFY(f.Open(camera.Port(), std::chrono::milliseconds(300)));
  f.TypeAddress(QStringLiteral("127.0.0.1"));
  auto* edit = f.Find<QLineEdit>("IDC_FIRMWARE_PATH");
  edit->setText(path);
  edit->setFocus();
  edit->end(false);

  QString textDuringLoad;
  QTimer::singleShot(100, edit, [&] {
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("한글"));
    QApplication::sendEvent(edit, &commit);
    textDuringLoad = edit->text();
  });
  QTest::mouseClick(f.Find<QPushButton>("IDC_LOAD_FIRMWARE"), Qt::LeftButton);
  camera.Report();

  QCOMPARE(textDuringLoad, path);
  QTRY_COMPARE(edit->text(), path + QStringLiteral("한글"));
  f.dialog->reject();
}

void UploadDialogTest::aboutBoxAndWindowShowTheIcon() {
  Fixture f;
  QVERIFY(f.Open());
  QVERIFY(!f.dialog->windowIcon().isNull());
  QVERIFY(!f.dialog->windowIcon().pixmap(16, 16).isNull());
  ui::CAboutDialog about(f.dialog.get());
  auto* icon = about.findChild<QLabel*>(QStringLiteral("IDI_APP_ICON"));
  QVERIFY(icon != nullptr);
  const QPixmap picture = icon->pixmap();
  QVERIFY(!picture.isNull());
  QCOMPARE(picture.size(), QSize(32, 32));
  QVERIFY(!about.windowIcon().isNull());
  f.dialog->reject();
}

void UploadDialogTest::messageButtonSpeaksTheDesktopLanguage() {
  // Run under LANG=ko_KR.UTF-8 as its own test too; elsewhere the locale's own word.
  const QString expected = QLocale::system().language() == QLocale::Korean
                               ? QStringLiteral("확인")
                               : QCoreApplication::translate("QPlatformTheme", "OK");
  Fixture f;
  QVERIFY(f.Open());
  QStringList buttonTexts;
  bool buttonHasIcon = true;
  WhenModal<QMessageBox>(
      [&](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons()) {
          buttonTexts << button->text().remove(QLatin1Char('&'));
          buttonHasIcon = !button->icon().isNull();
        }
        box->accept();
      },
      f.dialog.get());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  QCOMPARE(buttonTexts, QStringList{expected});
  QVERIFY(!buttonHasIcon);
  f.dialog->reject();
}

int main(int argc, char** argv) {
  tessaro::ui::CUploadApp app(argc, argv);
  UploadDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "upload_dialog_test.moc"
