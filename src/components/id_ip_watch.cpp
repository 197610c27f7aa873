#include "components/id_ip_watch.h"

#include "components/id_stack.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/guard.h"

#include <QFile>

TIdIPWatch::TIdIPWatch(QObject* owner) : TIdComponent(owner) {}

TIdIPWatch::~TIdIPWatch() {
    active_ = false;
    // A destructor cannot throw: a history that cannot be written is reported and the
    // program goes on ending.
    if (historyEnabled_)
        guarded([this] { writeHistory(); });
}

QByteArray TIdIPWatch::HostAddress() {
    lookupBusy_ = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{lookupBusy_};
    return SocketStack()->FirstHostAddress();
}

void TIdIPWatch::writeHistory() const {
    QFile file(bareFilePath(historyFilename_));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFCreateError(historyFilename_);
    QByteArray bytes;
    for (const QByteArray& entry : addressHistory_)
        bytes += entry + "\r\n";
    if (file.write(bytes) != bytes.size())
        throw EFCreateError(historyFilename_);
}
