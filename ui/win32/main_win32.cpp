// The application on Windows: the upload dialog, run modally; the process ends when it closes.

#include <windows.h>
// After windows.h, which declares what it uses.

#include <commctrl.h>

#include "ui/win32/upload_dialog_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A file that cannot be opened is reported by the tool's own message, not a system box.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_INTERNET_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  tessaro::ui::win32::CUploadDialog dialog;
  dialog.DoModal(instance);  // OK or Cancel: either ends the application
  return 0;
}
