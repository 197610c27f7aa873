#pragma once

#include <QObject>

class QWidget;

// Gives every hint of its window the one balloon look of the program.
class TsHintManager : public QObject {
    Q_OBJECT
public:
    explicit TsHintManager(QWidget* window);
};
