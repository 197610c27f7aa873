#include "shell/tray_menu.h"

#include "components/popup_menu.h"
#include "messaging/sendf.h"
#include "platform/boxes.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "platform/shell_open.h"
#include "shell/form1.h"
#include "windows/aboutf.h"
#include "windows/archivef.h"
#include "windows/conff.h"
#include "windows/ignorf.h"

#include <QAction>
#include <QMenu>

namespace {

// The project has no public pages yet: both pages open the installed help page, and the
// mail opens an empty new mail for the user to address.
const QString kHelpFile = QStringLiteral("help.htm");
const QString kProductPage = kHelpFile;
const QString kMakerHomePage = kHelpFile;
const QString kMakerMail = QStringLiteral("mailto:");

using Handler = void (TForm1::*)(QObject*);

QAction* addItem(TForm1& form, QMenu& menu, const QString& caption, Handler handler) {
    QAction* item = menu.addAction(caption);
    QObject::connect(item, &QAction::triggered, &form,
                     [&form, item, handler] { guarded([&] { (form.*handler)(item); }); });
    return item;
}

void openDocument(const QString& document) {
    if (IShellOpen* shell = services().shell.get())
        shell->open(document);
}

} // namespace

void createMainMenu(TForm1& form) {
    auto* menu = new TPopupMenu(&form);
    form.mainmenu = menu;
    form.N1 = addItem(form, *menu, QStringLiteral("Отправить сообщение.."), &TForm1::N1Click);
    form.N8 = addItem(form, *menu, QStringLiteral("Архив сообщений"), &TForm1::N8Click);
    form.N5 = menu->addSeparator();
    form.N6 = addItem(form, *menu, QStringLiteral("Игнор-лист"), &TForm1::N6Click);
    form.N4 = addItem(form, *menu, QStringLiteral("Настройки.."), &TForm1::N4Click);
    form.N3 = menu->addSeparator();
    form.Chatterwick21 = menu->addMenu(QStringLiteral("Chatterwick в интернете"));
    form.N12 =
        addItem(form, *form.Chatterwick21, QStringLiteral("Сайт Chatterwick"), &TForm1::N12Click);
    form.N16 = form.Chatterwick21->addSeparator();
    form.N11 = addItem(form, *form.Chatterwick21, QStringLiteral("Сайт автора"), &TForm1::N11Click);
    form.N13 =
        addItem(form, *form.Chatterwick21, QStringLiteral("Письмо автору"), &TForm1::N13Click);
    form.N10 = menu->addSeparator();
    form.N7 = addItem(form, *menu, QStringLiteral("Помощь.."), &TForm1::N7Click);
    form.N9 = addItem(form, *menu, QStringLiteral("О программе.."), &TForm1::N9Click);
    form.N14 = menu->addSeparator();
    form.N15 = addItem(form, *menu, QStringLiteral("Запустить сервер"), &TForm1::N15Click);
    form.N2 = addItem(form, *menu, QStringLiteral("Выход"), &TForm1::N2Click);
    menu->setDefaultItem(form.N1);
}

void ShowSendWindow() {
    if (SendF)
        SendF->showAndActivate();
    // Closing the archive resets its counter.
    if (ArchiveF && ArchiveF->Showing() && ArchiveF->unreadCount() > 0)
        ArchiveF->close();
}

void TForm1::triClick(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    ShowSendWindow();
}

void TForm1::N1Click(QObject*) {
    ShowSendWindow();
}

void TForm1::N8Click(QObject*) {
    if (ArchiveF)
        ArchiveF->showAndActivate();
}

void TForm1::N6Click(QObject*) {
    if (IgnorF)
        IgnorF->showAndActivate();
}

void TForm1::N4Click(QObject*) {
    if (ConfF)
        ConfF->showAndActivate();
}

void TForm1::N7Click(QObject*) {
    openDocument(kHelpFile);
}

void TForm1::N9Click(QObject*) {
    if (AboutF)
        AboutF->showAndActivate();
}

void TForm1::N12Click(QObject*) {
    openDocument(kProductPage);
}

void TForm1::N11Click(QObject*) {
    openDocument(kMakerHomePage);
}

void TForm1::N13Click(QObject*) {
    openDocument(kMakerMail);
}

void TForm1::N2Click(QObject*) {
    if (services().boxes->question(this, QStringLiteral("Chatterwick 2"),
                                   QStringLiteral("Вы действительно хотите завершить работу "
                                                  "Chatterwick 2?")) == Answer::Yes)
        close();
}
