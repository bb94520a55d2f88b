// The Windows tests' entry point. Started with --hold PATH NAME, the same
// program instead becomes a second process that holds a file open with no
// sharing until told to let go (see FileHolder); with --record PATH EVENT ...,
// it stands in for a web browser.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace quillbox::test {
std::atomic<size_t> failing_allocation_size{0};
}  // namespace quillbox::test

// Allocations of failing_allocation_size bytes or more fail while a test
// asks for it: the program must report running out of memory, not end.
void* operator new(size_t size) {
  const size_t failing = quillbox::test::failing_allocation_size;
  if (failing != 0 && size >= failing) throw std::bad_alloc();
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace {

int HoldFile(const char* path, const char* name) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE held = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(name) + ".held").c_str());
  HANDLE release = ::OpenEventA(SYNCHRONIZE, FALSE, (std::string(name) + ".release").c_str());
  if (file == INVALID_HANDLE_VALUE || !held || !release) return 2;
  ::SetEvent(held);
  ::WaitForSingleObject(release, 60000);
  ::CloseHandle(file);
  return 0;
}

// Writes the command line it was started with into a file and signals the
// event: the stand-in for a web browser (see BrowserStandIn).
int RecordCommandLine(const char* path, const char* event) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  const char* line = ::GetCommandLineA();
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  ::CloseHandle(file);
  if (HANDLE recorded = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, event)) {
    ::SetEvent(recorded);
    ::CloseHandle(recorded);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--hold") == 0) return HoldFile(argv[2], argv[3]);
  if (argc >= 4 && std::strcmp(argv[1], "--record") == 0) return RecordCommandLine(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
