// Encoding and decoding cost for notes far larger than anyone types, to keep
// saving and loading linear.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "core/note_codec.h"

namespace {

// Lines of words averaging about sixty characters, CR LF separated, as the
// edit control hands them over.
std::string MakeNoteText(std::size_t size) {
  static const char* const kWords[] = {"the",   "meeting",  "moved",  "to",  "Thursday", "at",
                                       "ten",   "bring",    "slides", "and", "call",     "support",
                                       "about", "invoices", "2024",   "-"};
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, 15);
  std::uniform_int_distribution<int> line_length(30, 90);
  std::string text;
  text.reserve(size + 100);
  while (text.size() < size) {
    const std::size_t line_end = text.size() + static_cast<std::size_t>(line_length(random));
    while (text.size() < line_end) {
      text += kWords[pick(random)];
      text += ' ';
    }
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

constexpr quillbox::NoteGeometry kGeometry{100, 80, 220, 260};

void BM_EncodeNote(benchmark::State& state) {
  const std::string text = MakeNoteText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(quillbox::EncodeNote(kGeometry, text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_DecodeNote(benchmark::State& state) {
  const std::string file =
      quillbox::EncodeNote(kGeometry, MakeNoteText(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state)
    benchmark::DoNotOptimize(quillbox::DecodeNote(file));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(BM_EncodeNote)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeNote)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
