#include "ui/win32/win32_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>

#include "shell/window_layout.h"

namespace {

constexpr wchar_t kWindowClass[] = L"FundortMainWindow";
constexpr wchar_t kPictureBoxClass[] = L"FundortPictureBox";
constexpr wchar_t kBarClass[] = L"FundortProgressBar";

/// The program's icon among its resources; a window built without it gets the system's.
constexpr int kIconResource = 1;
/// The one timer of the window: the start timer.
constexpr UINT_PTR kStartTimerId = 1;
/// A task handed to post(), run when this message comes out of the queue.
constexpr UINT kRunPostedTask = WM_APP + 1;

/// Fonts are 8.25 point; in hundredths, so the size is exact in integer arithmetic.
constexpr int kFontHundredthsOfPoint = 825;

std::wstring Wide(std::u16string_view text) {
  // wchar_t holds UTF-16 code units on Windows: a plain copy keeps every character.
  return std::wstring(text.begin(), text.end());
}

HMENU CommandIdOf(ControlId control) {
  return reinterpret_cast<HMENU>(
      static_cast<INT_PTR>(kFirstControlCommandId + static_cast<int>(control)));
}

/// A name may hold "&", which a frame's caption would otherwise turn into a keyboard shortcut.
std::wstring WithoutShortcuts(std::wstring text) {
  for (std::size_t at = text.find(L'&'); at != std::wstring::npos; at = text.find(L'&', at + 2))
    text.insert(at, 1, L'&');
  return text;
}

HFONT CreateWindowFont(const wchar_t* face, int dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(kFontHundredthsOfPoint, dpi, 72 * 100);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

/// Pure blue; made once and kept for the life of the process, as the bar's class paints with it.
HBRUSH BarBrush() {
  static HBRUSH const brush = CreateSolidBrush(RGB(0, 0, 255));
  return brush;
}

/// The window's own class, with windowProc, and those of the progress bar's two parts.
void RegisterClasses(HINSTANCE instance, WNDPROC windowProc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);

  windowClass.lpszClassName = kWindowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
  if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  RegisterClassExW(&windowClass);

  windowClass.hIcon = nullptr;
  windowClass.lpszClassName = kPictureBoxClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  RegisterClassExW(&windowClass);

  windowClass.lpszClassName = kBarClass;
  windowClass.hbrBackground = BarBrush();
  RegisterClassExW(&windowClass);
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance, RunOptions options, Pacing pacing)
    : dpi_(SystemDpi()), driver_(*this, std::move(options), pacing) {
  RegisterClasses(instance, &Win32Window::WindowProc);
  font_ = CreateWindowFont(L"Verdana", dpi_);
  barFont_ = CreateWindowFont(L"MS Sans Serif", dpi_);

  // A fixed single border without a maximise box: nothing reacts to a change of size.
  constexpr DWORD style =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, pixels(kWindowWidthTwips), pixels(kWindowHeightTwips)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const int left = workArea.left + std::max(0L, (workArea.right - workArea.left - width) / 2);
  const int top = workArea.top + std::max(0L, (workArea.bottom - workArea.top - height) / 2);

  window_ = CreateWindowExW(0, kWindowClass, L"", style, left, top, width, height, nullptr, nullptr,
                            instance, this);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  BuildControls(instance);
}

Win32Window::~Win32Window() {
  driver_.TearDown();
  if (window_ != nullptr) {
    KillTimer(window_, kStartTimerId);
    // Controls may still notify while they go; the driver ignores them once torn down.
    DestroyWindow(window_);
  }
  DeleteObject(font_);
  DeleteObject(barFont_);
}

int Win32Window::pixels(int twips) const {
  return MulDiv(twips, dpi_, kTwipsPerPixelAt96Dpi * 96);
}

HWND Win32Window::Control(ControlId control) const {
  return controls_[static_cast<std::size_t>(control)];
}

void Win32Window::BuildControls(HINSTANCE instance) {
  for (const ControlLayout& layout : kWindowLayout) {
    HWND parent = window_;
    if (layout.Parent == Container::PersonFrame) parent = Control(ControlId::PersonFrame);
    if (layout.Parent == Container::ProgressFrame) {
      parent = Control(ControlId::ProgressFrame);
    }
    const std::wstring text = Wide(layout.Text);
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    HFONT font = font_;
    switch (layout.Kind) {
      case ControlKind::PictureBox:
        windowClass = kPictureBoxClass;
        style |= WS_CLIPCHILDREN;
        extended = WS_EX_CLIENTEDGE;
        font = barFont_;
        break;
      case ControlKind::Label:
        if (layout.Id == ControlId::ProgressBar) {
          windowClass = kBarClass;
          font = barFont_;
        } else {
          // A file name in the status line is cut at the right edge rather than wrapped away.
          // A label never paints over a control it touches.
          style |= WS_CLIPSIBLINGS | SS_NOPREFIX |
                   (layout.Id == ControlId::StatusLabel ? SS_LEFTNOWORDWRAP : SS_LEFT);
        }
        break;
      case ControlKind::ListBox:
        windowClass = L"LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Frame:
        windowClass = L"BUTTON";
        style |= BS_GROUPBOX | WS_CLIPCHILDREN;
        // Tab and the arrow keys move into the controls it holds.
        extended = WS_EX_CONTROLPARENT;
        break;
      case ControlKind::TextBox:
        windowClass = L"EDIT";
        // The scroll bar shows only when a long path needs more lines than the box holds.
        style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::CommandButton:
        windowClass = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::HScrollBar:
        windowClass = L"SCROLLBAR";
        style |= WS_TABSTOP | SBS_HORZ;
        break;
    }
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : pixels(layout.Width);
    HWND control = CreateWindowExW(extended, windowClass, text.c_str(), style, pixels(layout.Left),
                                   pixels(layout.Top), width, pixels(layout.Height), parent,
                                   CommandIdOf(layout.Id), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_[static_cast<std::size_t>(layout.Id)] = control;

    if (layout.Kind == ControlKind::Frame) {
      // The frame holds its controls as a container, so their notifications reach it first; it
      // hands them on to the window.
      frameDefaultProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
          control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Window::FrameProc)));
    }
    if (layout.Kind == ControlKind::HScrollBar) {
      SCROLLINFO range{};
      range.cbSize = sizeof(range);
      range.fMask = SIF_RANGE | SIF_POS;
      range.nMin = 1;
      range.nMax = 1;
      range.nPos = 1;
      SetScrollInfo(control, SB_CTL, &range, FALSE);
    }
  }
  // The layout table lets neighbours overlap by a pixel: "Häufigkeit:" ends where the count
  // begins, "gefunden in:" where the path box begins. Each label clips itself to the siblings
  // above it, so the labels lie beneath every other control, and a later label (a value right of
  // or below its caption) above an earlier one: what the user reads is drawn whole, and only a
  // caption's empty end is hidden. Labels take no input, so the tab order stays as built.
  for (auto layout = std::rbegin(kWindowLayout); layout != std::rend(kWindowLayout); ++layout) {
    if (layout->Kind != ControlKind::Label) continue;
    SetWindowPos(Control(layout->Id), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  FitPathBoxScrollBar();
}

// ---- Life of the window. ----

void Win32Window::ShowAndStart() {
  driver_.StartWhenShown();
  ShowWindow(window_, SW_SHOWNORMAL);
  SetFocus(Control(ControlId::PersonList));
  UpdateWindow(window_);
}

int Win32Window::RunMessageLoop() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    Dispatch(message);
  }
}

