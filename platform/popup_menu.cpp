#include "popup_menu.h"

#include "failure_guard.h"

#include <QAction>
#include <QActionGroup>

namespace tremalu {

TPopupMenu::TPopupMenu(QWidget& control) : QMenu(&control)
{
    control.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&control, &QWidget::customContextMenuRequested, this,
            [this, &control](const QPoint& at) { popup(control.mapToGlobal(at)); });
}

QAction* TPopupMenu::AddItem(const std::string& caption, TClickHandler onClick, int radioGroup)
{
    QAction* item = addAction(QString::fromStdString(caption));
    if (radioGroup != 0) {
        const QString name = QStringLiteral("radio group %1").arg(radioGroup);
        auto* group = findChild<QActionGroup*>(name, Qt::FindDirectChildrenOnly);
        if (group == nullptr) {
            group = new QActionGroup(this);
            group->setObjectName(name);
        }
        item->setCheckable(true);
        group->addAction(item);
    }
    connect(item, &QAction::triggered, this, [this, item, onClick = std::move(onClick)] {
        if (onClick)
            Guarded([&] { onClick(*item); });
    });
    return item;
}

void TPopupMenu::AddSeparator() { addSeparator(); }

}  // namespace tremalu
