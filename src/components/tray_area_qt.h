#pragma once

#include "components/tray_area.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

class QMenu;

// The notification area through QSystemTrayIcon: a StatusNotifierItem where the desktop has a
// host for one, else the XEmbed tray.
//
// Qt settles once per run which of the two it uses and only registers an icon with a host
// present when the icon is shown, so this area waits a little for a host before the first icon
// goes up, and later keeps looking every few seconds: it puts the icon up again when a host
// appears and takes it down when the host goes.
class QtTrayArea final : public QObject, public ITrayArea {
    Q_OBJECT
public:
    QtTrayArea();
    ~QtTrayArea() override;

    void notify(TrayOperation operation, const TrayIconData& data) override;
    void setContextMenu(QMenu* menu) override;
    QPoint cursorPos() const override;
    bool isShown() const override { return icon_ != nullptr; }
    bool onDesktop() const override;

    // How long the first icon waits for a host, and how often a missing host is looked for.
    static constexpr int kStartupWaitMs = 3000;
    static constexpr int kPollMs = 3000;

private:
    void waitForHost();
    void refresh();
    void createIcon();
    void dropIcon();
    void activated(QSystemTrayIcon::ActivationReason reason);

    // A child of the area, so that one dropped while a call was under way goes with it.
    QPointer<QSystemTrayIcon> icon_;
    QIcon picture_;
    QByteArray tip_;
    bool wanted_ = false;
    bool waited_ = false;
    QPointer<QMenu> menu_;
    QTimer poll_;
};
