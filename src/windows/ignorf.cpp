#include "windows/ignorf.h"

#include "messaging/ignore_list.h"
#include "neighbourhood/computer_list.h"
#include "platform/cp1251.h"
#include "platform/guard.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kTreeWidth = 170;
constexpr int kButtonHeight = 23;
} // namespace

TIgnorF::TIgnorF()
    : TSecondaryForm(QStringLiteral("Игнор-лист"), WindowSizing::Fixed, QSize(414, 338)) {
    auto* layout = new QVBoxLayout(this);
    sPanel3 = new QWidget(this);
    auto* panels = new QHBoxLayout(sPanel3);
    panels->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sPanel3, 1);

    sPanel1 = new QWidget(sPanel3);
    sPanel1->setFixedWidth(kTreeWidth);
    auto* left = new QVBoxLayout(sPanel1);
    left->setContentsMargins(0, 0, 0, 0);
    TreeView1 = new QTreeWidget(sPanel1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setToolTip(QStringLiteral("Список компьютеров локальной сети"));
    refreshb = new QPushButton(QStringLiteral("Обновить"), sPanel1);
    refreshb->setObjectName(QStringLiteral("refreshb"));
    refreshb->setToolTip(QStringLiteral("Обновить список компьютеров"));
    refreshb->setFixedHeight(kButtonHeight);
    left->addWidget(TreeView1, 1);
    left->addWidget(refreshb);
    panels->addWidget(sPanel1);

    sButton1 = new QPushButton(QStringLiteral(">>"), sPanel3);
    sButton1->setObjectName(QStringLiteral("sButton1"));
    sButton1->setToolTip(QStringLiteral("Копировать"));
    sButton1->setFixedSize(40, kButtonHeight);
    sButton1->setEnabled(false);
    panels->addWidget(sButton1);

    sPanel2 = new QWidget(sPanel3);
    auto* right = new QVBoxLayout(sPanel2);
    right->setContentsMargins(0, 0, 0, 0);
    IgnorList = new QListWidget(sPanel2);
    IgnorList->setObjectName(QStringLiteral("IgnorList"));
    IgnorList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    IgnorList->setSortingEnabled(false);
    IgnorList->setToolTip(QStringLiteral("Игнор-лист"));
    right->addWidget(IgnorList);
    panels->addWidget(sPanel2, 1);

    connect(refreshb, &QPushButton::clicked, this,
            [this] { guarded([this] { refreshbClick(); }); });
    connect(TreeView1, &QTreeWidget::itemClicked, this,
            [this] { guarded([this] { TreeView1Click(); }); });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this,
            [this] { guarded([this] { TreeView1DblClick(); }); });
    connect(sButton1, &QPushButton::clicked, this,
            [this] { guarded([this] { sButton1Click(); }); });
    guarded([this] { FormCreate(); });
}

void TIgnorF::FormCreate() {
    setSystemMenuCaptions();
    LoadIfExists();
}

void TIgnorF::FormShow() {
    startNetEnum(NetEnumTarget{TreeView1, refreshb});
}

void TIgnorF::refreshbClick() {
    startNetEnum(NetEnumTarget{TreeView1, refreshb});
}

void TIgnorF::TreeView1Click() {
    if (!TreeView1->selectedItems().isEmpty())
        sButton1->setEnabled(true);
}

void TIgnorF::sButton1Click() {
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    // Only a computer is added, not a workgroup that holds computers.
    if (selected.isEmpty() || selected.first()->childCount() > 0)
        return;
    AddIfAbsent(ComputerName(toCp1251(selected.first()->text(0))));
}

void TIgnorF::TreeView1DblClick() {
    sButton1Click();
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
