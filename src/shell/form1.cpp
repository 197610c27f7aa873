#include "shell/form1.h"

#include "platform/guard.h"

#include <QApplication>
#include <QCloseEvent>

TForm1::TForm1() : QWidget(nullptr) {
    setWindowTitle(QStringLiteral("Chatterwick"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    guarded([this] { FormCreate(); });
    show();
    guarded([this] { FormShow(); });
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {}

void TForm1::FormShow() {}

void TForm1::tm1Timer() {}

void TForm1::imgDblClick() { close(); }

void TForm1::sWebLabel1Click() {}

void TForm1::FormDestroy() {}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the message loop; the exit sequence follows.
    event->accept();
    QApplication::quit();
}
