#include "windows/msgf.h"

#include "messaging/archive_text.h"
#include "messaging/sendf.h"
#include "platform/boxes.h"
#include "platform/cp1251.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "shell/app_settings.h"
#include "windows/ignorf.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(const QString& caption, const QString& hint, int width, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    // At least the designed width, wider where the desktop's font needs it to fit the caption.
    b->setMinimumWidth(width);
    b->setFixedHeight(23);
    b->setToolTip(hint);
    return b;
}

QLabel* makeLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText); // a sender's name is never markup
    return l;
}

} // namespace

TMsgf::TMsgf()
    : TSecondaryForm(QStringLiteral("Входящее сообщение"), WindowSizing::Sizeable,
                     QSize(411, 250)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 8);

    sPanel1 = new QWidget(this);
    sPanel1->setFixedHeight(35);
    sPanel1->setAutoFillBackground(true);
    auto* rows = new QGridLayout(sPanel1);
    rows->setContentsMargins(8, 1, 8, 1);
    rows->setVerticalSpacing(0);
    sLabel1 = makeLabel(QStringLiteral("Сообщение от:"), sPanel1);
    adrl = makeLabel(QStringLiteral("[name]"), sPanel1);
    sLabel2 = makeLabel(QStringLiteral("Получено:"), sPanel1);
    datel = makeLabel(QStringLiteral("[date] [time]"), sPanel1);
    rows->addWidget(sLabel1, 0, 0);
    rows->addWidget(adrl, 0, 1);
    rows->addWidget(sLabel2, 1, 0);
    rows->addWidget(datel, 1, 1);
    rows->setColumnStretch(1, 1);
    layout->addWidget(sPanel1);

    msge = new QPlainTextEdit(this);
    msge->setReadOnly(true);
    msge->setUndoRedoEnabled(false);
    msge->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    msge->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 0, 0);
    body->addWidget(msge, 1);

    sButton2 = makeButton(QStringLiteral("В игнор-лист"),
                          QStringLiteral("Добавить отправителя в игнор-лист"), 84, this);
    sBitBtn1 =
        makeButton(QStringLiteral("Ответить"), QStringLiteral("Ответить отправителю"), 70, this);
    sBitBtn2 = makeButton(QStringLiteral("Закрыть"), QStringLiteral("Закрыть окно"), 70, this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sButton2);
    buttons->addWidget(sBitBtn1);
    buttons->addWidget(sBitBtn2);
    body->addLayout(buttons);
    layout->addLayout(body, 1);

    setTabOrder(msge, sBitBtn1);
    setTabOrder(sBitBtn1, sButton2);
    setTabOrder(sButton2, sBitBtn2);

    flashtimer = new QTimer(this);
    flashtimer->setInterval(1000);
    connect(flashtimer, &QTimer::timeout, this, [this] { guarded([this] { flashtimerTimer(); }); });
    connect(sButton2, &QPushButton::clicked, this,
            [this] { guarded([this] { sButton2Click(); }); });
    connect(sBitBtn1, &QPushButton::clicked, this,
            [this] { guarded([this] { sBitBtn1Click(); }); });
    connect(sBitBtn2, &QPushButton::clicked, this,
            [this] { guarded([this] { sBitBtn2Click(); }); });

    guarded([this] { FormCreate(); });
}

void TMsgf::FormCreate() {
    setSystemMenuCaptions();
}

void TMsgf::FormShow() {
    flashtimer->start();
    sBitBtn2->setFocus();
    if (AppSettings.Sounds)
        if (ISound* sound = services().sound.get())
            sound->playAsync(bareFilePath(QStringLiteral("Msg.wav")));
}

void TMsgf::FormHide() {
    flashtimer->stop();
    setHighlighted(false);
}

void TMsgf::flashtimerTimer() {
    setHighlighted(!highlighted_);
    // The window manager's hint, for the taskbar; it lapses by itself before the next "on"
    // tick. Window managers may ignore it, so the title panel changes as well.
    if (highlighted_)
        QApplication::alert(this, 1000);
}

void TMsgf::setHighlighted(bool on) {
    highlighted_ = on;
    QPalette p = palette();
    if (on) {
        p.setColor(QPalette::Window, p.color(QPalette::Highlight));
        p.setColor(QPalette::WindowText, p.color(QPalette::HighlightedText));
    }
    sPanel1->setPalette(p);
}

void TMsgf::sBitBtn1Click() {
    // Straight to the send window, not through the tray's way there: an open archive stays.
    const QByteArray sender = senderName();
    if (SendF)
        SendF->setAddress(sender);
    close();
    if (SendF)
        SendF->showAndActivate();
}

void TMsgf::sBitBtn2Click() {
    close();
}

void TMsgf::sButton2Click() {
    const QByteArray name = senderName();
    if (IgnorF->Contains(name)) {
        services().boxes->information(
            QStringLiteral("Этот отправитель уже добавлен в игнор-лист!"));
        return;
    }
    if (services().boxes->question(this, QStringLiteral("Chatterwick 2"),
                                   QStringLiteral("Если добавить отправителя в игнор-лист, то его "
                                                  "сообщение больше не будут приниматься. "
                                                  "Уверены?")) != Answer::Yes)
        return;
    IgnorF->AddIfAbsent(name);
    close();
    IgnorF->showAndActivate();
}

void TMsgf::setMessage(const QByteArray& sender, const QByteArray& time, const QByteArray& text) {
    adrl->setText(fromCp1251(sender));
    datel->setText(fromCp1251(time));
    msge->setPlainText(readingViewText(cutAtNul(text)));
}

QByteArray TMsgf::senderName() const {
    return toCp1251(adrl->text());
}
