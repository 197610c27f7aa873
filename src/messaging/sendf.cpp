#include "messaging/sendf.h"

#include "components/dos_command.h"
#include "messaging/archive_text.h"
#include "messaging/ignore_list.h"
#include "messaging/send_queue.h"
#include "messaging/socket_components.h"
#include "neighbourhood/computer_list.h"
#include "platform/boxes.h"
#include "platform/cp1251.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "shell/app_settings.h"
#include "shell/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValidator>

namespace {

constexpr int kLeftColumnWidth = 150;
constexpr int kButtonHeight = 25;
constexpr int kEnterKey = 13;
// How long the exit waits for texts still on their way: past the client's connect limit.
constexpr int kExitSendWaitMs = 20000;

// Upper case as the code page has it: a letter whose capital the code page lacks stays.
QString upperAddress(const QString& text) {
    QString upper = text;
    for (QChar& c : upper) {
        const QChar u = c.toUpper();
        if (u != c && toCp1251(QStringView(&u, 1)) != "?")
            c = u;
    }
    return upper;
}

// Turns typed and pasted text into upper case as it comes in, so undo keeps working.
class UpperCaseValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = upperAddress(input);
        return Acceptable;
    }
};

QPushButton* makeButton(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setFixedHeight(kButtonHeight);
    // Enter presses a focused button, so the window can be worked by keys alone.
    b->setAutoDefault(true);
    return b;
}

} // namespace

TSendF::TSendF()
    : TSecondaryForm(QStringLiteral("Отправка сообщения"), WindowSizing::Sizeable,
                     QSize(444, 290)) {
    QFont f(QStringLiteral("Trebuchet MS"));
    f.setPointSize(8);
    setFont(f);

    adre = new QComboBox(this);
    adre->setEditable(true);
    adre->setInsertPolicy(QComboBox::NoInsert); // the history grows only by sending
    adre->setCompleter(nullptr); // no text is put into the box that the user did not choose
    adre->setDuplicatesEnabled(true);
    adre->setFixedWidth(kLeftColumnWidth);
    adre->setToolTip(QStringLiteral("Адрес для отправки"));
    adre->lineEdit()->setValidator(new UpperCaseValidator(adre));
    // Whatever puts text into the box, it shows upper case.
    connect(adre->lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString upper = upperAddress(text);
        if (upper == text)
            return;
        const int cursor = adre->lineEdit()->cursorPosition();
        adre->lineEdit()->setText(upper);
        adre->lineEdit()->setCursorPosition(cursor);
    });
    adre->setEditText(QStringLiteral("LOCALHOST"));
    // Typed keys reach the box itself, which hands them to its line edit directly.
    adre->installEventFilter(this);
    adre->lineEdit()->installEventFilter(this);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setFixedWidth(kLeftColumnWidth);
    TreeView1->setToolTip(QStringLiteral("Список компьютеров локальной сети"));

    refreshb =
        makeButton(QStringLiteral("Обновить"), QStringLiteral("Обновить список компьютеров"), this);
    refreshb->setFixedWidth(kLeftColumnWidth);

    msge = new QPlainTextEdit(this);
    msge->setToolTip(QStringLiteral("Текст для отправки"));
    msge->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    msge->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    msge->setTabChangesFocus(true);

    NSCheck = new QCheckBox(QStringLiteral("Отправить через службу сообщений Windows"), this);
    sendb = makeButton(QStringLiteral("Отправить"), QStringLiteral("Отправить сообщение"), this);

    auto* left = new QVBoxLayout;
    left->addWidget(adre);
    left->addWidget(TreeView1, 1);
    left->addWidget(refreshb);
    auto* right = new QVBoxLayout;
    right->addWidget(msge, 1);
    right->addWidget(NSCheck);
    right->addWidget(sendb);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->addLayout(left);
    columns->addLayout(right, 1);

    // Address, text and send first, so a message can be written and sent by keys alone.
    setTabOrder(adre, msge);
    setTabOrder(msge, sendb);
    setTabOrder(sendb, NSCheck);
    setTabOrder(NSCheck, TreeView1);
    setTabOrder(TreeView1, refreshb);

    DosCmd = std::make_unique<TDosCommand>();
    sendQueue = new TSendQueue(this);
    sendQueue->OnSent = [this](const OutgoingText& m) { sent(m); };
    sendQueue->OnFailed = [this](const OutgoingText& m) { failed(m); };
    // Texts the user has sent go out before the windows go.
    connect(qApp, &QCoreApplication::aboutToQuit, sendQueue,
            [this] { guarded([this] { sendQueue->finishPending(kExitSendWaitMs); }); });

    connect(TreeView1, &QTreeWidget::itemClicked, this,
            [this] { guarded([this] { TreeView1Click(); }); });
    // Enter on a node does what a click does, for the keyboard.
    connect(TreeView1, &QTreeWidget::itemActivated, this,
            [this] { guarded([this] { TreeView1Click(); }); });
    connect(refreshb, &QPushButton::clicked, this,
            [this] { guarded([this] { refreshbClick(); }); });
    connect(sendb, &QPushButton::clicked, this, [this] { guarded([this] { sendbClick(); }); });

    guarded([this] { FormCreate(); });
}

