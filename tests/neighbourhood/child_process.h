#pragma once

#include <QProcessEnvironment>
#include <QStringList>
#include <string>

// Some tests run their own body again in a child process of this test program: inside a
// network namespace with a private avahi-daemon, or to watch the process end. The child sees
// the role that the parent gave it.
QString childRole();

struct ChildRun {
    bool finished = false; // ended by itself within the time given
    bool crashed = false;
    int exitCode = -1;
    std::string output;
};

// Runs the current test alone in a child process: prefix (e.g. "ip netns exec NAME") then this
// program, with env and the child role added.
ChildRun runCurrentTestInChild(const QString& role, const QStringList& prefix = {},
                               QProcessEnvironment env = QProcessEnvironment::systemEnvironment(),
                               int timeoutMs = 60000);

// Tests that need root: skipped on a developer's machine, failed in CI.
bool isRoot();
#define REQUIRE_ROOT()                                                                             \
    do {                                                                                           \
        if (!isRoot()) {                                                                           \
            if (qEnvironmentVariableIsSet("CI"))                                                   \
                FAIL() << "needs root";                                                            \
            GTEST_SKIP() << "needs root";                                                          \
        }                                                                                          \
    } while (false)
