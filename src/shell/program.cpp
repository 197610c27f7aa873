#include "shell/program.h"

#include "messaging/sendf.h"
#include "platform/guard.h"
#include "platform/services.h"
#include "shell/form1.h"
#include "windows/aboutf.h"
#include "windows/archivef.h"
#include "windows/conff.h"
#include "windows/ignorf.h"
#include "windows/msgf.h"

#include <QApplication>

namespace {

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

Program::Program() = default;

Program::~Program() { destroyWindows(); }

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
    QApplication::setApplicationName(QStringLiteral("chatterwick2"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chatterwick"));
    // Secondary windows only hide when closed; only closing Form1 ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
    installRealServices();

    Program program;
    program.createWindows();
    const int result = QApplication::exec();
    program.destroyWindows();
    return result == 0 ? 0 : result;
}
