#pragma once

#include <QMenu>

class QWidget;

enum class WindowSizing { Sizeable, Fixed };

// The window's own system menu (Alt+Space): six entries whose captions the window sets.
class TsSystemMenu : public QMenu {
    Q_OBJECT
public:
    explicit TsSystemMenu(QWidget* window);

    QAction* ItemRestore;
    QAction* ItemMove;
    QAction* Itemsize;
    QAction* ItemMinimize;
    QAction* ItemMaximize;
    QAction* ItemClose; // below a separator, Alt+F4

    // Sets the six Russian captions every secondary window uses.
    void setRussianCaptions();
    // Fixed-size windows offer neither size nor maximise.
    void setSizing(WindowSizing sizing);

private:
    void updateStates();
    QWidget* window_;
};
