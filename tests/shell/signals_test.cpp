#include "shell/signals.h"

#include "shell/program.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

TEST(ExitSignals, EachSignalCallsBackFromTheEventLoop) {
    for (const int signo : {SIGTERM, SIGINT, SIGHUP}) {
        int calls = 0;
        {
            ExitSignals exitSignals([&] { ++calls; });
            ::raise(signo);
            EXPECT_EQ(calls, 0) << "called from inside the signal handler";
            EXPECT_TRUE(waitUntil([&] { return calls == 1; })) << signo;
        }
        struct sigaction now {};
        ::sigaction(signo, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << "handler not restored for " << signo;
    }
}

TEST(ExitSignals, EndTheRunFromInsideAModalBox) {
    ExitSignals exitSignals([] { endProgram(); });
    bool boxReturned = false;
    QTimer::singleShot(0, [&] {
        QEventLoop box; // the nested loop a modal box runs
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        box.exec();
        boxReturned = true;
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(boxReturned);
}
