// The resources as the resource compiler wrote them: the note window's
// template and the icons.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace quillbox {
namespace {

// Reads the fields of an extended dialog template in order.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : at_(data) {}
  WORD Word() { return Take<WORD>(); }
  DWORD Dword() { return Take<DWORD>(); }
  short Short() { return Take<short>(); }
  BYTE Byte() { return Take<BYTE>(); }
  // A string or an ordinal (0xFFFF and a number) or nothing (0).
  std::string SzOrOrdinal() {
    if (Peek() == 0xFFFF) {
      Word();
      std::string ordinal = "#";
      ordinal += std::to_string(Word());
      return ordinal;
    }
    std::string text;
    for (WORD c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignDword(const BYTE* base) {
    while ((at_ - base) % 4) ++at_;
  }

 private:
  WORD Peek() const {
    WORD value;
    std::memcpy(&value, at_, sizeof value);
    return value;
  }
  template <class T>
  T Take() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  const BYTE* at_;
};

TEST(NoteTemplate, IsTheExtendedTemplateWithTheExactStylesSizesFontAndEdit) {
  HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_NOTE), MAKEINTRESOURCEA(5));  // RT_DIALOG
  ASSERT_NE(resource, nullptr);
  const auto* base = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, resource)));
  TemplateReader reader(base);
  EXPECT_EQ(reader.Word(), 1);       // dlgVer
  EXPECT_EQ(reader.Word(), 0xFFFF);  // signature: extended
  EXPECT_EQ(reader.Dword(), 0u);     // help id
  EXPECT_EQ(reader.Dword(), 0x00040010u);  // WS_EX_APPWINDOW | WS_EX_ACCEPTFILES
  EXPECT_EQ(reader.Dword(), 0x90CE0040u);  // popup, visible, caption, system menu, frame, minimize box, font
  EXPECT_EQ(reader.Word(), 1);             // one control
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 110);
  EXPECT_EQ(reader.Short(), 134);
  EXPECT_EQ(reader.SzOrOrdinal(), "");  // no menu
  EXPECT_EQ(reader.SzOrOrdinal(), "");  // the standard dialog class
  EXPECT_EQ(reader.SzOrOrdinal(), " M E M O !");
  EXPECT_EQ(reader.Word(), 7);  // points
  EXPECT_EQ(reader.Word(), 0);  // weight
  EXPECT_EQ(reader.Byte(), 0);  // not italic
  EXPECT_EQ(reader.Byte(), 1);  // DEFAULT_CHARSET
  EXPECT_EQ(reader.SzOrOrdinal(), "QB mono");

  reader.AlignDword(base);
  EXPECT_EQ(reader.Dword(), 0u);           // help id
  EXPECT_EQ(reader.Dword(), 0x00000020u);  // WS_EX_TRANSPARENT
  EXPECT_EQ(reader.Dword(), 0x50211044u);  // child, visible, vscroll, tabstop, want return, auto vscroll, multiline
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 2);
  EXPECT_EQ(reader.Short(), 109);
  EXPECT_EQ(reader.Short(), 132);
  EXPECT_EQ(reader.Dword(), static_cast<DWORD>(IDC_NOTE_TEXT));
  EXPECT_EQ(reader.SzOrOrdinal(), "#129");  // the predefined Edit class
  EXPECT_EQ(reader.SzOrOrdinal(), "");
  EXPECT_EQ(reader.Word(), 0);  // no creation data
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// Width, height and bits per pixel of each image of an icon group.
std::vector<std::string> IconImages(WORD group) {
  HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!resource) return {};
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, resource)));
  WORD count = 0;
  std::memcpy(&count, data + 4, sizeof count);
  std::vector<std::string> images;
  for (WORD i = 0; i < count; ++i) {
    IconGroupEntry entry;
    std::memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
    images.push_back(std::to_string(entry.width) + "x" + std::to_string(entry.height) + "x" +
                     std::to_string(entry.bit_count));
  }
  return images;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<int>*>(names)->push_back(static_cast<int>(
      reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

TEST(Icons, TheDocumentIconIsTheSecondGroupWithItsThreeImages) {
  std::vector<int> groups;
  ::EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(14), &CollectName, reinterpret_cast<LONG_PTR>(&groups));
  EXPECT_EQ(groups, (std::vector<int>{IDR_MAINICON, IDI_NOTEFILE}));  // ",1" names the document
  EXPECT_EQ(IconImages(IDI_NOTEFILE), (std::vector<std::string>{"32x32x4", "16x16x8", "16x16x4"}));
  EXPECT_FALSE(IconImages(IDR_MAINICON).empty());
}

TEST(Icons, TheDocumentIsAWhiteSheetWithAGreyOutlineAndAFoldedCornerOnNothing) {
  HICON icon = static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_NOTEFILE), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr);
  // Drawn over magenta, transparent pixels stay magenta.
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  RECT all{0, 0, 32, 32};
  HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
  ::FillRect(dc, &all, magenta);
  ::DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(::GetPixel(dc, 15, 20), RGB(255, 255, 255));  // the sheet
  EXPECT_EQ(::GetPixel(dc, 6, 20), RGB(128, 128, 128));   // its left edge
  EXPECT_EQ(::GetPixel(dc, 15, 29), RGB(128, 128, 128));  // its bottom edge
  EXPECT_EQ(::GetPixel(dc, 25, 2), RGB(255, 0, 255));     // the corner folded away
  EXPECT_EQ(::GetPixel(dc, 1, 1), RGB(255, 0, 255));      // around the sheet
  EXPECT_EQ(::GetPixel(dc, 30, 16), RGB(255, 0, 255));
  ::SelectObject(dc, old);
  ::DeleteObject(magenta);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  ::DestroyIcon(icon);
}

}  // namespace
}  // namespace quillbox
