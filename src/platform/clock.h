#pragma once

#include <QByteArray>
#include <QTime>

// The time of day, behind an interface so that tests can fix it.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QTime timeOfDay() const = 0;
};

class SystemClock final : public IClock {
public:
    QTime timeOfDay() const override { return QTime::currentTime(); }
};

// The long time format: hours first, then minutes and seconds, "14:05:09".
QByteArray longTimeText(const QTime& time);
