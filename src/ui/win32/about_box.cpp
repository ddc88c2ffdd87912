// The about box's dialog: built in memory, its pictures and the icon owner-drawn (the family
// pictures keyed on magenta with TransparentBlt), the links as notifying labels in the link
// colour with a hand cursor, System Info and the web pages started through the shell.
#include "ui/win32/about_box.h"

#include <array>

#include "files/win32_system.h"
#include "ui/main_window.h"
#include "ui/win32/dialog_template.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/wide_text.h"

namespace hivewarden::ui::win32 {
namespace {

static_assert(ui::kVersionMajor == HW_VERSION_MAJOR && ui::kVersionMinor == HW_VERSION_MINOR,
              "the about box shows the version of the version resource");

// Item ids.
constexpr WORD kIconId = 200;
constexpr WORD kTitleId = 201;
constexpr WORD kVersionId = 202;
constexpr WORD kOsCaptionId = 203;
constexpr WORD kOsNameId = 204;  // Label9
constexpr WORD kPicture2Id = 205;
constexpr WORD kPicture3Id = 206;
constexpr WORD kPicture6Id = 207;
constexpr WORD kRuleId = 208;
constexpr WORD kNoticeId = 209;
constexpr WORD kSupportLinkId = 210;
constexpr WORD kHomePageLinkId = 211;
constexpr WORD kSysInfoId = 212;  // cmdSysInfo; OK (Command1) is IDOK

// The box in dialog units.
constexpr short kBoxWidth = 262;
constexpr short kBoxHeight = 146;
constexpr short kMargin = 10;
constexpr short kTextLeft = 42;
constexpr short kTextWidth = 134;
constexpr short kPicturesTop = 40;  // the family pictures sit right-aligned from here
constexpr short kLinkGap = 14;      // between the two links

// Pixel sizes at 96 dots per inch.
constexpr int kIconPixels = 32;
constexpr int kPictureGapPixels = 6;

// The links' text colour: the system's hot-tracking colour is not a link colour in every
// colour scheme (some make it a pale grey).
constexpr COLORREF kLinkColour = RGB(0, 102, 204);

constexpr std::array<WORD, 3> kPictureIds{kPicture2Id, kPicture3Id, kPicture6Id};

// The art of each picture: Picture2 the Windows logo of every later Windows, Picture3 the
// Windows 95/98 window, Picture6 the NT badge.
int ArtOf(WORD pictureId) {
    switch (pictureId) {
        case kPicture3Id:
            return kBitmapOs9x;
        case kPicture6Id:
            return kBitmapOsNt;
        default:
            return kBitmapOsModern;
    }
}

bool Shown(const OsPictures& pictures, WORD pictureId) {
    switch (pictureId) {
        case kPicture2Id:
            return pictures.Picture2;
        case kPicture3Id:
            return pictures.Picture3;
        default:
            return pictures.Picture6;
    }
}

class AboutState {
  public:
    AboutState(HINSTANCE instance, registry::RegistryAccess& access, std::string programFolder,
               AboutContent content)
        : Instance(instance),
          Access(access),
          ProgramFolder(std::move(programFolder)),
          Content(std::move(content)) {}
    ~AboutState() {
        if (TitleFont != nullptr) DeleteObject(TitleFont);
        if (LinkFont != nullptr) DeleteObject(LinkFont);
        if (Icon != nullptr) DestroyIcon(Icon);
        for (HBITMAP bitmap : Bitmaps) {
            if (bitmap != nullptr) DeleteObject(bitmap);
        }
    }
    AboutState(const AboutState&) = delete;
    AboutState& operator=(const AboutState&) = delete;