void Win32Window::RequestClose() const {
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

void Win32Window::Dispatch(MSG& message) {
  if (IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

LRESULT CALLBACK Win32Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<Win32Window*>(creation->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || message == WM_NCDESTROY) {
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK Win32Window::FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = GetParent(frame);
  if (message == WM_COMMAND || message == WM_HSCROLL) {
    return SendMessageW(window, message, wParam, lParam);
  }
  if (message == WM_ERASEBKGND) {
    // A group box draws only its line and caption; as a container it fills its inside too.
    RECT inside{};
    GetClientRect(frame, &inside);
    FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
  }
  const auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const WNDPROC original = self != nullptr ? self->frameDefaultProc_ : nullptr;
  if (original == nullptr) return DefWindowProcW(frame, message, wParam, lParam);
  return CallWindowProcW(original, frame, message, wParam, lParam);
}

LRESULT Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window_, &paint);
      EndPaint(window_, &paint);
      driver_.Painted();
      return 0;
    }
    case WM_TIMER:
      if (wParam == kStartTimerId) {
        // One-shot: the first tick stops it.
        KillTimer(window_, kStartTimerId);
        timerRunning_ = false;
        driver_.StartTimerTick();
      }
      return 0;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == Control(ControlId::HitSelector)) {
        OnSelectorScroll(LOWORD(wParam));
      }
      return 0;
    case kRunPostedTask:
      if (!tasks_.empty()) {
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        task();
      }
      return 0;
    case WM_ACTIVATE:
      // The control that had the keyboard gets it back when the window is active again (after
      // a message box, or another program).
      if (LOWORD(wParam) == WA_INACTIVE) {
        focus_ = GetFocus();
      } else if (focus_ != nullptr && IsChild(window_, focus_)) {
        SetFocus(focus_);
        return 0;
      }
      return DefWindowProcW(window_, message, wParam, lParam);
    case WM_CLOSE:
      // The close box, Alt+F4 and a stop request: the model closes the run and the window.
      driver_.CloseRequested();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends: close as the user does, before the process is ended.
      if (wParam != FALSE) driver_.CloseRequested();
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void Win32Window::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) return;  // a menu or an accelerator: the window has neither
  const int id = LOWORD(wParam) - kFirstControlCommandId;
  if (id < 0 || id >= static_cast<int>(kControlCount)) return;
  const auto control = static_cast<ControlId>(id);
  const WORD notification = HIWORD(wParam);
  if (control == ControlId::PersonList && notification == LBN_SELCHANGE) {
    const LRESULT selected = SendMessageW(Control(control), LB_GETCURSEL, 0, 0);
    driver_.PersonListSelected(selected == LB_ERR ? -1 : static_cast<std::int32_t>(selected));
  } else if (notification == BN_CLICKED &&
             (control == ControlId::SortButton || control == ControlId::OpenButton ||
              control == ControlId::DeleteButton)) {
    driver_.Clicked(control);
  }
}

