// Reads the state of a running fundort window from another process, as the window test needs it:
//   window_probe CAPTION client                the client area's width and height in pixels
//   window_probe CAPTION items                 the person list's items, one per line
//   window_probe CAPTION text CONTROL          a control's text
//   window_probe CAPTION endsession            ends the Windows session as the system does
//   window_probe CAPTION point CONTROL [ITEM]  screen position of the control's centre, of the
//                                              list item's, or of a scroll bar's right arrow (end)
//   window_probe CAPTION box                   the open message box's text, then its default
//                                              button (Yes, No, OK or none)
//   window_probe CAPTION above CONTROL         the controls above it in its container that
//                                              overlap it, one per line
// CONTROL is a name of the layout table in ASCII ("ae" for "ä"). Output is UTF-8; the exit status
// is 1 when the window, the control or the box is not there, 2 for a wrong call.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/windows_win32.h"
#include "shell/window_layout.h"
#include "ui/win32/win32_window.h"

namespace {

void Print(std::wstring_view text) {
  std::string bytes(text.size() * 3, '\0');  // at most three bytes per UTF-16 unit
  bytes.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, nullptr)));
  std::printf("%s\n", bytes.c_str());
}

std::wstring TextOf(HWND window) {
  const auto length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

struct Search {
  std::function<bool(HWND)> Wanted;
  HWND Found = nullptr;
};

/// The first window that is wanted: below parent, or of the top-level ones for nullptr.
HWND FindWhere(HWND parent, std::function<bool(HWND)> wanted) {
  Search search{std::move(wanted), nullptr};
  const WNDENUMPROC visit = [](HWND window, LPARAM state) -> BOOL {
    auto* current = reinterpret_cast<Search*>(state);
    if (current->Wanted(window)) current->Found = window;
    return current->Found == nullptr;
  };
  parent != nullptr ? EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search))
                    : EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

/// The layout table's name of a control in ASCII.
std::wstring AsciiName(const ControlLayout& layout) {
  std::wstring ascii;
  for (const char16_t character : layout.Name)
    ascii += character == u'ä' ? std::wstring(L"ae") : std::wstring(1, character);
  return ascii;
}

/// The control named name (in ASCII) anywhere inside window, the frame's controls included.
HWND FindControl(HWND window, std::wstring_view name) {
  for (const ControlLayout& layout : kWindowLayout) {
    const int id = kFirstControlCommandId + static_cast<int>(layout.Id);
    if (AsciiName(layout) == name)
      return FindWhere(window, [id](HWND child) { return GetDlgCtrlID(child) == id; });
  }
  return nullptr;
}

/// The controls that lie above control in its container and overlap it: they hide that part of
/// it, as every control clips itself to the siblings above it.
int PrintAbove(HWND control) {
  RECT own{};
  GetWindowRect(control, &own);
  for (HWND sibling = GetWindow(control, GW_HWNDPREV); sibling != nullptr;
       sibling = GetWindow(sibling, GW_HWNDPREV)) {
    RECT other{}, common{};
    GetWindowRect(sibling, &other);
    if (!IntersectRect(&common, &own, &other)) continue;
    for (const ControlLayout& layout : kWindowLayout) {
      if (GetDlgCtrlID(sibling) == kFirstControlCommandId + static_cast<int>(layout.Id))
        Print(AsciiName(layout));
    }
  }
  return 0;
}

int PrintBox(HWND window) {
  HWND box = FindWhere(nullptr, [window](HWND candidate) {
    wchar_t name[16] = {};
    GetClassNameW(candidate, name, 16);
    return lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(candidate) &&
           GetWindow(candidate, GW_OWNER) == window;
  });
  if (box == nullptr) return 1;
  // The message is the box's static text; buttons have the answers' identifiers.
  constexpr int kMessageText = 0xFFFF;
  HWND message = GetDlgItem(box, kMessageText);
  Print(message != nullptr ? TextOf(message) : std::wstring());
  // The default button is the one drawn as such, which Return presses.
  int id = 0;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      id = GetDlgCtrlID(child);
    }
  }
  Print(id == IDNO ? L"No" : id == IDYES ? L"Yes" : id == IDOK ? L"OK" : L"none");
  return 0;
}

int PrintPoint(HWND control, const wchar_t* item) {
  RECT area{};
  GetClientRect(control, &area);
  POINT centre{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  if (item != nullptr && std::wstring_view(item) == L"end") {
    // The arrow at the right end of a scroll bar.
    centre.x = area.right - GetSystemMetrics(SM_CXHSCROLL) / 2;
  } else if (item != nullptr) {
    // Items are of equal height, counted from the first one shown.
    const int index = _wtoi(item);
    const auto top = static_cast<int>(SendMessageW(control, LB_GETTOPINDEX, 0, 0));
    const auto height = static_cast<int>(SendMessageW(control, LB_GETITEMHEIGHT, 0, 0));
    centre.y = (index - top) * height + height / 2;
  }
  ClientToScreen(control, &centre);
  std::printf("%ld %ld\n", centre.x, centre.y);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND window = FindWindowW(L"FundortMainWindow", argv[1]);
  if (window == nullptr) return 1;
  const std::wstring_view command = argv[2];
  if (command == L"client") {
    RECT area{};
    GetClientRect(window, &area);
    std::printf("%ld %ld\n", area.right - area.left, area.bottom - area.top);
    return 0;
  }
  if (command == L"box") return PrintBox(window);
  if (command == L"endsession") {
    // The system asks every window first and then tells each that the session ends.
    const LRESULT agreed = SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
    SendMessageW(window, WM_ENDSESSION, agreed != 0 ? TRUE : FALSE, 0);
    return agreed != 0 ? 0 : 1;
  }
  if (command == L"items") {
    HWND list = FindControl(window, L"PersonList");
    if (list == nullptr) return 1;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
      std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1,
                        L'\0');
      item.resize(static_cast<std::size_t>(
          SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data()))));
      Print(item);
    }
    return 0;
  }
  if (argc < 4) return 2;
  HWND control = FindControl(window, argv[3]);
  if (control == nullptr) return 1;
  if (command == L"text") {
    Print(TextOf(control));
    return 0;
  }
  if (command == L"point") return PrintPoint(control, argc > 4 ? argv[4] : nullptr);
  if (command == L"above") return PrintAbove(control);
  return 2;
}
