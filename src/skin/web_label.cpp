#include "skin/web_label.h"

#include "platform/guard.h"

#include <QEvent>
#include <QMouseEvent>

TsWebLabel::TsWebLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
}

void TsWebLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // Whatever font the window gives it, a link stays underlined.
    if (event->type() == QEvent::FontChange && !font().underline()) {
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
    }
}

void TsWebLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void TsWebLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // A click is a press and a release on the label, as a button has it.
    const bool click = std::exchange(pressed_, false) && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (click && OnClick)
        guarded([this] { OnClick(this); });
}
