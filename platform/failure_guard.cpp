#include "failure_guard.h"

#include "message_box.h"

#include <QCoreApplication>
#include <QTimer>

namespace tremalu {

void ReportFailure(const std::string& message)
{
    // Showing the box may itself fail (no memory left for its widgets); that
    // must not escape into Qt either.
    try {
        ShowFailureMessage(message);
    } catch (const std::exception& failure) {
        qCritical("%s: %s", message.c_str(), failure.what());
    }
}

void ReportFailureLater(const std::string& message)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [message] { ReportFailure(message); });
}

}  // namespace tremalu
