// The borderless About box: a text-art logo, the credits, and the maker's web
// address as two link pieces. It holds the mouse capture while it is open:
// a click on the address opens the page, any other click closes the box.
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "link/link_control.h"

namespace quillbox {

// The maker's web page; the two pieces of the box spell it without the scheme.
inline constexpr char kMakerUrl[] = "http://www.quillboxnote.example/quillbox/";

class AboutBox : public Dialog<AboutBox> {
 public:
  // `owner` (the note window) is disabled while the box runs and is the
  // window the box is centred over.
  explicit AboutBox(HWND owner);
  ~AboutBox() override;

  // The box that is open now, or null: there is never more than one.
  static AboutBox* OpenBox() noexcept { return open_box_; }

  bool PreTranslateMessage(MSG& message) override;

 protected:
  bool DoDataExchange(bool save) override;
  BOOL OnInitDialog() override;
  void OnFinalMessage() override;

 private:
  // Whether a screen position lies on either piece of the address.
  bool OnAddress(DWORD message_position) const;
  Handled OnMouseMove(WPARAM, LPARAM);
  Handled OnCommand(WPARAM wparam, LPARAM lparam);
  Handled OnCtlColor(WPARAM dc, LPARAM control);

 private:
  // The table is read by the message-map base only.
  friend class WithMessageMap<AboutBox, DialogBase>;
  static constexpr Entry kMessageMap[] = {
      {WM_MOUSEMOVE, &AboutBox::OnMouseMove},
      {WM_COMMAND, &AboutBox::OnCommand},
      {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC,
       &AboutBox::OnCtlColor},  // every control-colour request
  };

  UniqueFont fixed_font_;  // in place of a missing template face; outlives the pieces
  LinkControl first_piece_;
  LinkControl second_piece_;
  inline static AboutBox* open_box_ = nullptr;
};

}  // namespace quillbox
