#include "components/tray_area_qt.h"

#include "platform/cp1251.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenu>

namespace {

// Tool tips break lines on LF; the record keeps the CR LF it was given.
QString tipText(const QByteArray& tip) {
    QString text = fromCp1251(tip);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

QtTrayArea::QtTrayArea() {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { refresh(); });
}

QtTrayArea::~QtTrayArea() {
    onShownChanged = nullptr;
    dropIcon();
}

bool QtTrayArea::onDesktop() const {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void QtTrayArea::notify(TrayOperation operation, const TrayIconData& data) {
    switch (operation) {
    case TrayOperation::Add:
        picture_ = data.flags & TrayFlags::Icon ? data.icon : QIcon();
        tip_ = data.flags & TrayFlags::Tip ? data.tip : QByteArray();
        if (icon_) {
            icon_->setIcon(picture_);
            icon_->setToolTip(tipText(tip_));
        }
        wanted_ = true;
        if (!waited_) {
            waited_ = true;
            waitForHost();
        }
        refresh();
        poll_.start();
        break;
    case TrayOperation::Modify:
        if (data.flags & TrayFlags::Icon) {
            picture_ = data.icon;
            if (icon_)
                icon_->setIcon(picture_);
        }
        if (data.flags & TrayFlags::Tip) {
            tip_ = data.tip;
            if (icon_)
                icon_->setToolTip(tipText(tip_));
        }
        break;
    case TrayOperation::Delete:
        wanted_ = false;
        poll_.stop();
        dropIcon();
        break;
    }
}

void QtTrayArea::setContextMenu(QMenu* menu) {
    menu_ = menu;
    if (icon_)
        icon_->setContextMenu(menu);
}

QPoint QtTrayArea::cursorPos() const {
    return QCursor::pos();
}

void QtTrayArea::waitForHost() {
    // At start-up the desktop's tray may still be coming up. Wait for it briefly, taking no
    // user input meanwhile: the windows are still being built.
    if (!onDesktop() || QSystemTrayIcon::isSystemTrayAvailable())
        return;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kStartupWaitMs && !QSystemTrayIcon::isSystemTrayAvailable()) {
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void QtTrayArea::refresh() {
    if (!wanted_)
        return;
    const bool available = onDesktop() && QSystemTrayIcon::isSystemTrayAvailable();
    if (available == isShown())
        return;
    if (available)
        createIcon();
    else
        dropIcon();
    if (onShownChanged)
        onShownChanged(isShown());
}

void QtTrayArea::createIcon() {
    icon_ = new QSystemTrayIcon(this);
    icon_->setIcon(picture_);
    icon_->setToolTip(tipText(tip_));
    icon_->setContextMenu(menu_);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    icon_->show();
}

void QtTrayArea::dropIcon() {
    if (!icon_)
        return;
    icon_->hide();
    // Deleted later: a host's call may be on its way through this very icon.
    icon_->deleteLater();
    icon_ = nullptr;
}

void QtTrayArea::activated(QSystemTrayIcon::ActivationReason reason) {
    if (!onActivated)
        return;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        onActivated(TrayActivation::LeftRelease, false);
        break;
    case QSystemTrayIcon::Context:
        // The XEmbed tray pops the context menu up itself before reporting the click; a
        // StatusNotifierItem host asks only when it has shown no menu of its own.
        onActivated(TrayActivation::RightRelease, menu_ && menu_->isVisible());
        break;
    case QSystemTrayIcon::DoubleClick:
        onActivated(TrayActivation::DoubleClick, false);
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}
