#pragma once
// What the global module's data routines (error treatment, scripts, provisioning) work with:
// the UI ports that show their messages and the shared connection object. The program-wide
// state of the application layer is one of these, so those routines take it as it is while
// the data layer knows nothing of that layer.

#include "components/Ui.h"
#include "data/DB_Dll.h"

namespace tamaris {

struct ModuloDatos {
    explicit ModuloDatos(Ui& puertos) : ui(puertos), db(puertos) {}
    ModuloDatos(const ModuloDatos&) = delete;
    ModuloDatos& operator=(const ModuloDatos&) = delete;

    Ui& ui;
    DB_Dll db;  // the shared connection object
};

}  // namespace tamaris
