#pragma once

#include "platform/boxes.h"
#include "platform/clock.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// Boxes that tests answer: every box is recorded; questions take the next scripted answer
// (No when none is left).
class ScriptedBoxes final : public IBoxes {
public:
    struct Box {
        enum class Kind { Error, Information, Question } kind;
        QString caption;
        QString text;
        QWidget* owner = nullptr;
    };

    void error(const QString& text) override;
    void information(const QString& text) override;
    Answer question(QWidget* owner, const QString& caption, const QString& text) override;

    void answer(Answer a) { answers_.push_back(a); }
    // Runs while a box is "up" (a nested loop in the real program), e.g. to deliver events.
    void whileShowing(std::function<void()> action) { whileShowing_ = std::move(action); }

    QStringList errors() const;
    QStringList informations() const;
    QStringList questions() const;
    const std::vector<Box>& all() const { return boxes_; }
    void clear();

private:
    void opened();
    std::vector<Box> boxes_;
    std::deque<Answer> answers_;
    std::function<void()> whileShowing_;
};

class FixedClock final : public IClock {
public:
    explicit FixedClock(QTime t = QTime(14, 5, 9)) : time(t) {}
    QTime timeOfDay() const override { return time; }
    QTime time;
};

// The doubles installed for every test; returns them for scripting.
ScriptedBoxes& testBoxes();
FixedClock& testClock();
