#include "rir/large_pages.h"

namespace rir {

// Large pages need a privilege on Windows that the program does not ask for; the buffers use
// the usual pages.
void PreferLargePages(void*, std::size_t) {}

void ReleaseUnwritten(void*, std::size_t) {}

}  // namespace rir
