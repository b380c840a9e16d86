// The failure guard: the one place where failures are caught.
//
// Every handler that a control or a window invokes runs inside Guarded. A
// failure that escapes the handler stops there, before control goes back to
// Qt (exceptions must never unwind through Qt's frames), and is shown in the
// standard failure box; the program then goes on in whatever state the
// handler had reached.
#pragma once

#include "core/errors.h"

#include <new>
#include <string>
#include <utility>

namespace tremalu {

// Shows the failure box for a caught failure's message.
void ReportFailure(const std::string& message);

// Runs handler; returns false when a failure escaped it (and was shown).
template <class Handler>
bool Guarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const EAbort&) {
        // The silent abort cancels what the user asked for; by design it is
        // never shown.
        return false;
    } catch (const Exception& failure) {
        ReportFailure(failure.message());
    } catch (const std::bad_alloc&) {
        ReportFailure(texts::OutOfMemory);
    } catch (const std::exception& failure) {
        ReportFailure(failure.what());
    }
    return false;
}

// For handlers that run while Qt paints: the failure box is shown once the
// paint is over, from the event loop, since a modal box must not open in
// the middle of painting.
template <class Handler>
bool GuardedDeferred(Handler&& handler, std::string& failureMessage) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const EAbort&) {
        // Never shown, as above.
        return false;
    } catch (const Exception& failure) {
        failureMessage = failure.message();
    } catch (const std::bad_alloc&) {
        failureMessage = texts::OutOfMemory;
    } catch (const std::exception& failure) {
        failureMessage = failure.what();
    }
    return false;
}

// Shows the failure box for message from the event loop, after the current
// event.
void ReportFailureLater(const std::string& message);

}  // namespace tremalu
