#pragma once

#include <QByteArray>
#include <QString>

class QTreeWidget;
class QPushButton;

// The controls of one window that its computer-list walks fill: the tree of the local network
// and the button that starts a new walk.
struct NetEnumTarget {
    QTreeWidget* tree = nullptr;
    QPushButton* refreshb = nullptr;
};

// Starts a walk of the local network into target.tree and returns at once (fire and forget).
// Call on the UI thread, from the window's show handler and from its refresh button. The walk
// empties the tree, disables refreshb, appends one top-level node per domain or workgroup with
// one "\\<computer>" node per computer below it, then expands the tree and enables refreshb.
// A newer walk of the same tree supersedes an older one; a walk whose tree or button is
// destroyed stops by itself; nothing has to wait for a walk at program end.
void startNetEnum(NetEnumTarget target);

// The computer name of a tree node: a text that begins with "\\" gives its characters 3 to 101,
// any other text gives itself.
QString ComputerName(const QString& nodeText);
QByteArray ComputerName(const QByteArray& nodeText);
