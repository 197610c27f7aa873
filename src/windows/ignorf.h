#pragma once

#include "messaging/line_list.h"
#include "windows/secondary_form.h"

class QListWidget;
class QWidget;

class TIgnorF : public TSecondaryForm {
    Q_OBJECT
public:
    TIgnorF();
    void FormCreate();

    QWidget* sPanel2;
    // The ignore list in force: its items are the entries, in order.
    QListWidget* IgnorList;

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
