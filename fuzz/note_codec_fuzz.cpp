// Any file must decode, and whatever it decodes to must survive a save and
// a reload unchanged, and read back whole: that is what keeps a note from
// drifting on each save, and a saved note from being taken for a foreign file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/note_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const quillbox::DecodedNote first = quillbox::DecodeNote(bytes);
  const quillbox::DecodedNote second =
      quillbox::DecodeNote(quillbox::EncodeNote(first.geometry, first.text));
  if (second.geometry != first.geometry || second.text != first.text ||
      second.tag != quillbox::kNoteFileTag || !second.whole) {
    std::fprintf(stderr, "note changed across a save and reload\n");
    std::abort();
  }
  return 0;
}
