#pragma once

#include "windows/secondary_form.h"

class TAboutF : public TSecondaryForm {
    Q_OBJECT
public:
    TAboutF();
    void FormCreate();
};

inline TAboutF* AboutF = nullptr;
