#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/upload_link.h"

namespace tessaro::ui::win32 {

// The tool's working window on Windows, a native dialog on template 102: camera address,
// channel, firmware path, Load and the progress bar, with the About entry in its system menu.
class CUploadDialog {
 public:
  CUploadDialog();

  // Runs the dialog modally; returns IDOK or IDCANCEL.
  INT_PTR DoModal(HINSTANCE instance);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void OnInitDialog();
  void OnLoadButton();
  void OnBrowseButton();
  void OnSysCommand(WPARAM id);
  // Runs the Load on a worker thread while this thread handles only paint, posted and sent
  // messages: input stays queued and is handled after the Load.
  void RunPumpingPaintOnly(const std::function<void()>& work);

  std::vector<WORD> m_template;
  HINSTANCE m_instance = nullptr;
  HWND m_window = nullptr;
  HICON m_hAppIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  engine::CUploadSocket m_socket;
  std::string m_strChannel = "1";
  bool m_loadRunning = false;
  bool m_closeRequested = false;
};

// The product name and version, on template 100.
INT_PTR ShowAboutBox(HINSTANCE instance, HWND owner);

}  // namespace tessaro::ui::win32
