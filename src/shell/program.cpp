#include "shell/program.h"

#include "messaging/sendf.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "shell/form1.h"
#include "shell/signals.h"
#include "windows/aboutf.h"
#include "windows/archivef.h"
#include "windows/conff.h"
#include "windows/ignorf.h"
#include "windows/msgf.h"

#include <QApplication>

namespace {

bool exitRequested = false;

// Creates one window; an error escaping its construction is shown and the next one follows.
template <typename Form> void create(std::unique_ptr<Form>& slot, Form*& instance) {
    guarded([&] {
        slot = std::make_unique<Form>();
        instance = slot.get();
    });
}

template <typename Form> void destroy(std::unique_ptr<Form>& slot, Form*& instance) {
    if (!slot)
        return;
    guarded([&] { slot->FormDestroy(); });
    slot.reset();
    instance = nullptr;
}

} // namespace

void endProgram() {
    exitRequested = true;
    QCoreApplication::exit(0);
}

Program::Program() = default;

Program::~Program() {
    destroyWindows();
}

void Program::createWindows() {
    create(form1_, Form1);
    create(sendF_, SendF);
    create(msgf_, Msgf);
    create(ignorF_, IgnorF);
    create(confF_, ConfF);
    create(archiveF_, ArchiveF);
    create(aboutF_, AboutF);
}

void Program::destroyWindows() {
    destroy(aboutF_, AboutF);
    destroy(archiveF_, ArchiveF);
    destroy(confF_, ConfF);
    destroy(ignorF_, IgnorF);
    destroy(msgf_, Msgf);
    destroy(sendF_, SendF);
    destroy(form1_, Form1);
}

int runProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application title "Chatterwick" is the caption of the boxes. It is not made Qt's
    // display name, which would be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("chatterwick2"));
    // Secondary windows only hide when closed; only closing Form1 ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
    installRealServices();

    // Logout, kill and Ctrl-C end the run as a confirmed exit does, so nothing is lost.
    ExitSignals exitSignals([] {
        if (Form1)
            Form1->close();
        else
            endProgram();
    });

    exitRequested = false;
    Program program;
    program.createWindows();
    // Without its main window the program has nothing to show and no way to be ended.
    if (!Form1)
        exitRequested = true;
    // An exit asked for while the windows were being created ends the loop as soon as it runs.
    if (exitRequested)
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    QApplication::exec();
    program.destroyWindows();
    return 0;
}
