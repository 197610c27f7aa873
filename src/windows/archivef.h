#pragma once

#include "messaging/archive_file.h"
#include "windows/secondary_form.h"

#include <QByteArray>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The message archive: every received entry, kept across runs, with the count of messages
// routed here since the window was last hidden.
class TArchiveF : public TSecondaryForm {
    Q_OBJECT
public:
    TArchiveF();

    QWidget* sPanel1;
    QLabel* sLabel2;
    QLabel* unread;
    // Shows the archive text; the text itself is archiveText().
    QPlainTextEdit* Archive;
    QPushButton* sButton1;
    QPushButton* sButton2;

    void FormCreate();
    void FormShow() override;
    void FormHide() override;
    void FormDestroy() override;
    void sButton1Click();
    void sButton2Click();

    // The archive text, code page 1251 with CR LF breaks.
    const QByteArray& archiveText() const { return text_; }
    // Appends an entry by the append rule and stores it in archive.ini at once. A failure
    // to store it is shown in the error box (once until a write succeeds again); the entry
    // stays in the archive either way.
    void appendEntry(const QByteArray& entry);
    // Empties the archive and archive.ini.
    void clearArchive();

    // The unread counter, the caption of `unread`.
    int unreadCount() const;
    void setUnreadCount(int count);

private:
    void loadArchive();
    void showInView(const QByteArray& added);

    QByteArray text_;
    ArchiveFile file_;
    bool writeErrorShown_ = false;
    bool followEnd_ = true;
};

inline TArchiveF* ArchiveF = nullptr;
