#include "shell/builtin_assets.h"

#include <QImageReader>

QPixmap builtInSplashPicture() {
    return QPixmap(QStringLiteral(":/splash.bmp"));
}

QIcon builtInTrayIcon() {
    QIcon icon;
    QImageReader reader(QStringLiteral(":/tray.ico"));
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}
