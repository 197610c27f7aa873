#include "skin/image.h"

#include "platform/guard.h"

#include <QMouseEvent>
#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPicture(const QPixmap& picture) {
    picture_ = picture;
    setFixedSize(picture_.size());
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (OnDblClick)
        guarded([this] { OnDblClick(this); });
}
