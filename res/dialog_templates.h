#pragma once

// The dialog templates, strings and identifiers of the tool's windows, as data. The dialogs are
// built from these tables; nothing in them depends on a GUI toolkit.

#include <span>

namespace tessaro::res {

// ---- Identifiers ----
inline constexpr int IDD_ABOUT_DIALOG = 100;
inline constexpr int IDS_ABOUT_MENU_TEXT = 101;
inline constexpr int IDD_UPLOAD_DIALOG = 102;
inline constexpr int IDI_APP_ICON = 128;
inline constexpr int IDC_FIRMWARE_PATH = 1002;
inline constexpr int IDC_BROWSE_FIRMWARE = 1003;
inline constexpr int IDC_LOAD_FIRMWARE = 1004;
inline constexpr int IDC_UPLOAD_PROGRESS = 1005;
inline constexpr int IDC_CHANNEL_COMBO = 1007;
inline constexpr int IDC_CAMERA_ADDRESS = 1009;
inline constexpr int IDC_STATIC = -1;
inline constexpr int ID_OK = 1;      // IDOK
inline constexpr int ID_CANCEL = 2;  // IDCANCEL
inline constexpr int ID_SYSMENU_ABOUT = 0x0010;
// F1 asks the help viewer for this topic plus the template id of the focused dialog.
inline constexpr int HELP_TOPIC_BASE = 0x20000;

// ---- Strings ----
inline constexpr const char* STRING_ABOUT_MENU_TEXT = "Tessaro 정보...";  // string 101
inline constexpr const char* STRING_HELP_FAILED = "도움말 시작 실패.";

enum class ControlKind {
  Static,      // left-aligned text
  StaticIcon,  // the application icon
  Edit,
  PushButton,
  DefaultPushButton,
  Progress,       // range 0..100, no text
  ComboDropDown,  // editable, unsorted
  IpAddress,      // four fields of 0..255
};

enum ControlStyle : unsigned {
  STYLE_NONE = 0,
  STYLE_GROUP = 1u << 0,
  STYLE_TABSTOP = 1u << 1,
  STYLE_BORDER = 1u << 2,
  STYLE_AUTOHSCROLL = 1u << 3,
  STYLE_VSCROLL = 1u << 4,
  STYLE_NOPREFIX = 1u << 5,
};

// A rectangle in dialog units.
struct DialogRect {
  int x, y, width, height;
};

struct ControlTemplate {
  int id;
  const char* name;  // the control's identifier name, also its object name
  ControlKind kind;
  const char* text;
  DialogRect rect;
  unsigned styles;
};

struct DialogTemplate {
  int id;
  const char* caption;
  int width, height;  // dialog units
  const char* fontFace;
  int fontPointSize;
  std::span<const ControlTemplate> controls;  // template order, which is also the tab order
  bool applicationWindow;  // the main window: visible at once, its own taskbar button
};

const DialogTemplate& AboutDialogTemplate();
const DialogTemplate& UploadDialogTemplate();

// The initialisation data of the channel combo: "1" to "32", in this order.
std::span<const char* const> ChannelComboItems();

}  // namespace tessaro::res
