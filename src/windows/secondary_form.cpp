#include "windows/secondary_form.h"

#include "platform/guard.h"
#include "skin/hint_manager.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

TSecondaryForm::TSecondaryForm(const QString& title, WindowSizing sizing, QSize clientSize)
    : QWidget(nullptr), clientSize_(clientSize) {
    setWindowTitle(title + QStringLiteral(" > Chatterwick 2"));
    // A top-level window of its own gets its own taskbar entry while visible.
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (sizing == WindowSizing::Sizeable)
        flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    if (sizing == WindowSizing::Fixed)
        setFixedSize(clientSize);
    else
        resize(clientSize);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    sSystemMenu = new TsSystemMenu(this);
    sSystemMenu->setSizing(sizing);
    sHintManager1 = new TsHintManager(this);
}

TSecondaryForm::~TSecondaryForm() = default;

void TSecondaryForm::setSystemMenuCaptions() {
    sSystemMenu->setRussianCaptions();
}

void TSecondaryForm::showAndActivate() {
    if (isMinimized())
        showNormal(); // a minimised window is brought back, not left on the taskbar
    else
        show();
    raise();
    activateWindow();
}

void TSecondaryForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from minimised: not a hidden-to-visible change
    if (lastPosition_) {
        move(*lastPosition_);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    guarded([this] { FormShow(); });
}

void TSecondaryForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return; // minimised: still "shown"
    lastPosition_ = pos();
    guarded([this] { FormHide(); });
}

void TSecondaryForm::closeEvent(QCloseEvent* event) {
    guarded([this] { FormClose(); });
    event->accept(); // a top-level QWidget is only hidden by close()
}

void TSecondaryForm::contextMenuEvent(QContextMenuEvent* event) {
    // The title bar belongs to the window manager; the system menu also opens from the window.
    sSystemMenu->popup(event->globalPos());
}
