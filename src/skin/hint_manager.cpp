#include "skin/hint_manager.h"

#include <QWidget>

TsHintManager::TsHintManager(QWidget* window) : QObject(window) {}
