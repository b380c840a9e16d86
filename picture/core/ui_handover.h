// The hand-over queue between worker threads and the user-interface thread.
//
// Only the user-interface thread draws and touches pictures. A worker that
// needs something done there (a GIF painter's paint step, one of its
// listener calls, its clean-up) hands the step over with Run and blocks
// until the step has run; a failure raised by the step is raised again in
// the worker. The user-interface thread runs the queued steps in Drain:
// - the windowing layer installs a waker that asks its event loop to call
//   Drain soon (the waker is called from the worker's thread);
// - code on the user-interface thread that waits for a worker (the first
//   frame of an animation, stopping a painter) calls Drain and WaitForWork in
//   its waiting loop, and so never waits on a worker that waits on it;
// - without an event loop (the batch tool, the tests) those waiting loops
//   are the only drainers, which is enough: a worker only ever blocks on a
//   step, and every wait for a worker drains.
//
// The queue belongs to one thread: the one bound as the user-interface
// thread (once, where the picture modules start). Drain and WaitForWork on
// any other thread are a programming fault and raise std::logic_error: a
// second thread running steps would run one picture's steps away from the
// thread that owns it, and two drainers each waiting inside a step for what
// the other holds would never return. So no other thread ever starts a
// painter (a batch job's thread draws pictures without animation).
//
// Steps run in the order they were handed over. The queue is process-wide.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace tremalu {

class TUiHandOver {
public:
    TUiHandOver() = default;
    TUiHandOver(const TUiHandOver&) = delete;
    TUiHandOver& operator=(const TUiHandOver&) = delete;

    // Makes the calling thread the user-interface thread: Run called on it
    // runs the step at once instead of queueing it (it would wait for
    // itself otherwise), and only it may drain.
    void BindToCurrentThread();
    bool OnUiThread() const;

    // On a worker: queues the step, wakes the user-interface thread and
    // blocks until the step has run there. Raises again what the step
    // raised.
    void Run(const std::function<void()>& step);

    // On the user-interface thread: runs the steps queued so far, not those
    // queued while they run, so that it always returns soon. Returns how
    // many ran. std::logic_error on any other thread, nothing run.
    size_t Drain();

    // On the user-interface thread: blocks until a step is queued or the
    // time has passed, whichever comes first; returns at once when a step
    // is already waiting. std::logic_error on any other thread.
    void WaitForWork(std::chrono::milliseconds longest);

    // Called from a worker each time a step is queued; the windowing layer
    // sets one that posts a call of Drain to its event loop. None by
    // default. Replacing it waits until no worker is inside the old one.
    void SetWaker(std::function<void()> waker);

private:
    // Raises std::logic_error unless called on the bound thread.
    void RequireUiThread(const char* operation) const;

    struct Pending {
        const std::function<void()>* Step;
        std::exception_ptr Failure;
        bool Done = false;
    };

    mutable std::mutex Lock;
    std::condition_variable Queued;    // the user-interface thread waits here
    std::condition_variable Finished;  // workers wait here for their step
    std::deque<Pending*> Steps;
    std::thread::id UiThread;
    std::mutex WakerLock;
    std::function<void()> Waker;
};

// The queue of the process.
TUiHandOver& UiHandOver();

}  // namespace tremalu
