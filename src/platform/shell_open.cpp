#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

void DesktopShellOpen::open(const QString& document) {
    // An address has a scheme ("https:", "mailto:"); anything else is a file name.
    QUrl url(document, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2)
        url = QUrl::fromLocalFile(QDir::current().absoluteFilePath(document));
    QDesktopServices::openUrl(url);
}
