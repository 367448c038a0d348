// The programs' operator new: a large block (a file's text, a table per line) is marked for
// transparent huge pages where the system offers them on request.
//
// The first touch of every 4 KB page of a fresh block costs a page fault, and on a virtual machine
// a fault is dear: reading and comparing two 6 MB texts took about twice as long with 4 KB pages
// as with 2 MB ones. Blocks below a huge page, and systems without them, are left to malloc as
// they are. Linked into the programs only (an object library): the tests and the sanitizer builds
// keep the standard allocation functions.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

void* Allocate(std::size_t size) {
  if (size == 0) size = 1;
  for (;;) {
    if (void* p = std::malloc(size)) {
      if (size >= kHugePage) {
        // Only whole huge pages inside the block can be one; the advice is a hint, its failure
        // (no huge pages here) changes nothing.
        const auto begin = reinterpret_cast<std::uintptr_t>(p);
        const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
        if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
      }
      return p;
    }
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
