#include "support/doubles.h"

#include "platform/services.h"

void ScriptedBoxes::error(const QString& text) {
    boxes_.push_back({Box::Kind::Error, QStringLiteral("Chatterwick"), text});
    opened();
}

void ScriptedBoxes::information(const QString& text) {
    boxes_.push_back({Box::Kind::Information, QStringLiteral("Chatterwick"), text});
    opened();
}

Answer ScriptedBoxes::question(QWidget* owner, const QString& caption, const QString& text) {
    boxes_.push_back({Box::Kind::Question, caption, text, owner});
    opened();
    if (answers_.empty())
        return Answer::No;
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

void ScriptedBoxes::opened() {
    if (auto action = std::exchange(whileShowing_, nullptr))
        action();
}

namespace {
QStringList texts(const std::vector<ScriptedBoxes::Box>& boxes, ScriptedBoxes::Box::Kind kind) {
    QStringList out;
    for (const auto& b : boxes)
        if (b.kind == kind)
            out << b.text;
    return out;
}
} // namespace

QStringList ScriptedBoxes::errors() const {
    return texts(boxes_, Box::Kind::Error);
}
QStringList ScriptedBoxes::informations() const {
    return texts(boxes_, Box::Kind::Information);
}
QStringList ScriptedBoxes::questions() const {
    return texts(boxes_, Box::Kind::Question);
}

void ScriptedBoxes::clear() {
    boxes_.clear();
    answers_.clear();
    whileShowing_ = nullptr;
}

ScriptedBoxes& testBoxes() {
    return dynamic_cast<ScriptedBoxes&>(*services().boxes);
}
FixedClock& testClock() {
    return dynamic_cast<FixedClock&>(*services().clock);
}
