#include "core/file_type.h"

#include <gtest/gtest.h>

namespace quillbox {

TEST(NoteFileTypeEntries, NameTheWholeModulePathUnquotedInTheFixedOrder) {
  const std::string long_path = "C:\\Program Files\\" + std::string(300, 'q') + "\\Quillbox.exe";
  const std::vector<FileTypeEntry> entries = NoteFileTypeEntries(long_path);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].key, "Note\\shell\\open\\command");
  EXPECT_EQ(entries[0].data, long_path + " %1");
  EXPECT_FALSE(entries[1].create_key);  // "Note" is only opened
  EXPECT_EQ(entries[2].data, long_path + ",1");
  EXPECT_EQ(entries[3].key + "=" + entries[3].data, ".note=Note");
  EXPECT_EQ(entries[4].key + ":" + entries[4].value_name + "=" + entries[4].data, ".note\\ShellNew:NullFile=");
}

}  // namespace quillbox
