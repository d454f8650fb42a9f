#include "app/allocator_tuning.h"

#include <cstdlib>  // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vn {

void tuneAllocatorForOneRun() {
#if defined(__GLIBC__)
  // Blocks up to 32 MiB come from the heap (not from mappings of their own that are
  // unmapped when freed), the heap is trimmed only past 64 MiB of free memory at its
  // top, and it grows 16 MiB at a time. Untouched memory stays virtual.
  constexpr int kMib = 1024 * 1024;
  mallopt(M_MMAP_THRESHOLD, 32 * kMib);
  mallopt(M_TRIM_THRESHOLD, 64 * kMib);
  mallopt(M_TOP_PAD, 16 * kMib);
#endif
}

}  // namespace vn
