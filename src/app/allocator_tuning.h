// Allocator settings for one conversion run: a run builds a whole font in memory and
// ends, so memory given back to the system between steps only costs fresh page faults
// (on virtual machines, a large share of a run) when the next step asks for it again.
#pragma once

namespace vn {

// Keeps freed memory in the process and grows the heap in larger steps. Without the
// GNU C library it does nothing.
void tuneAllocatorForOneRun();

}  // namespace vn
