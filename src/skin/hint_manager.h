#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Gives every hint of its window the one balloon look of the program: rounded corners, light
// grey a little transparent, a black border, Segoe UI 11 px in black.
class TsHintManager : public QObject {
    Q_OBJECT
public:
    explicit TsHintManager(QWidget* window);
};

// The balloon rules as a style sheet; every skin carries them, so hints look alike whatever
// skin is in force.
QString hintStyleSheet();
