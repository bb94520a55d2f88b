#include "link/link_control.h"

#include <commctrl.h>

#include "core/url_launch.h"
#include "framework/text.h"
#include "link/url_launcher.h"

namespace quillbox {

void LinkControl::OnTakeOver() {
  // Mouse input and click notifications need SS_NOTIFY.
  ::SetWindowLongPtrA(hwnd(), GWL_STYLE, ::GetWindowLongPtrA(hwnd(), GWL_STYLE) | SS_NOTIFY);
  const std::string text = WindowText(hwnd());
  if (url_.empty())
    url_ = text;
  if (text.empty())
    ::SetWindowTextA(hwnd(), url_.c_str());

  // Copies of the control's font, plain and underlined; the font itself is
  // borrowed.
  auto font = reinterpret_cast<HFONT>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0));
  if (!font)
    font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  if (!font)
    font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
  LOGFONTA description{};
  ::GetObjectA(font, sizeof description, &description);
  normal_font_.reset(::CreateFontIndirectA(&description));
  description.lfUnderline = TRUE;
  underlined_font_.reset(::CreateFontIndirectA(&description));

  LoadLinkCursor();
  // A mode set before the take-over gives way to the default one (and the
  // plain font is sent); the default mode sends nothing.
  SetUnderline(UnderlineMode::OnHover);

  RECT client{};
  ::GetClientRect(hwnd(), &client);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  tooltip_.reset(::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                   nullptr, nullptr));
  TOOLINFOA tool = Tool();
  tool.rect = client;
  ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

TOOLINFOA LinkControl::Tool() {
  // The control's one tool, which shows the URL.
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = hwnd();
  tool.uId = kToolId;
  tool.lpszText = url_.data();
  return tool;
}

void LinkControl::LoadLinkCursor() {
  if (link_cursor_)
    return;
  char path[MAX_PATH + 16] = {};
  const UINT length = ::GetWindowsDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  lstrcatA(path, "\\winhlp32.exe");
  UniqueModule help(::LoadLibraryA(path));
  if (!help)
    return;
  // The cursor belongs to the module; our copy outlives it.
  if (HCURSOR hand = ::LoadCursorA(help.get(), MAKEINTRESOURCEA(kHelpHandCursor))) {
    link_cursor_.reset(::CopyIcon(hand));
  }
}

void LinkControl::SetUrl(const std::string& url) {
  url_ = url;
  if (!HasWindow())
    return;
  TOOLINFOA tool = Tool();
  ::SendMessageA(tooltip_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void LinkControl::SetVisited(bool visited) {
  visited_ = visited;
  if (HasWindow())
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void LinkControl::SetUnderline(UnderlineMode mode) {
  if (mode == underline_)
    return;
  if (HasWindow()) {
    HFONT font = mode == UnderlineMode::Always ? underlined_font_.get() : normal_font_.get();
    ::SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
  }
  underline_ = mode;
}

void LinkControl::Click() {
  over_ = false;
  const INT_PTR result = OpenUrl(url_, SW_SHOW);
  visited_ = LaunchSucceeded(result);
  if (visited_) {
    SetVisited(true);
  } else {
    ::MessageBeep(MB_ICONEXCLAMATION);
    ReportLaunchError(result);
  }
}

bool LinkControl::PreTranslateMessage(MSG& message) {
  if (tooltip_)
    ::SendMessageA(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
  return Control<LinkControl>::PreTranslateMessage(message);
}

bool LinkControl::OnReflected(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (message == WM_CTLCOLORSTATIC) {
    result = ChooseColors(reinterpret_cast<HDC>(wparam));
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wparam) == STN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return false;
}

LRESULT LinkControl::ChooseColors(HDC dc) {
  ::SetTextColor(dc, over_ ? kHoverColor : visited_ ? kVisitedColor : kUnvisitedColor);
  // Nothing paints the background, so the parent's shows through.
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

Handled LinkControl::OnSetCursor(WPARAM, LPARAM) {
  if (!link_cursor_)
    return FALSE;  // and the cursor stays as it is
  ::SetCursor(link_cursor_.get());
  return TRUE;
}

Handled LinkControl::OnMouseMove(WPARAM, LPARAM) {
  if (!over_) {
    over_ = true;
    if (underline_ == UnderlineMode::OnHover) {
      ::SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(underlined_font_.get()), TRUE);
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    // The end of the hover is found by looking where the mouse is.
    ::SetTimer(hwnd(), kHoverTimer, kHoverPeriodMs, nullptr);
  }
  return Default();
}

Handled LinkControl::OnTimer(WPARAM, LPARAM) {
  const DWORD position = ::GetMessagePos();
  POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ::ScreenToClient(hwnd(), &point);
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  if (!::PtInRect(&client, point)) {
    over_ = false;
    ::KillTimer(hwnd(), kHoverTimer);
    if (underline_ != UnderlineMode::Always) {
      ::SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(normal_font_.get()), TRUE);
    }
    // The underline hangs below the client area; repaint it away too.
    client.bottom += kUnderlineOverhang;
    ::InvalidateRect(hwnd(), &client, TRUE);
  }
  return Default();
}

Handled LinkControl::OnEraseBackground(WPARAM, LPARAM) {
  return TRUE;
}

Handled LinkControl::OnDestroy(WPARAM, LPARAM) {
  ::KillTimer(hwnd(), kHoverTimer);
  return Default();
}

}  // namespace quillbox
