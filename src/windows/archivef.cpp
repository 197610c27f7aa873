#include "windows/archivef.h"

#include "messaging/archive_text.h"
#include "platform/boxes.h"
#include "platform/exceptions.h"
#include "platform/guard.h"
#include "platform/services.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

TArchiveF::TArchiveF()
    : TSecondaryForm(QStringLiteral("Архив сообщений"), WindowSizing::Sizeable, QSize(411, 312)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 8);

    sPanel1 = new QWidget(this);
    sPanel1->setFixedHeight(25);
    auto* panel = new QHBoxLayout(sPanel1);
    panel->setContentsMargins(8, 0, 8, 0);
    sLabel2 = new QLabel(QStringLiteral("Непрочитанные сообщения:"), sPanel1);
    unread = new QLabel(QStringLiteral("0"), sPanel1);
    panel->addWidget(sLabel2);
    panel->addWidget(unread);
    panel->addStretch();
    layout->addWidget(sPanel1);

    Archive = new QPlainTextEdit(this);
    Archive->setReadOnly(true);
    Archive->setUndoRedoEnabled(false);
    Archive->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Archive->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Archive->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 0, 0);
    body->addWidget(Archive, 1);

    sButton1 = new QPushButton(QStringLiteral("Очистить"), this);
    sButton2 = new QPushButton(QStringLiteral("Закрыть"), this);
    // At least the designed width, wider where the desktop's font needs it to fit the caption.
    for (QPushButton* b : {sButton1, sButton2}) {
        b->setMinimumWidth(70);
        b->setFixedHeight(23);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sButton1);
    buttons->addWidget(sButton2);
    body->addLayout(buttons);
    layout->addLayout(body, 1);

    // A reader at the end follows new entries, also when the view is laid out anew on showing
    // or resizing; one who has scrolled back stays where he is.
    QScrollBar* bar = Archive->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { followEnd_ = value == bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar] {
        if (followEnd_)
            bar->setValue(bar->maximum());
    });

    setTabOrder(sButton2, sButton1);
    setTabOrder(sButton1, Archive);
    connect(sButton1, &QPushButton::clicked, this,
            [this] { guarded([this] { sButton1Click(); }); });
    connect(sButton2, &QPushButton::clicked, this,
            [this] { guarded([this] { sButton2Click(); }); });

    guarded([this] { FormCreate(); });
}

void TArchiveF::FormCreate() {
    setSystemMenuCaptions();
    loadArchive();
}

void TArchiveF::loadArchive() {
    text_ = file_.load(); // on failure the archive starts empty and the error is shown
    Archive->setPlainText(readingViewText(text_));
    // The newest entries are at the end: start there.
    Archive->moveCursor(QTextCursor::End);
    Archive->ensureCursorVisible();
}

void TArchiveF::FormShow() {
    sButton2->setFocus();
}

void TArchiveF::FormHide() {
    setUnreadCount(0);
}

void TArchiveF::FormDestroy() {
    file_.replace(text_);
}

void TArchiveF::sButton1Click() {
    if (services().boxes->question(this, QStringLiteral("Chatterwick"),
                                   QStringLiteral("Удалить все сообщения из архива?")) ==
        Answer::Yes)
        clearArchive();
}

void TArchiveF::sButton2Click() {
    close();
}

void TArchiveF::appendEntry(const QByteArray& entry) {
    const QByteArray added = appendedBytes(text_, entry);
    text_ += added;
    // The disk first: whatever happens in the view, the entry is kept.
    QString failure;
    try {
        file_.append(text_, added);
        writeErrorShown_ = false;
    } catch (const Exception& e) {
        failure = e.Message();
    }
    showInView(added);
    if (!failure.isEmpty() && !std::exchange(writeErrorShown_, true))
        showError(failure);
}

void TArchiveF::showInView(const QByteArray& added) {
    // Only the new bytes go into the view, so an entry costs the same in any archive.
    QTextCursor end(Archive->document());
    end.movePosition(QTextCursor::End);
    end.insertText(readingViewText(added));
}

void TArchiveF::clearArchive() {
    text_.clear();
    Archive->clear();
    file_.replace(text_);
}

int TArchiveF::unreadCount() const {
    return unread->text().toInt();
}

void TArchiveF::setUnreadCount(int count) {
    unread->setText(QString::number(count));
}
