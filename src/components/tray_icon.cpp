#include "components/tray_icon.h"

#include "components/icon_file.h"
#include "components/popup_menu.h"
#include "platform/boxes.h"
#include "platform/cp1251.h"
#include "platform/guard.h"
#include "platform/services.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kTipCapacity = 63;

QWidget* owningForm(QObject* owner) {
    for (QObject* o = owner; o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow())
            return w;
    return nullptr;
}

// The text before the first "|", at most 63 characters.
QByteArray shortTip(const QByteArray& tip) {
    const qsizetype bar = tip.indexOf('|');
    return (bar < 0 ? tip : tip.left(bar)).left(kTipCapacity);
}

// Ends a pending mouse operation (a drag, a pressed button) in the given window, so that the
// menu gets the mouse.
void cancelMode(QWidget* form) {
    QWidget* grabber = QWidget::mouseGrabber();
    if (form && grabber && (grabber == form || form->isAncestorOf(grabber)))
        grabber->releaseMouse();
}

} // namespace

void TIcon::Assign(const QIcon& image) {
    image_ = image;
    if (OnChange)
        OnChange();
}

void TIcon::LoadFromFile(const QString& bareName) {
    Assign(LoadIconFile(bareName));
}

QString TTrayIcon::noAreaNotice() {
    return QStringLiteral("Не удалось показать значок в области уведомлений. "
                          "Сообщения по-прежнему принимаются.");
}

TTrayIcon::TTrayIcon(QObject* owner, std::unique_ptr<ITrayArea> area)
    : QObject(owner), area_(std::move(area)) {
    // There is always a notification area here; the flag stays off.
    noNotificationArea_ = false;
    icon_.OnChange = [this] { IconChanged(); };
    area_->onActivated = [this](TrayActivation a, bool menuShown) { areaActivated(a, menuShown); };
    area_->onShownChanged = [this](bool) { considerNotice(); };
    pForm_ = owningForm(owner);
    setNIF_MESSAGE(true);
    setNIF_ICON(true);
    setNIF_TIP(true);
}

TTrayIcon::~TTrayIcon() {
    destroying_ = true;
    if (iconVisible_)
        guarded([this] { NotifyShell(TrayOperation::Delete); });
    area_->onActivated = nullptr;
    area_->onShownChanged = nullptr;
}

void TTrayIcon::NotifyShell(TrayOperation operation) {
    if (noNotificationArea_)
        return;
    area_->notify(operation, iconData_);
}

void TTrayIcon::setTip(const QByteArray& tip) {
    tip_ = tip;
    iconData_.tip = shortTip(tip);
    if (iconVisible_)
        NotifyShell(TrayOperation::Modify);
}

void TTrayIcon::IconChanged() {
    iconData_.icon = icon_.image();
    if (iconVisible_)
        NotifyShell(TrayOperation::Modify);
}

void TTrayIcon::setNIF_MESSAGE(bool on) {
    setFlag(nifMessage_, on);
}
void TTrayIcon::setNIF_ICON(bool on) {
    setFlag(nifIcon_, on);
}
void TTrayIcon::setNIF_TIP(bool on) {
    setFlag(nifTip_, on);
}

void TTrayIcon::setFlag(bool& field, bool on) {
    field = on;
    iconData_.flags = (nifMessage_ ? TrayFlags::Message : 0u) | (nifIcon_ ? TrayFlags::Icon : 0u) |
                      (nifTip_ ? TrayFlags::Tip : 0u);
    // The area takes the flags when the icon is added, so it is registered anew.
    if (iconVisible_) {
        NotifyShell(TrayOperation::Delete);
        NotifyShell(TrayOperation::Add);
    }
}

void TTrayIcon::setPopupMenu(TPopupMenu* menu) {
    QObject::disconnect(menuDestroyed_);
    QObject::disconnect(menuAutoPopup_);
    popupMenu_ = menu;
    popupMenuObject_ = menu;
    if (menu) {
        menuDestroyed_ = connect(menu, &QObject::destroyed, this,
                                 [this](QObject* gone) { ComponentRemoved(gone); });
        menuAutoPopup_ =
            connect(menu, &TPopupMenu::autoPopupChanged, this, [this] { syncAreaMenu(); });
    }
    syncAreaMenu();
}

