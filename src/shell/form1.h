#pragma once

#include <QWidget>

class QLabel;
class QMenu;
class QAction;
class QTimer;
class TImage;
class TServerSocket;
class TClientSocket;
class TCustomWinSocket;
enum class TErrorEvent;
class TIdIPWatch;
class TTrayIcon;
class TPopupMenu;
class TsSkinManager;

// The splash window and owner of every shared component. Created first, destroyed last;
// closing it ends the program.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    // Components, in their creation order.
    TImage* img = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* sWebLabel1 = nullptr;
    TServerSocket* ss = nullptr;
    TIdIPWatch* IPWatch = nullptr;
    TClientSocket* cs = nullptr;
    TTrayIcon* tri = nullptr;
    TPopupMenu* mainmenu = nullptr;
    QTimer* tm1 = nullptr;
    TsSkinManager* sSkinManager1 = nullptr;

    // Items of mainmenu, top to bottom, and of its submenu Chatterwick21.
    QAction* N1 = nullptr;
    QAction* N8 = nullptr;
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    QAction* N4 = nullptr;
    QAction* N3 = nullptr;
    QMenu* Chatterwick21 = nullptr;
    QAction* N12 = nullptr;
    QAction* N16 = nullptr;
    QAction* N11 = nullptr;
    QAction* N13 = nullptr;
    QAction* N10 = nullptr;
    QAction* N7 = nullptr;
    QAction* N9 = nullptr;
    QAction* N14 = nullptr;
    QAction* N15 = nullptr;
    QAction* N2 = nullptr;

    // Start-up and splash.
    void FormCreate();
    void FormShow();
    void tm1Timer();
    void imgDblClick();
    void sWebLabel1Click();
    // Settings saved at exit.
    void FormDestroy();

    // Reception.
    void ssClientRead(QObject* Sender, TCustomWinSocket* Socket);

    // Sending.
    void csConnecting(QObject* Sender, TCustomWinSocket* Socket);
    void csConnect(QObject* Sender, TCustomWinSocket* Socket);
    void csDisconnect(QObject* Sender, TCustomWinSocket* Socket);
    // Keeps the books of a send whose connection failed (the error box follows).
    void csError(QObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode);

    // Tray and its menu.
    void triClick(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                  int Y);
    void N1Click(QObject* Sender);
    void N8Click(QObject* Sender);
    void N6Click(QObject* Sender);
    void N4Click(QObject* Sender);
    void N7Click(QObject* Sender);
    void N9Click(QObject* Sender);
    void N12Click(QObject* Sender);
    void N11Click(QObject* Sender);
    void N13Click(QObject* Sender);
    void N15Click(QObject* Sender);
    void N2Click(QObject* Sender);

    // Whether FormCreate got as far as reading the settings (they are saved only then).
    bool settingsRead() const { return settingsRead_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Creates the controls and components in their order.
    void build();

    bool settingsRead_ = false;
};

inline TForm1* Form1 = nullptr;
