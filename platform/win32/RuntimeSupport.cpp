// The few C++ runtime pieces the program needs, on the C runtime it already
// imports. The library versions throw std::bad_alloc, which drags exception
// support and a demangler into an executable that has no use for them.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
  void* memory = malloc(size ? size : 1);
  if (memory == NULL) abort();  // out of memory: nothing sensible is left to do
  return memory;
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { free(memory); }
void operator delete[](void* memory) noexcept { free(memory); }
void operator delete(void* memory, std::size_t) noexcept { free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { free(memory); }

extern "C" void __cxa_pure_virtual() { abort(); }
