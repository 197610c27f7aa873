#pragma once

#include "windows/secondary_form.h"

class TMsgf : public TSecondaryForm {
    Q_OBJECT
public:
    TMsgf();
    void FormCreate();
};

inline TMsgf* Msgf = nullptr;
