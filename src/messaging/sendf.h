#pragma once

#include "messaging/line_list.h"
#include "windows/secondary_form.h"

#include <QByteArray>
#include <memory>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class TDosCommand;
class TSendQueue;
struct OutgoingText;

// The address history file.
inline const QString kHistoryFile = QStringLiteral("hist.ini");

// Where a message is written and its recipient chosen: an upper-case address box with the
// address history, the tree of the local network's computers, the text, and two ways of
// sending (TCP through Form1's client socket, or the messenger service's "net send").
class TSendF : public TSecondaryForm {
    Q_OBJECT
public:
    TSendF();
    ~TSendF() override;

    QComboBox* adre;
    QTreeWidget* TreeView1;
    QPushButton* refreshb;
    QPlainTextEdit* msge;
    QCheckBox* NSCheck;
    QPushButton* sendb;
    std::unique_ptr<TDosCommand> DosCmd;
    // The TCP sends under way and waiting; Form1's client-socket handlers feed it.
    TSendQueue* sendQueue;

    void FormCreate();
    void FormShow() override;
    void FormDestroy() override;
    void adreKeyDown(int Key);
    void TreeView1Click();
    void refreshbClick();
    void sendbClick();

    // The address box's text in code page 1251 (always upper case).
    QByteArray address() const;
    void setAddress(const QByteArray& address);
    // The text box's text in code page 1251 with CR LF line breaks.
    QByteArray messageText() const;
    void setMessageText(const QByteArray& text);
    // The address history, the drop-down list of adre, in order.
    LineList history() const;
    void setHistory(const LineList& entries);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addToHistory(const QByteArray& address);
    void sent(const OutgoingText& message);
    void failed(const OutgoingText& message);
    void netSendFailed(const QByteArray& text, const QString& message);
};

inline TSendF* SendF = nullptr;
