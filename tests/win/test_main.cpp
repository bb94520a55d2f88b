// The Windows tests' entry point. Started with --record PATH ..., the
// same program stands in for a web browser (see link_test.cpp).
#include <cstring>
#include <new>

#include "tests/win/test_support.h"

std::atomic<size_t> quillbox::test::failing_allocation_size{0};

// Allocations of failing_allocation_size bytes or more fail while a test
// asks for it: the program must report running out of memory, not end.
void* operator new(size_t size) {
  const size_t failing = quillbox::test::failing_allocation_size;
  void* memory = failing != 0 && size >= failing ? nullptr : std::malloc(size != 0 ? size : 1);
  return memory ? memory : throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
  std::free(memory);
}

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--record") == 0) {
    std::ofstream(argv[2], std::ios::binary) << ::GetCommandLineA();
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
