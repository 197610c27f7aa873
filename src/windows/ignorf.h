#pragma once

#include "windows/secondary_form.h"

class TIgnorF : public TSecondaryForm {
    Q_OBJECT
public:
    TIgnorF();
    void FormCreate();
};

inline TIgnorF* IgnorF = nullptr;
