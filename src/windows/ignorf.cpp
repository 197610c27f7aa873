#include "windows/ignorf.h"

#include "messaging/ignore_list.h"
#include "platform/cp1251.h"
#include "platform/guard.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

TIgnorF::TIgnorF()
    : TSecondaryForm(QStringLiteral("Игнор-лист"), WindowSizing::Fixed, QSize(414, 338)) {
    auto* layout = new QHBoxLayout(this);
    sPanel2 = new QWidget(this);
    auto* right = new QVBoxLayout(sPanel2);
    right->setContentsMargins(0, 0, 0, 0);
    IgnorList = new QListWidget(sPanel2);
    IgnorList->setObjectName(QStringLiteral("IgnorList"));
    IgnorList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    IgnorList->setSortingEnabled(false);
    IgnorList->setToolTip(QStringLiteral("Игнор-лист"));
    right->addWidget(IgnorList);
    layout->addWidget(sPanel2);
    guarded([this] { FormCreate(); });
}

void TIgnorF::FormCreate() {
    setSystemMenuCaptions();
    LoadIfExists();
}

bool TIgnorF::Contains(QByteArrayView name) const {
    for (int i = 0; i < IgnorList->count(); ++i)
        if (sameSenderName(toCp1251(IgnorList->item(i)->text()), name))
            return true;
    return false;
}

bool TIgnorF::AddIfAbsent(const QByteArray& name) {
    if (Contains(name))
        return false;
    IgnorList->addItem(fromCp1251(name));
    return true;
}

void TIgnorF::DeleteSelected() {
    // Backwards, so the rows still to be looked at keep their numbers.
    for (int i = IgnorList->count() - 1; i >= 0; --i)
        if (IgnorList->item(i)->isSelected())
            delete IgnorList->takeItem(i);
}

void TIgnorF::LoadIfExists() {
    if (lineListExists(kIgnoreListFile))
        setEntries(readLineList(kIgnoreListFile));
}

void TIgnorF::Save() {
    writeLineList(kIgnoreListFile, entries());
}

LineList TIgnorF::entries() const {
    LineList out;
    out.reserve(IgnorList->count());
    for (int i = 0; i < IgnorList->count(); ++i)
        out.append(toCp1251(IgnorList->item(i)->text()));
    return out;
}

void TIgnorF::setEntries(const LineList& list) {
    IgnorList->clear();
    for (const QByteArray& entry : list)
        IgnorList->addItem(fromCp1251(entry));
}
