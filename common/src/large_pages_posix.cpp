#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "rir/large_pages.h"

namespace rir {

namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

std::uintptr_t SmallPage() {
  return static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace

void PreferLargePages(void* begin, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto from = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (from + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (from + bytes) & ~(kLargePage - 1);
  if (first < last) {
    // Only a hint: where the system has no large pages, the buffer works as before.
    ::madvise(static_cast<char*>(begin) + (first - from), last - first, MADV_HUGEPAGE);
  }
#else
  (void)begin;
  (void)bytes;
#endif
}

void ReleaseUnwritten(void* begin, std::size_t bytes) {
  const std::uintptr_t page = SmallPage();
  const auto from = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (from + page - 1) & ~(page - 1);
  const std::uintptr_t last = (from + bytes) & ~(page - 1);
  if (first < last) {
    ::madvise(static_cast<char*>(begin) + (first - from), last - first, MADV_DONTNEED);
  }
}

}  // namespace rir
