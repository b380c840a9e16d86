#include "file_drops.h"

#include "failure_guard.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace tremalu {

namespace {

// The local files a drag carries; none when it carries anything that is not
// a local file, so that a mixed drag is refused whole.
std::vector<std::string> LocalFiles(const QMimeData* data)
{
    std::vector<std::string> files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

// Reading a dropped file leaves it where it is: the drop is taken as a copy
// (or a link), never as a move, which would tell the source to delete it.
bool TakeWithoutMoving(QDropEvent& drop)
{
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (drop.possibleActions() & action) {
            drop.setDropAction(action);
            drop.accept();
            return true;
        }
    }
    drop.ignore();
    return false;
}

}  // namespace

TFileDropTarget::TFileDropTarget(QWidget& control) : QObject(&control), Control(control)
{
    control.setAcceptDrops(true);
    control.installEventFilter(this);
}

bool TFileDropTarget::Accepts(const std::vector<std::string>& files)
{
    bool accept = false;
    if (!files.empty() && OnDragOver)
        Guarded([&] { OnDragOver(Control, files, accept); });
    return accept;
}

bool TFileDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &Control)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (Accepts(LocalFiles(drag->mimeData())))
            TakeWithoutMoving(*drag);
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<std::string> files = LocalFiles(drop->mimeData());
        if (!Accepts(files)) {
            drop->ignore();
            return true;
        }
        if (!TakeWithoutMoving(*drop))
            return true;
        QMetaObject::invokeMethod(
            this,
            [this, files = std::move(files)] {
                if (OnDragDrop)
                    Guarded([&] { OnDragDrop(Control, files); });
            },
            Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace tremalu
