#pragma once

#include "windows/secondary_form.h"

#include <QByteArray>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

// Shows one received message; flashes while shown and greets it with a sound.
class TMsgf : public TSecondaryForm {
    Q_OBJECT
public:
    TMsgf();

    QWidget* sPanel1;
    QLabel* sLabel1;
    QLabel* adrl;
    QLabel* sLabel2;
    QLabel* datel;
    QPlainTextEdit* msge;
    QPushButton* sButton2;
    QPushButton* sBitBtn1;
    QPushButton* sBitBtn2;
    QTimer* flashtimer;

    void FormCreate();
    void FormShow() override;
    void FormHide() override;
    void flashtimerTimer();
    void sBitBtn1Click();
    void sBitBtn2Click();
    void sButton2Click();

    // Fills the three fields: sender, time of reception, text (bytes in code page 1251).
    void setMessage(const QByteArray& sender, const QByteArray& time, const QByteArray& text);
    // The sender as adrl shows it, in code page 1251.
    QByteArray senderName() const;
    // Whether the attention look is on now; it changes on every flash.
    bool flashHighlighted() const { return highlighted_; }

private:
    void setHighlighted(bool on);
    bool highlighted_ = false;
};

inline TMsgf* Msgf = nullptr;
