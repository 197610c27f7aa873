#include "shell/tray_menu.h"

#include "components/popup_menu.h"
#include "messaging/sendf.h"
#include "platform/boxes.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "shell/form1.h"

#include <QAction>

namespace {

using Handler = void (TForm1::*)(QObject*);

QAction* addItem(TForm1& form, TPopupMenu& menu, const QString& caption, Handler handler) {
    QAction* item = menu.addAction(caption);
    QObject::connect(item, &QAction::triggered, &form,
                     [&form, item, handler] { guarded([&] { (form.*handler)(item); }); });
    return item;
}

} // namespace

void createMainMenu(TForm1& form) {
    auto* menu = new TPopupMenu(&form);
    form.mainmenu = menu;
    form.N15 = addItem(form, *menu, QStringLiteral("Запустить сервер"), &TForm1::N15Click);
    form.N2 = addItem(form, *menu, QStringLiteral("Выход"), &TForm1::N2Click);
}

void TForm1::triClick(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    if (SendF)
        SendF->showAndActivate();
}

void TForm1::N2Click(QObject*) {
    if (services().boxes->question(this, QStringLiteral("Chatterwick 2"),
                                   QStringLiteral("Вы действительно хотите завершить работу "
                                                  "Chatterwick 2?")) == Answer::Yes)
        close();
}
