// The note window's template as the resource compiler wrote it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

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

}  // namespace
}  // namespace quillbox
