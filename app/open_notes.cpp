#include "app/open_notes.h"

namespace quillbox {
namespace {

// Window properties, which other processes can read too. Each holds a
// pointer-sized number; the index goes in two halves for 32-bit builds.
constexpr wchar_t kShowsNote[] = L"Quillbox.Note";
constexpr wchar_t kVolume[] = L"Quillbox.Note.Volume";
constexpr wchar_t kIndexHigh[] = L"Quillbox.Note.IndexHigh";
constexpr wchar_t kIndexLow[] = L"Quillbox.Note.IndexLow";

HANDLE AsProperty(ULONGLONG value) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)); }
DWORD FromProperty(HANDLE value) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value)); }

struct Search {
  FileIdentity identity;
  HWND except;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (window == search->except || !::GetPropW(window, kShowsNote)) return TRUE;
  const FileIdentity shown{FromProperty(::GetPropW(window, kVolume)),
                           ULONGLONG{FromProperty(::GetPropW(window, kIndexHigh))} << 32 |
                               FromProperty(::GetPropW(window, kIndexLow))};
  if (!(shown == search->identity)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

void MarkShowing(HWND window, const std::optional<FileIdentity>& identity) {
  if (!identity) {
    for (const wchar_t* name : {kShowsNote, kVolume, kIndexHigh, kIndexLow}) ::RemovePropW(window, name);
    return;
  }
  ::SetPropW(window, kVolume, AsProperty(identity->volume));
  ::SetPropW(window, kIndexHigh, AsProperty(identity->index >> 32));
  ::SetPropW(window, kIndexLow, AsProperty(identity->index & 0xFFFFFFFFu));
  ::SetPropW(window, kShowsNote, AsProperty(1));
}

HWND FindWindowShowing(const FileIdentity& identity, HWND except) {
  Search search{identity, except, nullptr};
  ::EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void BringToFront(HWND window) {
  if (::IsIconic(window)) ::ShowWindowAsync(window, SW_RESTORE);
  ::SetForegroundWindow(window);
}

}  // namespace quillbox
