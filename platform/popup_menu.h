// The pop-up menu of a control: shown under the mouse when the control is
// clicked with the right button (or the keyboard's menu key is pressed over
// it), as the old platform's PopupMenu property did. A disabled control
// shows no menu.
//
// Items run their handler inside the failure guard. Items of one radio
// group (a group number other than 0) are checked one at a time: choosing
// one checks it and unchecks the others.
#pragma once

#include "control_events.h"

#include <QMenu>

#include <string>

class QAction;

namespace tremalu {

class TPopupMenu : public QMenu {
    Q_OBJECT
public:
    // Belongs to control and pops up over it.
    explicit TPopupMenu(QWidget& control);

    QAction* AddItem(const std::string& caption, TClickHandler onClick, int radioGroup = 0);
    void AddSeparator();
};

}  // namespace tremalu
