#pragma once

#include "components/tray_area.h"

#include <QMenu>
#include <QPointer>
#include <vector>

// A notification area that records what it is handed and lets a test click the icon.
class FakeTrayArea final : public ITrayArea {
public:
    struct Call {
        TrayOperation operation;
        TrayIconData data;
    };

    void notify(TrayOperation operation, const TrayIconData& data) override {
        calls.push_back({operation, data});
        if (log)
            log->push_back({operation, data});
        if (operation == TrayOperation::Add)
            present = true;
        else if (operation == TrayOperation::Delete)
            present = false;
    }
    void setContextMenu(QMenu* m) override { menu = m; }
    QPoint cursorPos() const override { return cursor; }
    bool isShown() const override { return present && hostPresent; }
    bool onDesktop() const override { return desktop; }

    void click(TrayActivation a, bool menuShownByHost = false) {
        if (onActivated)
            onActivated(a, menuShownByHost);
    }
    void setHost(bool there) {
        hostPresent = there;
        if (onShownChanged)
            onShownChanged(isShown());
    }

    std::vector<Call> calls;
    std::vector<Call>* log = nullptr; // outlives the area, which goes with its component
    QPointer<QMenu> menu;
    QPoint cursor{120, 90};
    bool present = false;
    bool hostPresent = true;
    bool desktop = true;
};
