#pragma once

#include "messaging/line_list.h"
#include "windows/secondary_form.h"

class QListWidget;
class QPushButton;
class QTreeWidget;
class QWidget;

class TIgnorF : public TSecondaryForm {
    Q_OBJECT
public:
    TIgnorF();
    void FormCreate();
    void FormShow() override;

    QWidget* sPanel3; // everything above the bottom buttons
    QWidget* sPanel1; // the computers of the local network
    QWidget* sPanel2; // the ignore list
    // The computers of the local network, filled by a walk each time the window is shown.
    QTreeWidget* TreeView1;
    QPushButton* refreshb;
    // Copies the selected computer into the list.
    QPushButton* sButton1;
    // The ignore list in force: its items are the entries, in order.
    QListWidget* IgnorList;

    void refreshbClick();
    void TreeView1Click();
    void sButton1Click();
    void TreeView1DblClick();

    // Whether an entry equals the name, case ignored.
    bool Contains(QByteArrayView name) const;
    // Appends the name unless Contains(name); tells whether it did.
    bool AddIfAbsent(const QByteArray& name);
    // Removes every selected entry.
    void DeleteSelected();
    // Replaces the list with ignorlist.ini's entries when that file exists.
    void LoadIfExists();
    // Writes the list to ignorlist.ini.
    void Save();

    LineList entries() const;
    void setEntries(const LineList& entries);
};

inline TIgnorF* IgnorF = nullptr;
