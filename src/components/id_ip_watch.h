#pragma once

#include "components/id_component.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// The address watch: answers this computer's current address and, when destroyed, writes its
// address history to HistoryFilename. The periodic watch is not built: Active is only stored.
class TIdIPWatch : public TIdComponent {
    Q_OBJECT
public:
    explicit TIdIPWatch(QObject* owner = nullptr);
    ~TIdIPWatch() override;

    // This computer's first IPv4 address in dotted form, resolved anew on every call. Raises
    // EIdSocketError ("Socket Error # <code>" CR LF text) or "List index out of bounds (0)".
    QByteArray HostAddress();

    bool Active() const { return active_; }
    void setActive(bool value) { active_ = value; }
    bool HistoryEnabled() const { return historyEnabled_; }
    void setHistoryEnabled(bool value) { historyEnabled_ = value; }
    // A relative name is taken relative to the current directory.
    const QString& HistoryFilename() const { return historyFilename_; }
    void setHistoryFilename(const QString& value) { historyFilename_ = value; }
    int MaxHistoryEntries() const { return maxHistoryEntries_; }
    void setMaxHistoryEntries(int value) { maxHistoryEntries_ = value; }
    quint32 WatchInterval() const { return watchInterval_; }
    void setWatchInterval(quint32 value) { watchInterval_ = value; }
    std::function<void(QObject* Sender)> OnStatusChanged;

    const QList<QByteArray>& AddressHistory() const { return addressHistory_; }
    bool LookupBusy() const { return lookupBusy_; }

private:
    void writeHistory() const;

    bool active_ = false;
    bool historyEnabled_ = true;
    QString historyFilename_ = QStringLiteral("iphist.dat");
    int maxHistoryEntries_ = 25;
    quint32 watchInterval_ = 1000;
    QList<QByteArray> addressHistory_;
    bool lookupBusy_ = false;
};