void Win32Window::OnSelectorScroll(WORD request) {
  HWND selector = Control(ControlId::HitSelector);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(selector, SB_CTL, &info)) return;
  int value = info.nPos;
  switch (request) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
      // A step and a page both move by one hit.
      value = info.nPos > info.nMin ? info.nPos - 1 : info.nMin;
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      value = info.nPos < info.nMax ? info.nPos + 1 : info.nMax;
      break;
    case SB_LEFT:
      value = info.nMin;
      break;
    case SB_RIGHT:
      value = info.nMax;
      break;
    case SB_THUMBTRACK:
      // While the thumb is dragged only its position moves; the 32-bit position comes from the
      // track position, as the message's own field holds 16 bits.
      driver_.SelectorScrolled(info.nTrackPos);
      return;
    case SB_THUMBPOSITION:
      value = info.nTrackPos;
      break;
    default:
      return;
  }
  info.fMask = SIF_POS;
  info.nPos = value;
  SetScrollInfo(selector, SB_CTL, &info, TRUE);
  // A drag released where it started, or a step at either end, changes nothing.
  if (value != selectorValue_) {
    selectorValue_ = value;
    driver_.SelectorChanged(value);
  }
}

// ---- What the driver shows. ----

void Win32Window::FitPathBoxScrollBar() {
  HWND box = Control(ControlId::PathBox);
  // Measured without the bar first: the text wraps wider then, and may fit.
  ShowScrollBar(box, SB_VERT, FALSE);
  HDC context = GetDC(box);
  const auto previous = SelectObject(context, font_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(context, &metrics);
  SelectObject(context, previous);
  ReleaseDC(box, context);
  RECT area{};
  SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  const LONG lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
  const auto lines = static_cast<LONG>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
  if (lines * lineHeight > area.bottom - area.top) ShowScrollBar(box, SB_VERT, TRUE);
}

void Win32Window::showControl(const ControlView& view) {
  switch (view.Control) {
    case ControlId::WindowCaption:
      SetWindowTextW(window_, Wide(view.Text).c_str());
      return;
    case ControlId::ProgressBar:
      ShowProgressBar(view.Fill);
      return;
    case ControlId::PersonList:
      ShowPersonList(view);
      return;
    case ControlId::HitSelector:
      ShowSelector(view);
      return;
    case ControlId::StartTimer:
      ShowStartTimer(view);
      return;
    default:
      break;
  }
  HWND control = Control(view.Control);
  if (control == nullptr) return;
  std::wstring text = Wide(view.Text);
  if (view.Control == ControlId::PersonFrame) text = WithoutShortcuts(std::move(text));
  // Setting an unchanged text would repaint it, and scroll the path box back to its start.
  const int length = GetWindowTextLengthW(control);
  std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
  shown.resize(static_cast<std::size_t>(GetWindowTextW(control, shown.data(), length + 1)));
  if (shown != text) {
    SetWindowTextW(control, text.c_str());
    if (view.Control == ControlId::PathBox) FitPathBoxScrollBar();
  }
  if (view.Control == ControlId::SortButton || view.Control == ControlId::OpenButton ||
      view.Control == ControlId::DeleteButton) {
    EnableWindow(control, view.Enabled ? TRUE : FALSE);
  }
}

void Win32Window::ShowProgressBar(double fill) {
  // The frame's inside is its client area: a full bar fills it exactly at any resolution.
  RECT inside{};
  GetClientRect(Control(ControlId::ProgressFrame), &inside);
  const int width = static_cast<int>(std::lround(fill * inside.right));
  SetWindowPos(Control(ControlId::ProgressBar), nullptr, 0, 0, width, inside.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::ShowPersonList(const ControlView& view) {
  HWND list = Control(ControlId::PersonList);
  const auto shownCount = static_cast<std::size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  const std::size_t unchanged = std::min(view.UnchangedItems, shownCount);
  const bool itemsReplaced = unchanged < shownCount;
  const std::size_t added = view.Items.size() - std::min(unchanged, view.Items.size());
  // A rebuilt list is drawn once, not once per item.
  const bool quiet = itemsReplaced || added > 1;
  if (quiet) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (unchanged == 0) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
  } else {
    for (std::size_t count = shownCount; count > unchanged; --count)
      SendMessageW(list, LB_DELETESTRING, count - 1, 0);
  }
  for (std::size_t index = unchanged; index < view.Items.size(); ++index) {
    const std::wstring item = Wide(view.Items[index]);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  const LRESULT current = SendMessageW(list, LB_GETCURSEL, 0, 0);
  const auto count = static_cast<std::int32_t>(view.Items.size());
  const std::int32_t selected = view.Selected >= 0 && view.Selected < count ? view.Selected : -1;
  // Selecting scrolls the item into view: only when the selection or the items before it moved,
  // not for every person added below it.
  if (selected != current || (itemsReplaced && selected >= 0)) {
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  if (quiet) {
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
}

void Win32Window::ShowSelector(const ControlView& view) {
  HWND selector = Control(ControlId::HitSelector);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = view.Minimum;
  info.nMax = view.Maximum;
  info.nPos = view.Value;
  SetScrollInfo(selector, SB_CTL, &info, TRUE);
  selectorValue_ = view.Value;
  EnableWindow(selector, view.Enabled ? TRUE : FALSE);
}

void Win32Window::ShowStartTimer(const ControlView& view) {
  if (!view.Enabled) {
    if (timerRunning_) KillTimer(window_, kStartTimerId);
    timerRunning_ = false;
  } else if (!timerRunning_) {
    timerRunning_ = SetTimer(window_, kStartTimerId, static_cast<UINT>(std::max(view.Interval, 1)),
                             nullptr) != 0;
  }
}

// ---- Events, message boxes and the end. ----

void Win32Window::processEvents() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The end belongs to the outer loop, once the running handler has returned.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void Win32Window::post(std::function<void()> task) {
  tasks_.push_back(std::move(task));
  PostMessageW(window_, kRunPostedTask, 0, 0);
}

MessageAnswer Win32Window::askUser(const MessageRequest& request) {
  const bool yesNo = request.Buttons == MessageButtons::YesNo;
  UINT type = MB_APPLMODAL | (yesNo ? MB_YESNO : MB_OK);
  switch (request.Icon) {
    case MessageIcon::Critical:
      type |= MB_ICONERROR;
      break;
    case MessageIcon::Question:
      type |= MB_ICONQUESTION;
      break;
  }
  if (yesNo && request.Default == DefaultButton::Second) type |= MB_DEFBUTTON2;
  // The box shows the system's own button texts.
  boxOpen_ = true;
  const int answer =
      MessageBoxW(window_, Wide(request.Text).c_str(), Wide(request.Title).c_str(), type);
  boxOpen_ = false;
  if (!yesNo) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void Win32Window::DismissMessageBox() const {
  if (!boxOpen_) return;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND box, LPARAM owner) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(box, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 &&
            GetWindow(box, GW_OWNER) == reinterpret_cast<HWND>(owner)) {
          EndDialog(box, IDNO);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(window_));
}

void Win32Window::closeWindow() {
  KillTimer(window_, kStartTimerId);
  timerRunning_ = false;
  // A box still open would keep its own message loop, and the run, alive.
  DismissMessageBox();
  ShowWindow(window_, SW_HIDE);
  // The outer loop ends the program once the running handler has returned.
  PostQuitMessage(0);
}