    HINSTANCE Instance;
    registry::RegistryAccess& Access;
    std::string ProgramFolder;
    AboutContent Content;
    int Dpi = 96;
    HFONT TitleFont = nullptr;
    HFONT LinkFont = nullptr;
    HICON Icon = nullptr;
    std::array<HBITMAP, 3> Bitmaps{};  // in the order of kPictureIds
};

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int Scaled(const AboutState& state, int pixels) { return MulDiv(pixels, state.Dpi, 96); }

bool IsLink(int id) { return id == kSupportLinkId || id == kHomePageLinkId; }

DialogTemplate BuildTemplate(const AboutContent& content) {
    constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
    constexpr DWORD kPicture = SS_OWNERDRAW;
    constexpr DWORD kLink = SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
    DialogTemplate box(content.Caption, kBoxWidth, kBoxHeight);
    box.Add(ItemKind::Static, kIconId, kPicture, kMargin, kMargin, 22, 20);
    box.Add(ItemKind::Static, kTitleId, kLabel, kTextLeft, 8, kBoxWidth - kMargin - kTextLeft, 16,
            content.Title);
    box.Add(ItemKind::Static, kVersionId, kLabel, kTextLeft, 26, kTextWidth, 9, content.Version);
    box.Add(ItemKind::Static, kOsCaptionId, kLabel, kTextLeft, 44, kTextWidth, 9,
            std::string(kOsCaption));
    box.Add(ItemKind::Static, kOsNameId, kLabel, kTextLeft, 55, kTextWidth, 18, content.OsName);
    for (const WORD id : kPictureIds) {
        box.Add(ItemKind::Static, id, kPicture, kBoxWidth - kMargin - 32, kPicturesTop, 32, 30);
    }
    box.Add(ItemKind::Static, kRuleId, SS_ETCHEDHORZ, kMargin, 80, kBoxWidth - 2 * kMargin, 1);
    box.Add(ItemKind::Static, kNoticeId, SS_LEFT, kMargin, 88, 170, 36, std::string(kLegalNotice));
    box.Add(ItemKind::Button, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
            kBoxWidth - kMargin - 64, 88, 64, 14, "OK");
    box.Add(ItemKind::Button, kSysInfoId, BS_PUSHBUTTON | WS_TABSTOP, kBoxWidth - kMargin - 64, 106,
            64, 14, std::string(kSysInfoCaption));
    box.Add(ItemKind::Static, kSupportLinkId, kLink, kMargin, 130, 80, 9,
            std::string(kSupportLink.Caption));
    box.Add(ItemKind::Static, kHomePageLinkId, kLink, kMargin + 90, 130, 80, 9,
            std::string(kHomePageLink.Caption));
    return box;
}

HFONT DerivedFont(HWND dialog, int points, bool bold, bool underline) {
    LOGFONTW font{};
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (base == nullptr || GetObjectW(base, sizeof font, &font) == 0) return nullptr;
    if (points > 0) {
        font.lfHeight = -MulDiv(points, ScreenDpi(), 72);
        font.lfWidth = 0;
    }
    if (bold) font.lfWeight = FW_BOLD;
    font.lfUnderline = underline ? TRUE : FALSE;
    return CreateFontIndirectW(&font);
}

// A rectangle of dialog units in pixels.
RECT DialogRect(HWND dialog, int left, int top, int right, int bottom) {
    RECT rect{left, top, right, bottom};
    MapDialogRect(dialog, &rect);
    return rect;
}

// Shrinks a link's label to its text, so only the text is clickable.
void FitToText(HWND dialog, WORD id, HFONT font, int left) {
    HWND label = GetDlgItem(dialog, id);
    const std::wstring text = Wide(WindowTextOf(label));
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT rect{};
    GetWindowRect(label, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(label, nullptr, left, rect.top, size.cx + 2, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The visible family pictures side by side, right-aligned; the hidden ones hidden.
void PlacePictures(HWND dialog, AboutState& state) {
    const int size = Scaled(state, kOsPictureSize);
    const RECT anchor = DialogRect(dialog, kBoxWidth - kMargin, kPicturesTop, kBoxWidth, 0);
    int right = anchor.left;
    // Right to left, so Picture2 stands left of Picture6.
    for (auto id = kPictureIds.rbegin(); id != kPictureIds.rend(); ++id) {
        HWND picture = GetDlgItem(dialog, *id);
        if (!Shown(state.Content.Pictures, *id)) {
            ShowWindow(picture, SW_HIDE);
            continue;
        }
        SetWindowPos(picture, nullptr, right - size, anchor.top, size, size,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        right -= size + Scaled(state, kPictureGapPixels);
    }
}

void InitDialog(HWND dialog, AboutState& state) {
    state.Dpi = ScreenDpi();
    state.TitleFont = DerivedFont(dialog, 12, true, false);
    state.LinkFont = DerivedFont(dialog, 0, false, true);
    if (state.TitleFont != nullptr) {
        SendDlgItemMessageW(dialog, kTitleId, WM_SETFONT, reinterpret_cast<WPARAM>(state.TitleFont),
                            FALSE);
    }
    HFONT linkFont = state.LinkFont != nullptr
                         ? state.LinkFont
                         : reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    for (const WORD id : {kSupportLinkId, kHomePageLinkId}) {
        SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), FALSE);
    }
    const RECT linkLeft = DialogRect(dialog, kMargin, 0, kMargin + kLinkGap, 0);
    FitToText(dialog, kSupportLinkId, linkFont, linkLeft.left);
    RECT support{};
    GetWindowRect(GetDlgItem(dialog, kSupportLinkId), &support);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&support), 2);
    FitToText(dialog, kHomePageLinkId, linkFont, support.right + (linkLeft.right - linkLeft.left));

    const int iconSize = Scaled(state, kIconPixels);
    state.Icon = static_cast<HICON>(LoadImageW(state.Instance, MAKEINTRESOURCEW(kIconHivewarden),
                                               IMAGE_ICON, iconSize, iconSize, 0));
    const RECT iconAt = DialogRect(dialog, kMargin, kMargin, 0, 0);
    SetWindowPos(GetDlgItem(dialog, kIconId), nullptr, iconAt.left, iconAt.top, iconSize, iconSize,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (std::size_t i = 0; i < kPictureIds.size(); ++i) {
        state.Bitmaps[i] =
            static_cast<HBITMAP>(LoadImageW(state.Instance, MAKEINTRESOURCEW(ArtOf(kPictureIds[i])),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    PlacePictures(dialog, state);
    SetFocus(GetDlgItem(dialog, IDOK));
}

void DrawPicture(const DRAWITEMSTRUCT& item, AboutState& state) {
    const RECT& box = item.rcItem;
    FillRect(item.hDC, &box, GetSysColorBrush(COLOR_3DFACE));
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (item.CtlID == kIconId) {
        if (state.Icon != nullptr) {
            DrawIconEx(item.hDC, box.left, box.top, state.Icon, width, height, 0, nullptr,
                       DI_NORMAL);
        }
        return;
    }
    for (std::size_t i = 0; i < kPictureIds.size(); ++i) {
        if (kPictureIds[i] != item.CtlID || state.Bitmaps[i] == nullptr) continue;
        HDC source = CreateCompatibleDC(item.hDC);
        HGDIOBJ old = SelectObject(source, state.Bitmaps[i]);
        TransparentBlt(item.hDC, box.left, box.top, width, height, source, 0, 0, kOsPictureSize,
                       kOsPictureSize, kTransparentColour);
        SelectObject(source, old);
        DeleteDC(source);
    }
}

// Opens a web page with the shell; a page that cannot be opened gives no message.
void OpenPage(HWND dialog, const AboutState& state, const AboutLink& link) {
    const std::wstring address = Wide(link.Address);
    const std::wstring folder = Wide(state.ProgramFolder);
    ShellExecuteW(dialog, L"open", address.c_str(), nullptr,
                  folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
}

bool StartProgram(HWND dialog, const std::string& path) {
    const std::wstring file = Wide(path);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_FLAG_NO_UI;
    start.hwnd = dialog;
    start.lpVerb = L"open";
    start.lpFile = file.c_str();
    start.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&start) != FALSE;
}

void SysInfo(HWND dialog, AboutState& state) {
    const bool started = StartSysInfo(
        state.Access, [dialog](const std::string& path) { return StartProgram(dialog, path); });
    if (!started) {
        MessageBoxW(dialog, Wide(kSysInfoUnavailable).c_str(), Wide(kProductName).c_str(), MB_OK);
    }
}

INT_PTR OnCommand(HWND dialog, AboutState& state, int id, int code) {
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
    } else if (id == kSysInfoId && code == BN_CLICKED) {
        SysInfo(dialog, state);
    } else if (id == kSupportLinkId && code == STN_CLICKED) {
        OpenPage(dialog, state, kSupportLink);
    } else if (id == kHomePageLinkId && code == STN_CLICKED) {
        OpenPage(dialog, state, kHomePageLink);
    } else {
        return FALSE;
    }
    return TRUE;
}

INT_PTR LinkColours(HDC dc, HWND label) {
    if (!IsLink(GetDlgCtrlID(label))) return FALSE;
    SetTextColor(dc, kLinkColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
}

INT_PTR HandCursorOverLinks(HWND dialog, HWND under) {
    if (under == nullptr || !IsLink(GetDlgCtrlID(under))) return FALSE;
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        InitDialog(dialog, *reinterpret_cast<AboutState*>(lParam));
        return FALSE;  // the focus is set
    }
    auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND:
            return OnCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
        case WM_DRAWITEM:
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *state);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            return LinkColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR:
            return HandCursorOverLinks(dialog, reinterpret_cast<HWND>(wParam));
        default:
            return FALSE;
    }
}

}  // namespace

OsVersion RunningOsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion =
        registry::win32::SystemFunction<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion");
    if (rtlGetVersion != nullptr) {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (rtlGetVersion(&info) == 0) {
            return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                    info.dwBuildNumber};
        }
    }
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExW(&info) == FALSE) return {~0u, 0, 0, 0};  // no platform the box knows
    // Windows 95/98/Me keep the major and minor version in the build number's high word.
    const DWORD build = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? LOWORD(info.dwBuildNumber)
                                                                        : info.dwBuildNumber;
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, build};
}

void ShowAboutBox(HINSTANCE instance, HWND owner, registry::RegistryAccess& access,
                  const std::string& programFolder) {
    AboutState state(instance, access, programFolder,
                     LoadAbout(access, RunningOsVersion(), kProductName));
    DialogTemplate box = BuildTemplate(state.Content);
    DialogBoxIndirectParamW(instance, box.Get(), owner, AboutProc,
                            reinterpret_cast<LPARAM>(&state));
}

}  // namespace hivewarden::ui::win32
