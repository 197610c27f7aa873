#include "components/popup_menu.h"

#include <QAction>

TPopupMenu::TPopupMenu(QWidget* parent) : QMenu(parent) {}

void TPopupMenu::setAutoPopup(bool on) {
    if (autoPopup_ == on)
        return;
    autoPopup_ = on;
    Q_EMIT autoPopupChanged(on);
}

QAction* TPopupMenu::DefaultItem() const {
    QAction* marked = defaultAction();
    if (!marked)
        return nullptr;
    // Only top-level items count; an item of a submenu is never the default.
    for (QAction* item : actions())
        if (item == marked)
            return item;
    return nullptr;
}

void TPopupMenu::setDefaultItem(QAction* item) {
    if (QAction* previous = defaultAction()) {
        QFont font = previous->font();
        font.setBold(false);
        previous->setFont(font);
    }
    setDefaultAction(item);
    // Not every style draws the default action in bold, so the item says so itself.
    if (item) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
}
