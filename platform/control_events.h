// The events that a control reports to its form.
//
// A click is the left button pressed and released over the same control; a
// mouse move is reported for every move over the control, button held or
// not. A control takes every mouse event it receives, with or without a
// handler, so that a move over a control without a handler never reaches
// the handler of the control beneath it. Handlers run inside the failure
// guard.
#pragma once

#include <functional>

class QMouseEvent;
class QObject;
class QWidget;

namespace tremalu {

using TClickHandler = std::function<void(QObject& sender)>;
// x and y are in the sender's own coordinates.
using TMouseMoveHandler = std::function<void(QObject& sender, int x, int y)>;

class TControlEvents {
public:
    virtual ~TControlEvents() = default;

    TClickHandler OnClick;
    TMouseMoveHandler OnMouseMove;

    // Runs OnClick for control, inside the failure guard.
    void Click(QWidget& control);

protected:
    // For the control's mouse event handlers.
    void MousePressed(QWidget& control, QMouseEvent& event);
    void MouseReleased(QWidget& control, QMouseEvent& event);
    void MouseMoved(QWidget& control, QMouseEvent& event);

private:
    bool LeftPressed = false;
};

// Builds handlers from a form's member functions, so that a form binds its
// controls' events in one readable list.
template <class Form>
TClickHandler Bind(Form* form, void (Form::*handler)(QObject&))
{
    return [form, handler](QObject& sender) { (form->*handler)(sender); };
}

template <class Form>
TMouseMoveHandler Bind(Form* form, void (Form::*handler)(QObject&, int, int))
{
    return [form, handler](QObject& sender, int x, int y) { (form->*handler)(sender, x, y); };
}

}  // namespace tremalu