TSendF::~TSendF() = default;

void TSendF::FormCreate() {
    setSystemMenuCaptions();
    // A history that cannot be read does not keep the last address from being read.
    guarded([this] {
        if (lineListExists(kHistoryFile))
            setHistory(readLineList(kHistoryFile));
    });
    guarded([this] { setAddress(readLastAdr()); });
}

void TSendF::FormShow() {
    startNetEnum(NetEnumTarget{TreeView1, refreshb});
    msge->setFocus();
    NSCheck->setChecked(AppSettings.AlwaysNetSend);
}

void TSendF::FormDestroy() {
    guarded([this] { writeLineList(kHistoryFile, history()); });
    guarded([this] { writeLastAdr(address()); });
}

bool TSendF::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == adre || watched == adre->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            guarded([this] { adreKeyDown(kEnterKey); });
    }
    return TSecondaryForm::eventFilter(watched, event);
}

void TSendF::adreKeyDown(int Key) {
    if (Key == kEnterKey)
        msge->setFocus();
}

void TSendF::TreeView1Click() {
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem* node = selected.first();
    if (node->childCount() > 0)
        return;
    setAddress(ComputerName(toCp1251(node->text(0))));
}

void TSendF::refreshbClick() {
    startNetEnum(NetEnumTarget{TreeView1, refreshb});
}

void TSendF::sendbClick() {
    // What is sent is what stands in the window now; later typing changes nothing of it.
    const QByteArray text = messageText();
    const QByteArray to = address();
    if (text.isEmpty() || to.isEmpty()) {
        services().boxes->information(QStringLiteral("Следует ввести адрес и текст для отправки!"));
        return;
    }
    TClientSocket* cs = Form1 ? Form1->cs : nullptr;
    if (cs && cs->Active())
        return;
    if (NSCheck->isChecked()) {
        DosCmd->CommandLine = QByteArrayLiteral("net send ") + to + ' ' + text;
        // Raised on the runner's thread: the text goes back on this window's.
        DosCmd->OnStartFailed = [this, text](QObject*, const QString& message) {
            QMetaObject::invokeMethod(
                this, [this, text, message] { netSendFailed(text, message); },
                Qt::QueuedConnection);
        };
        DosCmd->Run();
        msge->clear();
    } else {
        if (!cs)
            return;
        sendQueue->Send(*cs, OutgoingText{to, text});
    }
    addToHistory(to);
    close();
}

void TSendF::addToHistory(const QByteArray& address) {
    if (!listContainsName(history(), address))
        adre->addItem(upperAddress(fromCp1251(address)));
}

void TSendF::sent(const OutgoingText& message) {
    // Only the text that went out is cleared, never one typed since.
    if (messageText() == message.text)
        msge->clear();
}

void TSendF::failed(const OutgoingText& message) {
    // The text comes back unless the user has written something new meanwhile.
    if (messageText().isEmpty())
        setMessageText(message.text);
}

void TSendF::netSendFailed(const QByteArray& text, const QString& message) {
    failed(OutgoingText{QByteArray(), text});
    showError(message);
}

QByteArray TSendF::address() const {
    return toCp1251(adre->currentText());
}

void TSendF::setAddress(const QByteArray& address) {
    adre->setEditText(upperAddress(fromCp1251(address)));
}

QByteArray TSendF::messageText() const {
    // The raw text keeps every character; block breaks become CR LF.
    QString text = msge->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return toCp1251(text);
}

void TSendF::setMessageText(const QByteArray& text) {
    msge->setPlainText(viewText(text));
}

LineList TSendF::history() const {
    LineList entries;
    entries.reserve(adre->count());
    for (int i = 0; i < adre->count(); ++i)
        entries.append(toCp1251(adre->itemText(i)));
    return entries;
}

void TSendF::setHistory(const LineList& entries) {
    const QString text = adre->currentText();
    adre->clear();
    for (const QByteArray& entry : entries)
        adre->addItem(upperAddress(fromCp1251(entry)));
    adre->setEditText(text);
}
