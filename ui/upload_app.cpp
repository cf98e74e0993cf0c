#include "ui/upload_app.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QStyle>

#include "res/version.h"
#include "ui/message_box.h"
#include "ui/upload_dialog.h"

namespace tessaro::ui {

CUploadApp::CUploadApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(ApplicationTitle());
  setApplicationVersion(QStringLiteral(TESSARO_FILE_VERSION));
  setApplicationDisplayName(QString());
  setDesktopFileName(QStringLiteral("tessaro"));
  // The dialog is the only window; closing it ends the process, not a lingering event loop.
  setQuitOnLastWindowClosed(false);
  // Qt's own buttons ("OK" on a message box) in the desktop's language, like the product's texts.
  if (m_qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(&m_qtTranslator);
}

bool CUploadApp::InitInstance() {
  CUploadDialog dialog;
  // Centred in the screen's work area.
  if (QScreen* screen = primaryScreen())
    dialog.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, dialog.size(),
                                           screen->availableGeometry()));
  dialog.exec();  // OK or Cancel: either ends the application
  return false;
}

}  // namespace tessaro::ui
