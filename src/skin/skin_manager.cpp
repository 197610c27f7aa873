#include "skin/skin_manager.h"

#include "platform/cp1251.h"
#include "skin/hint_manager.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPalette>

namespace {

const QString kBuiltIn = QStringLiteral("Chatterwick 2");

QPalette builtInPalette() {
    QPalette p;
    const QColor window(236, 242, 250);
    const QColor base(255, 255, 255);
    const QColor text(26, 26, 26);
    const QColor accent(0, 128, 255);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(244, 248, 253));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(224, 234, 247));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0, 73, 147));
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(214, 226, 242));
    p.setColor(QPalette::Mid, QColor(160, 182, 212));
    p.setColor(QPalette::Dark, QColor(110, 136, 170));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(140, 150, 165));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(140, 150, 165));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(140, 150, 165));
    return p;
}

QString builtInStyleSheet() {
    return QStringLiteral(
        "QPushButton { border: 1px solid #4a7cbe; border-radius: 4px; padding: 3px 12px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #cfe1f7); }\n"
        "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #ffffff, stop:1 #b8d5f7); }\n"
        "QPushButton:pressed { background: #a9cbf3; }\n"
        "QPushButton:disabled { color: #8c96a5; border-color: #a0b6d4; }\n"
        "QLineEdit, QPlainTextEdit, QTextEdit, QListWidget, QTreeWidget"
        " { border: 1px solid #a0b6d4; border-radius: 3px; background: #ffffff; }\n");
}

} // namespace

TsSkinManager::TsSkinManager(QObject* parent) : QObject(parent) {
    apply();
}

void TsSkinManager::setSkinDirectory(const QString& dir) {
    skinDirectory_ = dir;
    apply();
}

void TsSkinManager::setSkinName(const QByteArray& name) {
    skinName_ = name;
    apply();
}

QStringList TsSkinManager::builtInSkins() {
    return {kBuiltIn};
}

QString TsSkinManager::skinFolder(const QByteArray& name) const {
    if (name.isEmpty())
        return {};
    QDir skins(skinDirectory_);
    if (skins.isRelative())
        skins.setPath(QDir(QCoreApplication::applicationDirPath()).filePath(skinDirectory_));
    const QString folder = skins.filePath(fromCp1251(name));
    return QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Options.dat"))) ? folder
                                                                                   : QString();
}

void TsSkinManager::apply() {
    QString sheet = builtInStyleSheet();
    if (const QString folder = skinFolder(skinName_); !folder.isEmpty()) {
        applied_ = folder;
        QFile qss(QDir(folder).filePath(QStringLiteral("skin.qss")));
        if (qss.open(QIODevice::ReadOnly))
            sheet = QString::fromUtf8(qss.readAll());
    } else {
        // A built-in skin by its name, else the first one; there is one so far.
        applied_ = builtInSkins().contains(fromCp1251(skinName_)) ? fromCp1251(skinName_)
                                                                  : builtInSkins().front();
    }
    QApplication::setPalette(builtInPalette());
    qApp->setStyleSheet(sheet + QLatin1Char('\n') + hintStyleSheet());
}
