#include "core/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace quillbox {

using namespace std::string_literals;

TEST(SplitArguments, BackslashAndQuoteRulesMatchTheRuntime) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"  a\tb  c  ", {"a", "b", "c"}}, {R"(a"b c"d)", {"ab cd"}},
      {R"(a\\\"b)", {R"(a\"b)"}},       {R"("a\\" b)", {R"(a\)", "b"}},
      {R"("a""b" c)", {R"(a"b)", "c"}}, {R"(x "open to the end )", {"x", "open to the end "}},
  };
  for (const auto& [line, expected] : cases)
    EXPECT_EQ(SplitArguments(line), expected) << line;
}

// The path comes from the raw tail unless it is quoted; an unquoted path of
// our own program, in any of its forms, ends the program name.
TEST(ChooseNote, PathComesFromRawTailUnlessQuoted) {
  const ModulePathForms module{R"(C:\Program Files\Quillbox\Quillbox.exe)",
                               R"(C:\Program Files\Quillbox\Quillbox.exe)",
                               R"(C:\PROGRA~1\QUILLBOX\QUILLBOX.EXE)"};
  const std::tuple<std::string, bool, std::string> cases[] = {
      {R"("C:\Apps\Quillbox.exe" "C:\My Notes\a.note")", true, R"(C:\My Notes\a.note)"},
      {R"("C:\Apps\Quillbox.exe" C:\My Notes\a.note)", true, R"(C:\My Notes\a.note)"},
      {"Quillbox.exe /x a.note", true, "/x a.note"},
      {"Quillbox.exe /p a.note", false, ""},
      {"Quillbox.exe /Unregister /UNREGSERVER a.note", false, ""},
      {R"("C:\Apps\Quillbox.exe"   )", false, ""},
      {R"(c:\program files\QUILLBOX\quillbox.EXE C:\a b.note)", true, R"(C:\a b.note)"},
      {R"(C:\PROGRA~1\Quillbox\QUILLBOX.exe)"
       "\t C:\\a b.note ",
       true, R"(C:\a b.note )"},
      {R"(C:\Program Files\Quillbox\Quillbox.exe "C:\a b.note" x)", true, R"(C:\a b.note)"},
      {R"(C:\Program Files\Quillbox\Quillbox.exe)", false, ""},
      // Ours only as the start of a longer name: cut at the blank.
      {R"(C:\Program Files\Quillbox\Quillbox.exe2 C:\a.note)", true,
       R"(Files\Quillbox\Quillbox.exe2 C:\a.note)"},
  };
  for (const auto& [line, open, path] : cases) {
    const NoteRequest request = ChooseNote(line, module);
    EXPECT_EQ(request.open, open) << line;
    EXPECT_EQ(request.path, path) << line;
  }
  EXPECT_EQ(RawCommandTail("Quillbox.exe\x01 \x1F"
                           "a b "),
            "a b ");
  EXPECT_EQ(RawCommandTail("Quillbox.exe a\0b"s), "a");
}

}  // namespace quillbox
