#include "child_process.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
constexpr char kRoleVariable[] = "CW_TEST_CHILD_ROLE";
}

QString childRole() {
    return qEnvironmentVariable(kRoleVariable);
}

bool isRoot() {
    return geteuid() == 0;
}

ChildRun runCurrentTestInChild(const QString& role, const QStringList& prefix,
                               QProcessEnvironment env, int timeoutMs) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter =
        QStringLiteral("--gtest_filter=%1.%2")
            .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()));
    env.insert(QString::fromLatin1(kRoleVariable), role);

    QStringList command = prefix;
    command << QCoreApplication::applicationFilePath() << filter;
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(command.takeFirst(), command);

    ChildRun run;
    run.finished = child.waitForFinished(timeoutMs);
    if (!run.finished) {
        child.kill();
        child.waitForFinished(5000);
    }
    run.crashed = child.exitStatus() == QProcess::CrashExit;
    run.exitCode = child.exitCode();
    run.output = child.readAll().toStdString();
    return run;
}
