#include "platform/qt_boxes.h"

#include "platform/exceptions.h"
#include "platform/services.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace {

const QString kAppTitle = QStringLiteral("Chatterwick");

void centreOnScreen(QMessageBox& box) {
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
}

} // namespace

void QtBoxes::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, kAppTitle, text, QMessageBox::Ok);
    centreOnScreen(box);
    box.exec();
}

void QtBoxes::information(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kAppTitle, text, QMessageBox::Ok);
    centreOnScreen(box);
    box.exec();
}

Answer QtBoxes::question(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void showError(const QString& message) {
    services().boxes->error(errorBoxText(message));
}
