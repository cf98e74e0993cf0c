#include "ui/win32/upload_dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <functional>
#include <thread>

#include "engine/load_sequence.h"
#include "platform/utf16.h"
#include "res/dialog_templates.h"
#include "ui/win32/dialog_template_win32.h"
#include "ui/win32/message_box_win32.h"

namespace tessaro::ui::win32 {

namespace {

// The worker asks the dialog's thread to show a message and waits until it is dismissed.
constexpr UINT WM_APP_SHOW_MESSAGE = WM_APP + 1;

struct MessageRequest {
  platform::MessageKind kind;
  const std::string* text;
};

std::string ControlText(HWND window, int id) {
  HWND control = ::GetDlgItem(window, id);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return platform::NarrowToUtf8(text);
}

// Posted, not waited for: the transfer never waits on a repaint, and posted messages keep their
// order, also against the message boxes, which are sent.
class BarProgressSink final : public platform::ProgressSink {
 public:
  explicit BarProgressSink(HWND bar) : m_bar(bar) {}
  void SetPosition(int position) override {
    if (position == m_last) return;
    m_last = position;
    ::PostMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }

 private:
  HWND m_bar;
  int m_last = -1;
};

class BoxMessageSink final : public platform::MessageSink {
 public:
  explicit BoxMessageSink(HWND owner) : m_owner(owner) {}
  void ShowMessage(platform::MessageKind kind, const std::string& text) override {
    MessageRequest request{kind, &text};
    ::SendMessageW(m_owner, WM_APP_SHOW_MESSAGE, 0, reinterpret_cast<LPARAM>(&request));
  }

 private:
  HWND m_owner;
};

void CentreOver(HWND window, HWND owner) {
  RECT box{}, over{};
  ::GetWindowRect(window, &box);
  ::GetWindowRect(owner, &over);
  MONITORINFO monitor{sizeof monitor, {}, {}, 0};
  ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const LONG width = box.right - box.left, height = box.bottom - box.top;
  LONG x = (over.left + over.right - width) / 2, y = (over.top + over.bottom - height) / 2;
  x = std::max(work.left, std::min(x, work.right - width));
  y = std::max(work.top, std::min(y, work.bottom - height));
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOver(window, ::GetWindow(window, GW_OWNER));
      return TRUE;  // the focus goes to "확인"
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_HELP:
      ShowHelpTopic(window, res::IDD_ABOUT_DIALOG);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR ShowAboutBox(HINSTANCE instance, HWND owner) {
  const std::vector<WORD> about = BuildDialogTemplate(res::AboutDialogTemplate());
  return ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(about.data()), owner,
                                   AboutProc, 0);
}

CUploadDialog::CUploadDialog() : m_template(BuildDialogTemplate(res::UploadDialogTemplate())) {}

INT_PTR CUploadDialog::DoModal(HINSTANCE instance) {
  m_instance = instance;
  m_hAppIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(res::IDI_APP_ICON),
                                               IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                               ::GetSystemMetrics(SM_CYICON), 0));
  m_hSmallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(res::IDI_APP_ICON),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
  return ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data()),
                                   nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CUploadDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<CUploadDialog*>(lParam)->m_window = window;
  }
  auto* dialog = reinterpret_cast<CUploadDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CUploadDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;  // the focus goes to the first tab stop, the path box
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case res::IDC_LOAD_FIRMWARE:
          if (HIWORD(wParam) == BN_CLICKED) OnLoadButton();
          return TRUE;
        case res::IDC_BROWSE_FIRMWARE:
          if (HIWORD(wParam) == BN_CLICKED) OnBrowseButton();
          return TRUE;
        case IDOK:  // Enter outside the buttons: the data exchange, then the end
          m_strChannel = ControlText(m_window, res::IDC_CHANNEL_COMBO);
          ::EndDialog(m_window, IDOK);
          return TRUE;
        case IDCANCEL:  // Esc, the close box, the system menu's Close
          if (m_loadRunning)
            m_closeRequested = true;  // the Load still uses this dialog
          else
            ::EndDialog(m_window, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == res::ID_SYSMENU_ABOUT) {
        OnSysCommand(wParam);
        return TRUE;
      }
      return FALSE;  // move, close and the rest
    case WM_HELP:
      ShowHelpTopic(m_window, res::IDD_UPLOAD_DIALOG);
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_hAppIcon);
    case WM_APP_SHOW_MESSAGE: {
      const auto* request = reinterpret_cast<const MessageRequest*>(lParam);
      ShowMessageBox(m_window, request->kind, *request->text);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void CUploadDialog::OnInitDialog() {
  HWND combo = ::GetDlgItem(m_window, res::IDC_CHANNEL_COMBO);
  for (const char* item : res::ChannelComboItems())
    ::SendMessageW(combo, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(platform::WidenUtf8(item).c_str()));
  ::SetWindowTextW(combo, platform::WidenUtf8(m_strChannel).c_str());  // "1", no entry selected

  HMENU systemMenu = ::GetSystemMenu(m_window, FALSE);
  const std::wstring aboutText = platform::WidenUtf8(res::STRING_ABOUT_MENU_TEXT);
  if (systemMenu != nullptr && !aboutText.empty()) {
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, res::ID_SYSMENU_ABOUT, aboutText.c_str());
  }
  ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hAppIcon));
  ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
}

