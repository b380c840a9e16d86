// Work on a second thread, the one way the program runs it.
//
// Where two independent pieces of work can go on at once (the two pictures
// of a pair decoded or reduced side by side, the batch tool's two jobs), one
// runs on a second thread and the other on the calling thread. The second
// thread is always joined before RunOnTwoThreads returns, whatever happened
// on either side, and a failure raised on it is carried back (as an
// std::exception_ptr) and raised on the calling thread after the join: it can
// never end the program through std::terminate, and it keeps its own kind
// (a memory failure stays std::bad_alloc, so it is reported as "Mémoire
// insuffisante.").
//
// The second thread touches only what its work is given; neither side may
// wait for the other (the join is the only meeting point), and the calling
// thread holds no lock across the call that the second side might need.
#pragma once

#include <functional>

namespace tremalu {

// Runs `second` on a new thread and `here` on the calling thread, and returns
// once both have ended. When both raise, the calling thread's failure is the
// one raised; when only one does, that one. When the system cannot start a
// thread at all, `here` runs and then `second`, both on the calling thread,
// with the same rule for failures: the work is done either way.
void RunOnTwoThreads(const std::function<void()>& second, const std::function<void()>& here);

// For tests: a function called on every second thread just before its work,
// inside the same guard; one that raises stands for that work failing (memory
// running out on that thread, say). None by default; nullptr removes it.
void SetSecondThreadFault(void (*fault)());

}  // namespace tremalu
