#pragma once

#include <QString>

class QWidget;

enum class Answer { Yes, No };

// The three modal boxes. Each runs a nested event loop, so sockets, timers and tray clicks
// keep being handled while a box is up.
class IBoxes {
public:
    virtual ~IBoxes() = default;
    // Error box: caption "Chatterwick", error icon, one OK button. The text is shown as given;
    // showError() applies the full-stop rule first.
    virtual void error(const QString& text) = 0;
    // Information box: no icon, one OK button, caption "Chatterwick", centred on the screen.
    virtual void information(const QString& text) = 0;
    // Question: Yes and No, no icon, owned by the asking window.
    virtual Answer question(QWidget* owner, const QString& caption, const QString& text) = 0;
};

// The application's exception handler: the message through the full-stop rule, in the error box.
void showError(const QString& message);
