#pragma once

#include "platform/boxes.h"

// The real boxes, on QMessageBox.
class QtBoxes final : public IBoxes {
public:
    void error(const QString& text) override;
    void information(const QString& text) override;
    Answer question(QWidget* owner, const QString& caption, const QString& text) override;
};