void TTrayIcon::ComponentRemoved(QObject* component) {
    if (component && component == popupMenuObject_) {
        popupMenu_ = nullptr;
        popupMenuObject_ = nullptr;
        syncAreaMenu();
    }
}

void TTrayIcon::syncAreaMenu() {
    // A host that shows menus by itself must show this one only when it would pop up.
    QMenu* menu = popupMenu_ && popupMenu_->AutoPopup() ? popupMenu_.data() : nullptr;
    area_->setContextMenu(menu);
}

void TTrayIcon::setIconVisible(bool on) {
    setVisibility(Visibility::Icon, on);
}
void TTrayIcon::setFormVisible(bool on) {
    setVisibility(Visibility::Form, on);
}
void TTrayIcon::setAppVisible(bool on) {
    setVisibility(Visibility::App, on);
}

void TTrayIcon::setVisibility(Visibility which, bool on) {
    switch (which) {
    case Visibility::Icon:
        // Asked whatever the previous value was, like the platform call it stands for.
        NotifyShell(on ? TrayOperation::Add : TrayOperation::Delete);
        iconVisible_ = on;
        break;
    case Visibility::Form:
        formVisible_ = on;
        break;
    case Visibility::App:
        appVisible_ = on;
        break;
    }
    applyFormVisible();
    considerNotice();
}

void TTrayIcon::applyFormVisible() {
    // The application has no taskbar entry of its own here and never shows its main window by
    // itself, so only the owning window is left to show or hide.
    if (pForm_)
        pForm_->setVisible(formVisible_);
}

void TTrayIcon::AfterLoad() {
    if (icon_.Empty())
        icon_.Assign(QApplication::windowIcon());
    iconData_.icon = icon_.image();
    if (iconVisible_)
        NotifyShell(TrayOperation::Modify);
    applyFormVisible();
}

void TTrayIcon::areaActivated(TrayActivation activation, bool menuShownByHost) {
    guarded([&] {
        if (!nifMessage_)
            return;
        switch (activation) {
        case TrayActivation::LeftRelease:
            Click(Qt::LeftButton);
            break;
        case TrayActivation::RightRelease: {
            menuShownByHost_ = menuShownByHost;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{menuShownByHost_};
            Click(Qt::RightButton);
            break;
        }
        case TrayActivation::DoubleClick:
            DblClick();
            break;
        }
    });
}

void TTrayIcon::Click(Qt::MouseButton Button) {
    const QPoint at = area_->cursorPos();
    if (Button == Qt::RightButton && PopupAtCursor(at.x(), at.y()))
        return;
    if (OnClick)
        OnClick(this, Button, Qt::NoModifier, at.x(), at.y());
}

bool TTrayIcon::PopupAtCursor(int X, int Y) {
    if (!iconVisible_ || !popupMenu_ || !popupMenu_->AutoPopup())
        return false;
    popupMenu_->setPopupComponent(this);
    // The host or Qt has popped the menu up already; a second one would stack on it.
    if (menuShownByHost_)
        return true;
    if (!destroying_) {
        QWidget* form = QApplication::activeWindow();
        cancelMode(form ? form : pForm_.data());
    }
    popupMenu_->exec(QPoint(X, Y));
    return true;
}

void TTrayIcon::DblClick() {
    if (ClickDefaultItem())
        return;
    if (OnDblClick)
        OnDblClick(this);
}

bool TTrayIcon::ClickDefaultItem() {
    if (!iconVisible_ || !popupMenu_)
        return false;
    QAction* item = popupMenu_->DefaultItem();
    if (!item)
        return false;
    item->trigger();
    return true;
}

bool TTrayIcon::noticeDue() const {
    // Never during start-up: only once the owning window (the splash) is gone.
    return !noticeGiven_ && iconVisible_ && !area_->isShown() && area_->onDesktop() &&
           !(pForm_ && formVisible_);
}

void TTrayIcon::considerNotice() {
    if (noticePending_ || !noticeDue())
        return;
    // The box opens from the event loop, not inside whichever setter noticed it.
    noticePending_ = true;
    QTimer::singleShot(0, this, [this] {
        guarded([this] {
            noticePending_ = false;
            if (!noticeDue())
                return;
            noticeGiven_ = true;
            services().boxes->information(noAreaNotice());
        });
    });
}
