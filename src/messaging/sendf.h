#pragma once

#include "windows/secondary_form.h"

class TSendF : public TSecondaryForm {
    Q_OBJECT
public:
    TSendF();
    void FormCreate();
};

inline TSendF* SendF = nullptr;
