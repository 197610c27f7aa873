#pragma once

#include "skin/system_menu.h"

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <optional>

class TsHintManager;

// What the six windows other than the splash share: caption "<title> > Chatterwick 2", a
// taskbar entry of their own while visible, centred the first time and reopened where they
// were left, closing only hides, the skinned system menu with Russian captions and the
// shared balloon hints. FormShow/FormHide run on the hidden/visible changes only.
class TSecondaryForm : public QWidget {
    Q_OBJECT
public:
    TSecondaryForm(const QString& title, WindowSizing sizing, QSize clientSize);
    ~TSecondaryForm() override;

    TsSystemMenu* sSystemMenu;
    TsHintManager* sHintManager1;

    // Shows the window, brings it to the front and gives it the focus.
    void showAndActivate();
    // Whether the window is on screen now.
    bool Showing() const { return isVisible(); }

    virtual void FormShow() {}
    virtual void FormHide() {}
    // Runs when the window is being closed by any means; it is then hidden.
    virtual void FormClose() {}
    // Runs once at program end, before the window is destroyed.
    virtual void FormDestroy() {}

protected:
    // Call at the end of the derived constructor: system menu captions (FormCreate's first step).
    void setSystemMenuCaptions();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::optional<QPoint> lastPosition_;
    QSize clientSize_;
};
