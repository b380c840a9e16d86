// Files dropped onto a control from the desktop (a file manager, say).
//
// A control made a drop target takes a drag only when it carries one or more
// local files and its form says yes to them: anything else (text, an address
// of a remote file) is refused at once, and the pointer shows the refusal
// while the drag stays over the control. A drop that is taken is handled
// after the drop itself is over, from the event loop, so that a message box
// raised by the handler never holds the desktop's drag in the middle.
#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace tremalu {

// files: full local paths, in the drag's order. Leaving accept false refuses.
using TDragOverHandler = std::function<void(QObject& sender, const std::vector<std::string>& files, bool& accept)>;
// Runs inside the failure guard.
using TDragDropHandler = std::function<void(QObject& sender, const std::vector<std::string>& files)>;

template <class Form>
TDragOverHandler Bind(Form* form, void (Form::*handler)(QObject&, const std::vector<std::string>&, bool&))
{
    return [form, handler](QObject& sender, const std::vector<std::string>& files, bool& accept) {
        (form->*handler)(sender, files, accept);
    };
}

template <class Form>
TDragDropHandler Bind(Form* form, void (Form::*handler)(QObject&, const std::vector<std::string>&))
{
    return [form, handler](QObject& sender, const std::vector<std::string>& files) { (form->*handler)(sender, files); };
}

class TFileDropTarget : public QObject {
    Q_OBJECT
public:
    // Belongs to control and makes it take drags.
    explicit TFileDropTarget(QWidget& control);

    TDragOverHandler OnDragOver;
    TDragDropHandler OnDragDrop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Accepts(const std::vector<std::string>& files);

    QWidget& Control;
};

}  // namespace tremalu
