#pragma once

#include <QLabel>
#include <functional>

// A label that reads as a link: underlined, a hand cursor, and a click event.
class TsWebLabel : public QLabel {
    Q_OBJECT
public:
    TsWebLabel(const QString& text, QWidget* parent);

    std::function<void(QObject* Sender)> OnClick;

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};
