#pragma once

#include "platform/resolver.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <set>

// A resolver whose answers the test scripts. Answers arrive on a later loop turn (after the
// scripted delay), never inside the call; aborted lookups never answer. Unscripted names: a
// dotted address resolves to itself, anything else fails with 11001; unscripted addresses
// have no name.
class FakeResolver final : public IResolver {
public:
    void answer(const QByteArray& name, QList<quint32> addresses, int delayMs = 0);
    void fail(const QByteArray& name, int code, int delayMs = 0);
    // The lookup of this name never completes.
    void silence(const QByteArray& name);
    void answerAddress(quint32 address, const QByteArray& hostName, int delayMs = 0);
    void silenceAddress(quint32 address);

    LookupId lookupHost(const QByteArray& name, HostDone done) override;
    LookupId lookupAddress(quint32 address, AddressDone done) override;
    void abort(LookupId id) override;

    const QList<QByteArray>& hostQueries() const { return hostQueries_; }
    const QList<quint32>& addressQueries() const { return addressQueries_; }
    int pendingCount() const { return static_cast<int>(pending_.size()); }
    int abortedCount() const { return aborted_; }

private:
    struct Script {
        enum class Kind { Answer, Fail, Silent } kind = Kind::Answer;
        QList<quint32> addresses;
        QByteArray hostName;
        int code = 0;
        int delayMs = 0;
    };
    void deliverLater(LookupId id, int delayMs, std::function<void()> deliver);

    QObject context_;
    QMap<QByteArray, Script> hosts_;
    QMap<quint32, Script> addresses_;
    std::set<LookupId> pending_;
    LookupId next_ = 1;
    int aborted_ = 0;
    QList<QByteArray> hostQueries_;
    QList<quint32> addressQueries_;
};

// Installs a fresh fake resolver for the test and returns it.
FakeResolver& useFakeResolver();

// 127.0.0.1 and friends in host byte order.
constexpr quint32 ipv4(int a, int b, int c, int d) {
    return static_cast<quint32>(a) << 24 | static_cast<quint32>(b) << 16 |
           static_cast<quint32>(c) << 8 | static_cast<quint32>(d);
}