void CUploadDialog::OnSysCommand(WPARAM) { ShowAboutBox(m_instance, m_window); }

void CUploadDialog::OnLoadButton() {
  if (m_loadRunning) return;  // input waits during a Load, so only a direct call gets here
  m_strChannel = ControlText(m_window, res::IDC_CHANNEL_COMBO);
  DWORD packed = 0;
  ::SendDlgItemMessageW(m_window, res::IDC_CAMERA_ADDRESS, IPM_GETADDRESS, 0,
                        reinterpret_cast<LPARAM>(&packed));
  engine::LoadRequest request;
  request.address = {static_cast<std::uint8_t>(FIRST_IPADDRESS(packed)),
                     static_cast<std::uint8_t>(SECOND_IPADDRESS(packed)),
                     static_cast<std::uint8_t>(THIRD_IPADDRESS(packed)),
                     static_cast<std::uint8_t>(FOURTH_IPADDRESS(packed))};
  request.channelText = m_strChannel;
  request.firmwarePath = ControlText(m_window, res::IDC_FIRMWARE_PATH);

  BarProgressSink progress(::GetDlgItem(m_window, res::IDC_UPLOAD_PROGRESS));
  BoxMessageSink messages(m_window);
  platform::SystemSleeper sleeper;
  RunPumpingPaintOnly(
      [&] { engine::RunLoadSequence(request, m_socket, progress, messages, sleeper); });
  if (m_closeRequested) {
    m_closeRequested = false;
    ::EndDialog(m_window, IDCANCEL);
  }
}

void CUploadDialog::RunPumpingPaintOnly(const std::function<void()>& work) {
  m_loadRunning = true;
  HANDLE finished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    work();
    ::SetEvent(finished);
  });
  constexpr UINT kPumped = PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
  auto pump = [] {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | kPumped)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  };
  for (;;) {
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &finished, INFINITE,
                                                     QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE, 0);
    if (woke == WAIT_OBJECT_0) break;
    pump();
  }
  worker.join();
  ::CloseHandle(finished);
  pump();  // the last progress positions, before the held input
  m_loadRunning = false;
}

void CUploadDialog::OnBrowseButton() {
  wchar_t fileName[260] = L"";
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = m_window;
  chooser.lpstrFilter = L"All Files (*.*)\0*.*\0";
  chooser.nFilterIndex = 1;
  chooser.lpstrFile = fileName;
  chooser.nMaxFile = 260;
  chooser.Flags =
      OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST;
  if (::GetOpenFileNameW(&chooser)) ::SetDlgItemTextW(m_window, res::IDC_FIRMWARE_PATH, fileName);
}

}  // namespace tessaro::ui::win32
