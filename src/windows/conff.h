#pragma once

#include "windows/secondary_form.h"

class TConfF : public TSecondaryForm {
    Q_OBJECT
public:
    TConfF();
    void FormCreate();
};

inline TConfF* ConfF = nullptr;
