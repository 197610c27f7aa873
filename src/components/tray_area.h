#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPoint>
#include <functional>
#include <memory>

class QMenu;

// Bits of TrayIconData::flags: which members the area takes from the record.
namespace TrayFlags {
inline constexpr unsigned Message = 1; // mouse actions are delivered
inline constexpr unsigned Icon = 2;    // the picture is passed
inline constexpr unsigned Tip = 4;     // the tool tip is passed
} // namespace TrayFlags

enum class TrayOperation { Add = 0, Modify = 1, Delete = 2 };

// What one icon looks like in the notification area.
struct TrayIconData {
    unsigned flags = 0;
    QIcon icon;
    QByteArray tip; // code page 1251, at most 63 bytes
};

enum class TrayActivation { LeftRelease, RightRelease, DoubleClick };

// The desktop's notification area, holding at most one icon for its owner.
class ITrayArea {
public:
    virtual ~ITrayArea() = default;

    // Adds, changes or removes the icon; on Modify only the members named by flags change.
    virtual void notify(TrayOperation operation, const TrayIconData& data) = 0;
    // The menu that a host showing menus by itself pops up on a right click; null for none.
    virtual void setContextMenu(QMenu* menu) = 0;
    // The pointer's position in screen coordinates.
    virtual QPoint cursorPos() const = 0;
    // Whether a tray host shows the icon right now.
    virtual bool isShown() const = 0;
    // False when the program runs without any desktop (no display at all): no host can
    // appear and nobody could read a notice.
    virtual bool onDesktop() const = 0;

    // Mouse actions on the icon. menuShownByHost: the host (or Qt) has already popped up the
    // context menu for this right click.
    std::function<void(TrayActivation, bool menuShownByHost)> onActivated;
    // The host went away, or one appeared and shows the icon again.
    std::function<void(bool shown)> onShownChanged;
};

// The notification area the program uses; tests install their own factory.
using TrayAreaFactory = std::function<std::unique_ptr<ITrayArea>()>;
std::unique_ptr<ITrayArea> makeTrayArea();
TrayAreaFactory setTrayAreaFactory(TrayAreaFactory factory);
