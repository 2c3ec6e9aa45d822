// Counts the heap memory in use by the whole process, the library included (its
// allocations go through the global operator new that this program replaces), so
// that a benchmark can report the peak memory a calculation needed.
#pragma once

#include <cstddef>

namespace qxbench {

// Bytes allocated now, and the most allocated at any moment since ResetPeakBytes.
size_t CurrentBytes();
size_t PeakBytes();
void ResetPeakBytes();

}  // namespace qxbench
