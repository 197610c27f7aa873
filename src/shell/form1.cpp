#include "shell/form1.h"

#include "components/popup_menu.h"
#include "components/tray_icon.h"
#include "messaging/socket_components.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "platform/shell_open.h"
#include "shell/app_settings.h"
#include "shell/builtin_assets.h"
#include "shell/form1_components.h"
#include "shell/program.h"
#include "shell/server_control.h"
#include "skin/image.h"
#include "skin/skin_manager.h"
#include "skin/web_label.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {

constexpr double kSplashOpacity = 215.0 / 255.0;
constexpr int kSplashMilliseconds = 2000;
// Where the maker's page would be; until there is one, the link opens the help page.
const QString kMakerHomePage = QStringLiteral("help.htm");

QFont tahoma(int pixels) {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixels);
    return f;
}

QLabel* splashLabel(QWidget* parent, const QString& text, int pixels, const QColor& colour) {
    auto* label = new QLabel(text, parent);
    label->setFont(tahoma(pixels));
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->adjustSize();
    return label;
}

// Shrinks a label's font until its text fits the width (fonts other than Tahoma run wider).
void fitWidth(QLabel* label, int width) {
    QFont f = label->font();
    while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(label->text()) > width)
        f.setPixelSize(f.pixelSize() - 1);
    label->setFont(f);
    label->adjustSize();
}

} // namespace

TForm1::TForm1() : QWidget(nullptr) {
    // FormCreate's routines (StartServer, PauseServer) reach the components through Form1.
    Form1 = this;
    try {
        build();
    } catch (...) {
        Form1 = nullptr;
        throw;
    }
    guarded([this] { FormCreate(); });
    show();
    guarded([this] { FormShow(); });
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::build() {
    setWindowTitle(QStringLiteral("Chatterwick"));
    // A splash window: no frame, no taskbar entry.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFont(tahoma(11));
    QApplication::setWindowIcon(builtInTrayIcon());

    img = new TImage(this);
    const QPixmap picture = builtInSplashPicture();
    img->setPicture(picture);
    img->OnDblClick = [this](QObject*) { imgDblClick(); };
    setFixedSize(img->size());
    // The colour key: magenta pixels are cut out of the window, with or without a compositor.
    setMask(QBitmap::fromImage(
        picture.toImage().createMaskFromColor(kSplashColourKey, Qt::MaskInColor)));

    Label3 = splashLabel(this, QStringLiteral("beta_1"), 11, QColor(0x00, 0x4F, 0x9D));
    Label1 = splashLabel(this, QStringLiteral("Chatterwick 2"), 32, QColor(0x00, 0x80, 0xFF));
    Label2 = splashLabel(this, QStringLiteral("Chatterwick 2"), 32, QColor(0x00, 0x49, 0x93));
    fitWidth(Label1, width() - 90);
    fitWidth(Label2, width() - 90);
    Label1->move(84, 20);
    Label2->move(Label1->x() - 1, Label1->y() - 1); // the dark title over its light shadow
    Label3->move(Label1->geometry().right() - Label3->width(), Label1->geometry().bottom() - 2);
    auto* link = new TsWebLabel(QStringLiteral("© 2004 авторы Chatterwick 2"), this);
    link->setFont(tahoma(11));
    link->adjustSize();
    link->move(84, 76);
    link->OnClick = [this](QObject*) { sWebLabel1Click(); };
    sWebLabel1 = link;

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }

    createNetworkComponents(*this);

    tm1 = new QTimer(this);
    tm1->setInterval(kSplashMilliseconds);
    connect(tm1, &QTimer::timeout, this, [this] { guarded([this] { tm1Timer(); }); });
    tm1->start();

    sSkinManager1 = new TsSkinManager(this);
    sSkinManager1->setSkinDirectory(QStringLiteral("Skins"));
    sSkinManager1->setSkinName(kDefaultSkinName);
}

void TForm1::FormCreate() {
    LoadTrayIcon(QStringLiteral("deActive.ico"));
    // Start-up does not test the platform's version.
    sSkinManager1->setSkinName(readSkinName());
    loadAppSettings();
    settingsRead_ = true;
    if (ss)
        ss->setPort(AppSettings.DefPort);
    if (cs)
        cs->setPort(AppSettings.DefPort);
    if (AppSettings.AlphaSPLASH)
        setWindowOpacity(kSplashOpacity);
    // Last, so that a server that cannot start skips nothing else.
    if (AppSettings.DontActivateServer)
        PauseServer();
    else
        StartServer();
}

void TForm1::FormShow() {
    // The application has no taskbar window of its own to hide here; the splash has none.
}

void TForm1::tm1Timer() {
    tm1->stop(); // once per run
    if (tri)
        tri->setFormVisible(false);
    else
        hide();
}

void TForm1::imgDblClick() {
    close();
}

void TForm1::sWebLabel1Click() {
    services().shell->open(kMakerHomePage);
}

void TForm1::FormDestroy() {
    // Settings that were never read must not replace the stored ones.
    if (!settingsRead_)
        return;
    writeSkinName(sSkinManager1->SkinName());
    saveAppSettings();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the message loop; the exit sequence follows.
    event->accept();
    endProgram();
}
