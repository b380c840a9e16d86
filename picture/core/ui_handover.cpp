#include "core/ui_handover.h"

#include <stdexcept>
#include <string>

namespace tremalu {

void TUiHandOver::BindToCurrentThread()
{
    std::lock_guard<std::mutex> guard(Lock);
    UiThread = std::this_thread::get_id();
}

bool TUiHandOver::OnUiThread() const
{
    std::lock_guard<std::mutex> guard(Lock);
    return UiThread == std::this_thread::get_id();
}

void TUiHandOver::RequireUiThread(const char* operation) const
{
    if (!OnUiThread())
        throw std::logic_error(std::string("the hand-over queue: ") + operation +
                               " called off the user-interface thread");
}

void TUiHandOver::Run(const std::function<void()>& step)
{
    if (OnUiThread()) {
        step();
        return;
    }
    Pending pending{&step, nullptr, false};
    {
        std::lock_guard<std::mutex> guard(Lock);
        Steps.push_back(&pending);
    }
    Queued.notify_all();
    {
        std::lock_guard<std::mutex> guard(WakerLock);
        if (Waker)
            Waker();
    }
    std::unique_lock<std::mutex> guard(Lock);
    Finished.wait(guard, [&] { return pending.Done; });
    if (pending.Failure)
        std::rethrow_exception(pending.Failure);
}

size_t TUiHandOver::Drain()
{
    // Only the steps already queued: a worker whose step has just run may
    // queue its next one at once (a painter late on its delays does), and
    // running that too could keep this thread here, away from its event
    // loop, for as long as the worker keeps up. Its next step has a drain of
    // its own (the waker's, or the next turn of a waiting loop).
    RequireUiThread("Drain");
    size_t queued = 0;
    {
        std::lock_guard<std::mutex> guard(Lock);
        queued = Steps.size();
    }
    size_t ran = 0;
    while (ran < queued) {
        Pending* next = nullptr;
        {
            std::lock_guard<std::mutex> guard(Lock);
            if (Steps.empty())
                return ran;
            next = Steps.front();
            Steps.pop_front();
        }
        // The failure belongs to the worker that handed the step over; it is
        // raised again there, never here.
        std::exception_ptr failure;
        try {
            (*next->Step)();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> guard(Lock);
            next->Failure = std::move(failure);
            next->Done = true;
        }
        Finished.notify_all();
        ++ran;
    }
    return ran;
}

void TUiHandOver::WaitForWork(std::chrono::milliseconds longest)
{
    RequireUiThread("WaitForWork");
    std::unique_lock<std::mutex> guard(Lock);
    Queued.wait_for(guard, longest, [this] { return !Steps.empty(); });
}

void TUiHandOver::SetWaker(std::function<void()> waker)
{
    std::lock_guard<std::mutex> guard(WakerLock);
    Waker = std::move(waker);
}

TUiHandOver& UiHandOver()
{
    static TUiHandOver queue;
    return queue;
}

}  // namespace tremalu
