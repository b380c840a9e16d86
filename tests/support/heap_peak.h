// How much memory a piece of work takes at its worst, for the tests that
// bound what a hostile file may cost.
//
// The suite runs under AddressSanitizer, whose shadow memory and quarantine
// make an address-space limit (RLIMIT_AS, ulimit -v) meaningless: a forked
// child of a sanitized test cannot even start under a limit of a few hundred
// megabytes. So under the sanitizer the heap is counted instead, through the
// allocator's own malloc and free hooks: the most bytes live at once while
// the work runs, over what was live when it began. Without the sanitizer the
// work runs in a forked child under an address-space limit of that many
// bytes over what the child had mapped.
#pragma once

#include <cstdint>
#include <functional>

namespace testing_support {

// Runs work and says whether it stayed within bytes of heap beyond what was
// held when it began (a failure inside work must be caught by work itself).
// Without the sanitizer work runs in a child process: what it changes is not
// seen by the caller, and a memory failure in it (std::bad_alloc) counts as
// going past the bound.
bool StaysWithin(uint64_t bytes, const std::function<void()>& work);

}  // namespace testing_support
