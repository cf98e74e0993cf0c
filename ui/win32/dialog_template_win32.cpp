#include "ui/win32/dialog_template_win32.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "platform/utf16.h"

namespace tessaro::ui::win32 {

namespace {

// Predefined window classes, by the ordinals dialog templates use for them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

class TemplateWriter {
 public:
  void Word(WORD value) { m_words.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const char* utf8) {
    for (wchar_t c : platform::WidenUtf8(utf8)) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Ordinal(WORD value) {
    Word(0xFFFF);
    Word(value);
  }
  // Each control starts on a DWORD boundary.
  void AlignToDword() {
    if (m_words.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(m_words); }

 private:
  std::vector<WORD> m_words;
};

DWORD StylesOf(const res::ControlTemplate& control) {
  DWORD style = WS_CHILD | WS_VISIBLE;
  if (control.styles & res::STYLE_GROUP) style |= WS_GROUP;
  if (control.styles & res::STYLE_TABSTOP) style |= WS_TABSTOP;
  if (control.styles & res::STYLE_BORDER) style |= WS_BORDER;
  if (control.styles & res::STYLE_VSCROLL) style |= WS_VSCROLL;
  switch (control.kind) {
    case res::ControlKind::Static:
      return style | SS_LEFT | ((control.styles & res::STYLE_NOPREFIX) ? SS_NOPREFIX : 0);
    case res::ControlKind::StaticIcon:
      return style | SS_ICON;
    case res::ControlKind::Edit:
      return style | ES_LEFT | ((control.styles & res::STYLE_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0);
    case res::ControlKind::PushButton:
      return style | BS_PUSHBUTTON;
    case res::ControlKind::DefaultPushButton:
      return style | BS_DEFPUSHBUTTON;
    case res::ControlKind::Progress:
      return style;  // segmented, not smooth
    case res::ControlKind::ComboDropDown:
      // No CBS_AUTOHSCROLL: typed text is limited to what fits in the edit field.
      return style | CBS_DROPDOWN;
    case res::ControlKind::IpAddress:
      return style;
  }
  return style;
}

void WriteClass(TemplateWriter& out, res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::Static:
    case res::ControlKind::StaticIcon:
      return out.Ordinal(kStaticClass);
    case res::ControlKind::Edit:
      return out.Ordinal(kEditClass);
    case res::ControlKind::PushButton:
    case res::ControlKind::DefaultPushButton:
      return out.Ordinal(kButtonClass);
    case res::ControlKind::ComboDropDown:
      return out.Ordinal(kComboBoxClass);
    case res::ControlKind::Progress:
      return out.Text("msctls_progress32");
    case res::ControlKind::IpAddress:
      return out.Text("SysIPAddress32");
  }
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const res::DialogTemplate& dialog) {
  TemplateWriter out;
  DWORD style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  DWORD exStyle = 0;
  if (dialog.applicationWindow) {
    style |= WS_VISIBLE | DS_CENTER;
    exStyle |= WS_EX_APPWINDOW;
  }
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: extended template
  out.Dword(0);      // helpID
  out.Dword(exStyle);
  out.Dword(style);
  out.Word(static_cast<WORD>(dialog.controls.size()));
  out.Word(0);  // x, y: the dialog is placed when it opens
  out.Word(0);
  out.Word(static_cast<WORD>(dialog.width));
  out.Word(static_cast<WORD>(dialog.height));
  out.Word(0);  // no menu
  out.Word(0);  // the standard dialog class
  out.Text(dialog.caption);
  out.Word(static_cast<WORD>(dialog.fontPointSize));
  out.Word(FW_NORMAL);
  out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, character set
  out.Text(dialog.fontFace);

  for (const res::ControlTemplate& control : dialog.controls) {
    out.AlignToDword();
    out.Dword(0);  // helpID
    out.Dword(0);  // exStyle
    out.Dword(StylesOf(control));
    out.Word(static_cast<WORD>(control.rect.x));
    out.Word(static_cast<WORD>(control.rect.y));
    out.Word(static_cast<WORD>(control.rect.width));
    out.Word(static_cast<WORD>(control.rect.height));
    out.Dword(static_cast<DWORD>(control.id));
    WriteClass(out, control.kind);
    if (control.kind == res::ControlKind::StaticIcon)
      out.Ordinal(static_cast<WORD>(res::IDI_APP_ICON));
    else
      out.Text(control.text);
    out.Word(0);  // no creation data
  }
  return out.Take();
}

}  // namespace tessaro::ui::win32
