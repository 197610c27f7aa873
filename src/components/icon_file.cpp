#include "components/icon_file.h"

#include "platform/exceptions.h"
#include "platform/files.h"

#include <QFile>
#include <QImageReader>

QIcon LoadIconFile(const QString& bareName) {
    const QString path = bareFilePath(bareName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(bareName);
    QImageReader reader(&file);
    QIcon icon;
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon.isNull())
        throw EFOpenError(bareName);
    return icon;
}
