#pragma once

#include <QApplication>
#include <QTranslator>

namespace tessaro::ui {

// The process: shows the upload dialog modally and ends when it closes, by any means.
class CUploadApp : public QApplication {
  Q_OBJECT

 public:
  CUploadApp(int& argc, char** argv);

  // Runs the dialog; returns false, so the process ends instead of entering a loop of its own.
  bool InitInstance();

 private:
  QTranslator m_qtTranslator;
};

}  // namespace tessaro::ui
