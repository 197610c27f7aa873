#pragma once

#include "components/popup_menu.h"
#include "components/tray_area.h"

#include <QByteArray>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;

// The icon image a TTrayIcon owns. Every change, loading from a file included, runs OnChange.
class TIcon {
public:
    const QIcon& image() const { return image_; }
    bool Empty() const { return image_.isNull(); }
    void Assign(const QIcon& image);
    // Loads an icon file by bare name; throws EFOpenError and keeps the picture when it cannot.
    void LoadFromFile(const QString& bareName);

    std::function<void()> OnChange;

private:
    QIcon image_;
};

// One icon with a tool tip in the notification area: turns mouse actions on it into events
// and into its popup menu, and shows or hides the window that owns it.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    // PForm is the first top-level window up the owner chain (none when there is none).
    explicit TTrayIcon(QObject* owner, std::unique_ptr<ITrayArea> area = makeTrayArea());
    ~TTrayIcon() override;

    // The full tip as last assigned (code page 1251); the area gets the text before the
    // first "|", at most 63 characters, line breaks kept.
    const QByteArray& Tip() const { return tip_; }
    void setTip(const QByteArray& tip);

    TIcon& Icon() { return icon_; }
    const TIcon& Icon() const { return icon_; }
    void setIcon(const QIcon& image) { icon_.Assign(image); }

    bool NIF_MESSAGE() const { return nifMessage_; }
    bool NIF_ICON() const { return nifIcon_; }
    bool NIF_TIP() const { return nifTip_; }
    void setNIF_MESSAGE(bool on);
    void setNIF_ICON(bool on);
    void setNIF_TIP(bool on);

    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(TPopupMenu* menu);

    TMouseEvent OnClick;
    TNotifyEvent OnDblClick;

    QWidget* PForm() const { return pForm_; }

    bool IconVisible() const { return iconVisible_; }
    bool FormVisible() const { return formVisible_; }
    // The main window never has a taskbar entry on this desktop; the value is kept only.
    bool AppVisible() const { return appVisible_; }
    void setIconVisible(bool on);
    void setFormVisible(bool on);
    void setAppVisible(bool on);

    // Applies the configured state once every property is set (the owner calls it).
    virtual void AfterLoad();
    // A mouse button released over the icon: the menu on the right button, else OnClick.
    virtual void Click(Qt::MouseButton Button);
    // A double click: the menu's default item, else OnDblClick.
    virtual void DblClick();

    bool PopupAtCursor(int X, int Y);
    bool ClickDefaultItem();

    // What the notification area was last handed.
    const TrayIconData& IconData() const { return iconData_; }

    // Shown in an information box, once, when the desktop has no notification area.
    static QString noAreaNotice();

protected:
    // A component that this one refers to is being destroyed.
    virtual void ComponentRemoved(QObject* component);

private:
    enum class Visibility { Icon, Form, App };
    void setVisibility(Visibility which, bool on);
    void setFlag(bool& field, bool on);
    void NotifyShell(TrayOperation operation);
    void IconChanged();
    void applyFormVisible();
    void syncAreaMenu();
    void areaActivated(TrayActivation activation, bool menuShownByHost);
    bool noticeDue() const;
    void considerNotice();

    std::unique_ptr<ITrayArea> area_;
    QPointer<QWidget> pForm_;
    bool iconVisible_ = false;
    bool destroying_ = false;
    TrayIconData iconData_;
    bool noNotificationArea_ = false;
    QByteArray tip_;
    TIcon icon_;
    QPointer<TPopupMenu> popupMenu_;
    const QObject* popupMenuObject_ = nullptr; // only compared, never dereferenced
    QMetaObject::Connection menuDestroyed_;
    QMetaObject::Connection menuAutoPopup_;
    bool nifIcon_ = false;
    bool nifTip_ = false;
    bool nifMessage_ = false;
    bool formVisible_ = false;
    bool appVisible_ = false;
    bool menuShownByHost_ = false;
    bool noticePending_ = false;
    bool noticeGiven_ = false;
};
