#include "core/ui_handover.h"

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
    size_t ran = 0;
    for (;;) {
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
}

void TUiHandOver::WaitForWork(std::chrono::milliseconds longest)
{
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
