#include "about/about_box.h"

#include "colors/colors.h"
#include "framework/placement_win.h"
#include "res/resource.h"

namespace quillbox {

AboutBox::AboutBox(HWND owner) : Dialog<AboutBox>(IDD_ABOUT, owner) {}

AboutBox::~AboutBox() {
  if (open_box_ == this)
    open_box_ = nullptr;
}

void AboutBox::OnFinalMessage() {
  if (open_box_ == this)
    open_box_ = nullptr;
  Dialog<AboutBox>::OnFinalMessage();
}

bool AboutBox::DoDataExchange(bool) {
  // Binding takes each piece's static over once.
  if (!first_piece_.hwnd())
    first_piece_.Subclass(Item(IDC_ABOUT_LINK1));
  if (!second_piece_.hwnd())
    second_piece_.Subclass(Item(IDC_ABOUT_LINK2));
  return true;
}

namespace {

// A fixed-pitch face of the dialog font's size where the template's face
// is missing and the system put a proportional one in its place: the art and
// the address line up only in a fixed pitch. Null where the face is there.
UniqueFont FixedPitchInPlaceOf(HWND dialog) {
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  HDC dc = ::GetDC(dialog);
  const HGDIOBJ old = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(dialog, dc);
  // The bit is set for a variable pitch, whatever its name says.
  if (!(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH))
    return UniqueFont();
  LOGFONTW description{};
  ::GetObjectW(font, sizeof description, &description);
  description.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  // As wide as the dialog's units, which the template's layout is drawn in.
  description.lfWidth = metrics.tmAveCharWidth;
  description.lfFaceName[0] = L'\0';
  return UniqueFont(::CreateFontIndirectW(&description));
}

}  // namespace

BOOL AboutBox::OnInitDialog() {
  // Before the pieces of the address take copies of their font.
  fixed_font_ = FixedPitchInPlaceOf(hwnd());
  if (fixed_font_) {
    for (HWND child = ::GetWindow(hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_.get()), FALSE);
  }
  DialogBase::OnInitDialog();
  open_box_ = this;
  for (LinkControl* piece : {&first_piece_, &second_piece_}) {
    piece->SetUrl(kMakerUrl);
    piece->SetUnderline(UnderlineMode::Always);
  }
  if (HWND owner = ::GetWindow(hwnd(), GW_OWNER)) {
    // Centred over the note window, but never out of sight at the screen's
    // edge. A minimised note window has only its icon, far off screen, where
    // the box would hold the capture unseen: the box takes the middle of the
    // work area then.
    const ScreenRect work_area = WorkAreaOf(owner);
    RECT box{}, over{work_area.left, work_area.top, work_area.right, work_area.bottom};
    ::GetWindowRect(hwnd(), &box);
    if (!::IsIconic(owner))
      ::GetWindowRect(owner, &over);
    const NoteGeometry placed =
        CentreOnWorkArea(ScreenRect{over.left, over.top, over.right, over.bottom},
                         WindowSize{box.right - box.left, box.bottom - box.top}, work_area);
    ::SetWindowPos(hwnd(), nullptr, placed.left, placed.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // With the capture, every mouse message of the program comes here, which
  // is how a click anywhere else closes the box.
  ::SetCapture(hwnd());
  return TRUE;
}

bool AboutBox::OnAddress(DWORD message_position) const {
  const POINT point{static_cast<short>(LOWORD(message_position)),
                    static_cast<short>(HIWORD(message_position))};
  RECT first{}, second{};
  ::GetWindowRect(first_piece_.hwnd(), &first);
  ::GetWindowRect(second_piece_.hwnd(), &second);
  return ::PtInRect(&first, point) || ::PtInRect(&second, point);
}

bool AboutBox::PreTranslateMessage(MSG& message) {
  if (message.message == WM_LBUTTONDOWN || message.message == WM_NCLBUTTONDOWN) {
    if (OnAddress(::GetMessagePos())) {
      // Either half of the address opens the one page.
      first_piece_.Click();
      ::SetCapture(hwnd());
    } else {
      EndModal(IDOK);
    }
  } else if (message.message == WM_COMMAND) {
    EndModal(IDOK);
  }
  return DialogBase::PreTranslateMessage(message);
}

Handled AboutBox::OnMouseMove(WPARAM, LPARAM) {
  // The capture keeps the pieces from seeing the mouse, so the box sets
  // their cursor for them.
  if (OnAddress(::GetMessagePos())) {
    ::SetCursor(::LoadCursorA(::GetModuleHandleA(nullptr), "HANDCUR"));
  } else {
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
  }
  return Default();
}

Handled AboutBox::OnCommand(WPARAM wparam, LPARAM) {
  // Pre-translation has opened the page for this click already, whether
  // the box held the capture or not (then the piece itself was clicked and
  // tells us so): passing the piece's notification on would open it again.
  const int id = LOWORD(wparam);
  if (HIWORD(wparam) == STN_CLICKED && (id == IDC_ABOUT_LINK1 || id == IDC_ABOUT_LINK2))
    return 0;
  return std::nullopt;
}

Handled AboutBox::OnCtlColor(WPARAM dc, LPARAM control) {
  // Answered here and not passed on: the pieces keep the link colour
  // whether hovered or visited.
  HDC context = reinterpret_cast<HDC>(dc);
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(control));
  ::SetBkColor(context, BackgroundColor);
  const bool piece = id == IDC_ABOUT_LINK1 || id == IDC_ABOUT_LINK2;
  ::SetTextColor(context, piece ? LinkColor : TextColor);
  if (id == IDC_ABOUT_FRAME) {
    ::SetTextColor(context, TextColor);
    ::SetBkColor(context, TextColor);
  }
  return reinterpret_cast<LRESULT>(BackgroundBrush());
}

}  // namespace quillbox
