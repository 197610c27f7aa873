#pragma once

#include <QMenu>
#include <QPointer>

// A popup menu for the tray icon: it pops up by itself on a right click unless AutoPopup is
// off, and one of its top-level items may be the default item, shown in bold, which a double
// click on the icon runs.
class TPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit TPopupMenu(QWidget* parent = nullptr);

    bool AutoPopup() const { return autoPopup_; }
    void setAutoPopup(bool on);

    // The first top-level item marked as default, or null.
    QAction* DefaultItem() const;
    // Marks item (a top-level item, or null for none) as the default one.
    void setDefaultItem(QAction* item);

    // The component that showed the menu last.
    QObject* PopupComponent() const { return popupComponent_; }
    void setPopupComponent(QObject* component) { popupComponent_ = component; }

Q_SIGNALS:
    void autoPopupChanged(bool on);

private:
    bool autoPopup_ = true;
    QPointer<QObject> popupComponent_;
};
