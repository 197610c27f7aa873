#include "skin/hint_manager.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>
#include <QWidget>

namespace {

// Light grey (230, 230, 230) at 22 % transparency.
const QColor kBalloon(230, 230, 230, 199);

} // namespace

QString hintStyleSheet() {
    return QStringLiteral("QToolTip { color: black; background-color: rgba(230, 230, 230, 199);"
                          " border: 1px solid black; border-radius: 10px; padding: 12px 6px;"
                          " font-family: \"Segoe UI\"; font-size: 11px; }\n");
}

TsHintManager::TsHintManager(QWidget* window) : QObject(window) {
    (void)window;
    // The palette and font cover styles that draw hints without the style sheet.
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::ToolTipBase, kBalloon);
    p.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(p);
    QFont f(QStringLiteral("Segoe UI"));
    f.setPixelSize(11);
    QToolTip::setFont(f);
    if (!qApp->styleSheet().contains(QStringLiteral("QToolTip")))
        qApp->setStyleSheet(qApp->styleSheet() + hintStyleSheet());
}
