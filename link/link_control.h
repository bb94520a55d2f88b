// A static text control taken over to act as a web link: link colours, an
// underline, a hand cursor, the URL as a tooltip, and a click that opens it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace quillbox {

enum class UnderlineMode : int {
  Never = 0,
  Always = 1,
  OnHover = -1
};

class LinkControl : public Control<LinkControl> {
 public:
  static constexpr COLORREF kUnvisitedColor = RGB(0, 0, 238);
  static constexpr COLORREF kVisitedColor = RGB(85, 26, 139);
  static constexpr COLORREF kHoverColor = RGB(255, 0, 0);
  static constexpr UINT_PTR kHoverTimer = 100;
  static constexpr UINT kHoverPeriodMs = 100;

  LinkControl() = default;

  void SetUrl(const std::string& url);
  void SetVisited(bool visited);
  void SetUnderline(UnderlineMode mode);
  // Opens the URL; beeps and says why when that fails.
  void Click();

  bool PreTranslateMessage(MSG& message) override;
  bool OnReflected(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 protected:
  void OnTakeOver() override;

 private:
  // The hand cursor's resource in the system's help program.
  static constexpr WORD kHelpHandCursor = 106;
  static constexpr UINT_PTR kToolId = 1;
  // Pixels below the client area that an underline may reach.
  static constexpr int kUnderlineOverhang = 10;

  bool HasWindow() const { return hwnd() && ::IsWindow(hwnd()); }
  TOOLINFOA Tool();
  void LoadLinkCursor();
  LRESULT ChooseColors(HDC dc);

  Handled OnSetCursor(WPARAM, LPARAM);
  Handled OnMouseMove(WPARAM, LPARAM);
  Handled OnTimer(WPARAM, LPARAM);
  Handled OnEraseBackground(WPARAM, LPARAM);
  Handled OnDestroy(WPARAM, LPARAM);

 private:
  // The table is read by the message-map base only.
  friend class WithMessageMap<LinkControl, Window>;
  static constexpr Entry kMessageMap[] = {
      {WM_SETCURSOR, &LinkControl::OnSetCursor}, {WM_MOUSEMOVE, &LinkControl::OnMouseMove},
      {WM_TIMER, &LinkControl::OnTimer},         {WM_ERASEBKGND, &LinkControl::OnEraseBackground},
      {WM_DESTROY, &LinkControl::OnDestroy},
  };

  bool over_ = false;
  bool visited_ = false;
  UnderlineMode underline_ = UnderlineMode::OnHover;
  // Owned resources, declared so that they are released in this order:
  // underlined font, cursor, tooltip, normal font, URL.
  std::string url_;
  UniqueFont normal_font_;
  UniqueWindow tooltip_;
  UniqueCursor link_cursor_;
  UniqueFont underlined_font_;
};

}  // namespace quillbox
