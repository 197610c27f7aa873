#include "skin/system_menu.h"

#include "platform/guard.h"

#include <QShortcut>
#include <QWidget>
#include <QWindow>

TsSystemMenu::TsSystemMenu(QWidget* window) : QMenu(window), window_(window) {
    ItemRestore = addAction(QStringLiteral("Restore"));
    ItemMove = addAction(QStringLiteral("Move"));
    Itemsize = addAction(QStringLiteral("Size"));
    ItemMinimize = addAction(QStringLiteral("Minimize"));
    ItemMaximize = addAction(QStringLiteral("Maximize"));
    addSeparator();
    ItemClose = addAction(QStringLiteral("Close"));
    ItemClose->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    ItemClose->setShortcutVisibleInContextMenu(true);
    ItemClose->setShortcutContext(Qt::WindowShortcut);
    window->addAction(ItemClose); // Alt+F4 works while the menu is closed too

    connect(ItemRestore, &QAction::triggered, this,
            [this] { guarded([&] { window_->showNormal(); }); });
    connect(ItemMove, &QAction::triggered, this, [this] {
        guarded([&] {
            if (QWindow* w = window_->windowHandle())
                w->startSystemMove();
        });
    });
    connect(Itemsize, &QAction::triggered, this, [this] {
        guarded([&] {
            if (QWindow* w = window_->windowHandle())
                w->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        });
    });
    connect(ItemMinimize, &QAction::triggered, this,
            [this] { guarded([&] { window_->showMinimized(); }); });
    connect(ItemMaximize, &QAction::triggered, this,
            [this] { guarded([&] { window_->showMaximized(); }); });
    connect(ItemClose, &QAction::triggered, this, [this] { guarded([&] { window_->close(); }); });
    connect(this, &QMenu::aboutToShow, this, &TsSystemMenu::updateStates);

    auto* open = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), window);
    connect(open, &QShortcut::activated, this,
            [this] { popup(window_->mapToGlobal(QPoint(0, 0))); });
}

void TsSystemMenu::setRussianCaptions() {
    ItemRestore->setText(QStringLiteral("Восстановить"));
    ItemMove->setText(QStringLiteral("Переместить"));
    Itemsize->setText(QStringLiteral("Размер"));
    ItemMinimize->setText(QStringLiteral("Свернуть"));
    ItemMaximize->setText(QStringLiteral("Развернуть"));
    ItemClose->setText(QStringLiteral("Закрыть"));
}

void TsSystemMenu::setSizing(WindowSizing sizing) {
    const bool sizeable = sizing == WindowSizing::Sizeable;
    Itemsize->setVisible(sizeable);
    ItemMaximize->setVisible(sizeable);
}

void TsSystemMenu::updateStates() {
    const bool normal = !window_->isMinimized() && !window_->isMaximized();
    ItemRestore->setEnabled(!normal);
    ItemMove->setEnabled(normal);
    Itemsize->setEnabled(normal);
    ItemMaximize->setEnabled(!window_->isMaximized());
    ItemMinimize->setEnabled(!window_->isMinimized());
}
