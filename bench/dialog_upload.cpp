// Drives one upload through the real upload dialog, headless, and prints how long it took from
// the press of Load to the end of the transfer (the 2000 ms pause is left out: the harness
// pauses for no time).
//   dialog_upload PORT FILE

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "ui/ip_address_control.h"
#include "ui/upload_dialog.h"

namespace {
class NoPause final : public tessaro::platform::Sleeper {
 public:
  void Sleep(std::chrono::milliseconds) override {}
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dialog_upload PORT FILE\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tessaro::ui::CUploadDialog dialog;
  dialog.SetPortForTesting(static_cast<unsigned>(std::atoi(argv[1])));
  dialog.SetSleeperForTesting(std::make_unique<NoPause>());
  dialog.show();
  auto* address = dialog.findChild<tessaro::ui::CIpAddressControl*>("IDC_CAMERA_ADDRESS");
  for (int i = 0; i < 4; ++i) address->Field(i)->setText(i == 0 ? "127" : i == 3 ? "1" : "0");
  dialog.findChild<QLineEdit*>("IDC_FIRMWARE_PATH")->setText(QString::fromLocal8Bit(argv[2]));

  QElapsedTimer timer;
  timer.start();
  QTest::mouseClick(dialog.findChild<QPushButton*>("IDC_LOAD_FIRMWARE"), Qt::LeftButton);
  std::printf("%lld\n", static_cast<long long>(timer.nsecsElapsed() / 1000));  // microseconds
  return 0;
}
