#include "core/second_thread.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace tremalu {

namespace {

std::atomic<void (*)()> Fault{nullptr};

// Runs the work and returns what it raised, if anything: the caller decides
// where that failure is raised.
std::exception_ptr Guarded(const std::function<void()>& work, bool onSecondThread)
{
    try {
        if (onSecondThread)
            if (void (*fault)() = Fault.load())
                fault();
        work();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

}  // namespace

void RunOnTwoThreads(const std::function<void()>& second, const std::function<void()>& here)
{
    std::exception_ptr secondFailure;
    std::thread other;
    bool started = false;
    try {
        other = std::thread([&] { secondFailure = Guarded(second, true); });
        started = true;
    } catch (const std::system_error&) {
        // No thread to be had (a process or memory limit): the same work is
        // done in turn below.
    }
    const std::exception_ptr hereFailure = Guarded(here, false);
    if (started)
        other.join();
    else
        secondFailure = Guarded(second, true);
    if (hereFailure)
        std::rethrow_exception(hereFailure);
    if (secondFailure)
        std::rethrow_exception(secondFailure);
}

void SetSecondThreadFault(void (*fault)()) { Fault.store(fault); }

}  // namespace tremalu
