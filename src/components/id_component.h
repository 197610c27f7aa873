#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

// A component of the identity family (owned by its QObject parent).
class TIdBaseComponent : public QObject {
    Q_OBJECT
public:
    explicit TIdBaseComponent(QObject* owner = nullptr) : QObject(owner) {}
};

enum class TIdStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected, Text };
using TIdStatusEvent =
    std::function<void(QObject* axSender, TIdStatus axStatus, const QString& asStatusText)>;

// Every live instance holds one use of the shared socket stack.
class TIdComponent : public TIdBaseComponent {
    Q_OBJECT
public:
    explicit TIdComponent(QObject* owner = nullptr);
    ~TIdComponent() override;

    // This computer's host name, exactly as the platform reports it ("" if it cannot).
    QByteArray HostName() const;

    TIdStatusEvent OnStatus;
};
