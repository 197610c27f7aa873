#pragma once

#include "windows/secondary_form.h"

class TArchiveF : public TSecondaryForm {
    Q_OBJECT
public:
    TArchiveF();
    void FormCreate();
};

inline TArchiveF* ArchiveF = nullptr;
