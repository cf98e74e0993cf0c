#include "res/dialog_templates.h"

#include <array>

namespace tessaro::res {

namespace {

constexpr const char* kDialogFontFace = "굴림";
constexpr int kDialogFontPointSize = 9;

constexpr std::array<ControlTemplate, 4> kAboutControls{{
    {IDC_STATIC, "IDI_APP_ICON", ControlKind::StaticIcon, "", {11, 17, 20, 20}, STYLE_NONE},
    {IDC_STATIC,
     "IDC_VERSION_TEXT",
     ControlKind::Static,
     "Tessaro 버전 1.4.0",
     {40, 10, 119, 8},
     STYLE_GROUP | STYLE_NOPREFIX},
    {IDC_STATIC,
     "IDC_NOTICE_TEXT",
     ControlKind::Static,
     "카메라 펌웨어 업로드 도구",
     {40, 25, 119, 8},
     STYLE_GROUP},
    {ID_OK,
     "IDOK",
     ControlKind::DefaultPushButton,
     "확인",
     {178, 7, 50, 14},
     STYLE_GROUP | STYLE_TABSTOP},
}};

constexpr std::array<ControlTemplate, 9> kUploadControls{{
    {IDC_STATIC, "IDC_IP_LABEL", ControlKind::Static, "IP", {17, 14, 15, 10}, STYLE_GROUP},
    {IDC_STATIC,
     "IDC_CHANNEL_LABEL",
     ControlKind::Static,
     "Channel",
     {17, 34, 30, 13},
     STYLE_GROUP},
    {IDC_FIRMWARE_PATH,
     "IDC_FIRMWARE_PATH",
     ControlKind::Edit,
     "",
     {49, 50, 143, 16},
     STYLE_BORDER | STYLE_TABSTOP | STYLE_AUTOHSCROLL},
    {IDC_BROWSE_FIRMWARE,
     "IDC_BROWSE_FIRMWARE",
     ControlKind::PushButton,
     "...",
     {198, 50, 13, 14},
     STYLE_TABSTOP},
    {IDC_STATIC, "IDC_FILE_LABEL", ControlKind::Static, "File", {17, 54, 15, 12}, STYLE_GROUP},
    {IDC_LOAD_FIRMWARE,
     "IDC_LOAD_FIRMWARE",
     ControlKind::PushButton,
     "Load",
     {74, 72, 88, 16},
     STYLE_TABSTOP},
    {IDC_UPLOAD_PROGRESS,
     "IDC_UPLOAD_PROGRESS",
     ControlKind::Progress,
     "Progress1",
     {16, 92, 199, 12},
     STYLE_BORDER},
    // The height is that of the open list; the closed box takes the height of its edit field.
    {IDC_CHANNEL_COMBO,
     "IDC_CHANNEL_COMBO",
     ControlKind::ComboDropDown,
     "",
     {49, 31, 25, 129},
     STYLE_VSCROLL | STYLE_TABSTOP},
    {IDC_CAMERA_ADDRESS,
     "IDC_CAMERA_ADDRESS",
     ControlKind::IpAddress,
     "IPAddress1",
     {49, 11, 100, 15},
     STYLE_TABSTOP},
}};

constexpr DialogTemplate kAboutTemplate{
    IDD_ABOUT_DIALOG,     "Mirelto 정보", 235,  55, kDialogFontFace,
    kDialogFontPointSize, kAboutControls, false};

constexpr DialogTemplate kUploadTemplate{
    IDD_UPLOAD_DIALOG,    "Tessaro v1.4.1", 231, 116, kDialogFontFace,
    kDialogFontPointSize, kUploadControls,  true};

constexpr std::array<const char*, 32> kChannelItems{
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12", "13", "14", "15", "16",
    "17", "18", "19", "20", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "31", "32"};

}  // namespace

const DialogTemplate& AboutDialogTemplate() { return kAboutTemplate; }
const DialogTemplate& UploadDialogTemplate() { return kUploadTemplate; }
std::span<const char* const> ChannelComboItems() { return kChannelItems; }

}  // namespace tessaro::res
