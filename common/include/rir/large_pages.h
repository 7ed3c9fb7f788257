// A hint for buffers of tens of megabytes that are written once, front to back.
#pragma once

#include <cstddef>

namespace rir {

// Asks the system to back the whole large pages (2 MiB) that lie inside [begin, begin + bytes)
// with one page each, where it can: the first write into each then costs one page fault instead
// of 512. Only memory inside the range is affected, and only once it is written, so a range the
// caller will fill costs no more memory than before. Call it before the range is first written.
void PreferLargePages(void* begin, std::size_t bytes);

// Gives back the memory of [begin, begin + bytes), whole small pages only, which a large page
// made resident although nothing was written there.
void ReleaseUnwritten(void* begin, std::size_t bytes);

}  // namespace rir
