// Prints what a file's Properties show of its VERSIONINFO resource, to check
// a release build from outside:
//   version_probe Quillbox.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_probe FILE\n");
    return 2;
  }
  if (::GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "version_probe: %s cannot be opened (error %lu)\n", argv[1],
                 ::GetLastError());
    return 1;
  }
  DWORD ignored = 0;
  std::vector<char> data(::GetFileVersionInfoSizeA(argv[1], &ignored));
  if (data.empty() ||
      !::GetFileVersionInfoA(argv[1], 0, static_cast<DWORD>(data.size()), data.data())) {
    std::fprintf(stderr, "version_probe: %s has no version resource\n", argv[1]);
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  if (::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &size) && fixed) {
    std::printf("FileVersion (numbers): %u.%u.%u.%u\n", unsigned{HIWORD(fixed->dwFileVersionMS)},
                unsigned{LOWORD(fixed->dwFileVersionMS)}, unsigned{HIWORD(fixed->dwFileVersionLS)},
                unsigned{LOWORD(fixed->dwFileVersionLS)});
  }
  for (const char* name :
       {"ProductName", "FileDescription", "FileVersion", "ProductVersion", "LegalCopyright"}) {
    char* value = nullptr;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (::VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &size) &&
        value) {
      std::printf("%s: %s\n", name, value);
    }
  }
  return 0;
}
