#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

// A picture control: draws its bitmap and sizes itself to it.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent);

    void setPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }

    std::function<void(QObject* Sender)> OnDblClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
};
