// The real note window with a large note:
// - showing it: LoadNote, which puts a long note's text in by pieces while
//   the window answers, until all is in, against the whole text put in at
//   once (read, decoded, the window sized and the text set in one call, as
//   LoadNote did before it took long notes in pieces), alternately in one
//   process, so that the ratio holds on a noisy machine;
// - saving it on its own after a keystroke: what the save costs the
//   user-interface thread (typing waits that long) against the whole save,
//   which runs on a thread of its own.
//   note_window_bench [megabytes] [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/note_file.h"
#include "core/note_codec.h"
#include "res/resource.h"
#include "window/note_window.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string SampleText(size_t bytes) {
  static const char* const kWords[] = {"milk",  "bread",     "call",    "the",      "office",
                                       "about", "Tuesday's", "meeting", "remember", "to",
                                       "water", "plants",    "and",     "book",     "tickets"};
  std::string text;
  text.reserve(bytes + 64);
  unsigned seed = 7;
  size_t line = 0;
  while (text.size() < bytes) {
    seed = seed * 1103515245u + 12345u;
    const char* word = kWords[(seed >> 16) % (sizeof kWords / sizeof kWords[0])];
    text += word;
    line += std::char_traits<char>::length(word) + 1;
    if (line > 60) {
      text += "\r\n";
      line = 0;
    } else {
      text += ' ';
    }
  }
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Bench {
  std::string path;
  quillbox::DecodedNote note;
  int rounds = 5;
  std::vector<double> pieces, at_once;
  std::vector<double> save_on_ui_thread, whole_save;
};
Bench* bench = nullptr;

// Back to an empty edit in a window of another size, so that each load
// really resizes the window.
void Reset(HWND window) {
  ::SetWindowTextA(::GetDlgItem(window, IDC_NOTE_TEXT), "");
  ::MoveWindow(window, 0, 0, 180, 200, TRUE);
}

// LoadNote, and the window's loop until the note is all in.
void LoadWhole(quillbox::NoteWindow* window) {
  window->LoadNote(bench->path);
  for (MSG message; window->loading();) {
    if (::GetMessageW(&message, nullptr, 0, 0) <= 0)
      break;
    ::DispatchMessageW(&message);
  }
}

void CALLBACK Measure(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  HWND window = ::GetActiveWindow();
  auto* note_window = static_cast<quillbox::NoteWindow*>(quillbox::Window::FromHandle(window));
  HWND edit = ::GetDlgItem(window, IDC_NOTE_TEXT);
  const quillbox::NoteGeometry& g = bench->note.geometry;
  for (int round = 0; round < bench->rounds; ++round) {
    Reset(window);
    auto start = Clock::now();
    LoadWhole(note_window);  // reads and decodes the file too
    bench->pieces.push_back(std::chrono::duration<double>(Clock::now() - start).count());

    Reset(window);
    start = Clock::now();
    const quillbox::NoteFileContent file = quillbox::ReadNoteFile(bench->path);
    const std::wstring text = quillbox::TextOfNote(quillbox::DecodeNote(file.bytes));
    ::MoveWindow(window, g.left, g.top, g.width, g.height, TRUE);
    ::SetWindowTextW(edit, text.c_str());
    bench->at_once.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }

  LoadWhole(note_window);
  for (int round = 0; round < bench->rounds; ++round) {
    ::SendMessageA(edit, EM_SETSEL, 0, 0);
    ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));  // a keystroke
    const quillbox::FileStamp before = quillbox::StampOf(bench->path);
    const auto start = Clock::now();
    note_window->SaveInBackground();
    bench->save_on_ui_thread.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    MSG message;
    while (quillbox::StampOf(bench->path) == before) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&message);
    }
    bench->whole_save.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  ::PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;
  Bench state;
  state.rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  bench = &state;
  char folder[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, folder);
  state.path = std::string(folder) + "quillbox-load-bench.note";
  const std::string bytes = quillbox::EncodeNote(
      {40, 40, 420, 560}, SampleText(static_cast<size_t>(megabytes * 1024 * 1024)));
  state.note = quillbox::DecodeNote(bytes);
  HANDLE file =
      ::CreateFileA(state.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);

  {
    // A window with no note of its own ("/p" loads default.note, which the
    // temporary folder does not have), so closing it writes nothing.
    ::SetCurrentDirectoryA(folder);
    ::DeleteFileA("default.note");
    quillbox::NoteWindow window("note_window_bench.exe /p");
    ::SetTimer(nullptr, 0, 0, &Measure);
    window.RunModal();
    ::DeleteFileA("default.note");
  }
  ::DeleteFileA(state.path.c_str());

  const double pieces = Median(state.pieces);
  const double at_once = Median(state.at_once);
  std::printf("note of %.1f MB, %d rounds each, alternating, medians:\n", bytes.size() / 1048576.0,
              state.rounds);
  std::printf("  LoadNote, by pieces, until all is in:               %8.1f ms\n", pieces * 1000);
  std::printf("  all at once, the window sized first:                %8.1f ms\n", at_once * 1000);
  std::printf("  ratio (by pieces / at once):                        %8.2f\n", pieces / at_once);
  const double ui = Median(state.save_on_ui_thread), whole = Median(state.whole_save);
  std::printf("saving it on its own after a keystroke, medians:\n");
  std::printf("  on the user-interface thread (typing waits):        %8.1f ms\n", ui * 1000);
  std::printf("  the whole save, on its own thread:                  %8.1f ms\n", whole * 1000);
  std::printf("  share of the save that typing waits for:            %8.2f\n", ui / whole);
  return 0;
}
