#pragma once
// The program-wide state of one run: the UI ports, the shared and statistics connection
// objects, the lookup service and the globals that start-up fills. One instance lives as long as
// the program; the global module's routines take it as their first argument.

#include <string>

#include "components/Estacion.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "lookup/Lib_ClsCons3.h"

namespace tamaris {

struct Sistema {
    explicit Sistema(Ui& puertos) : ui(puertos), db(puertos), estadisticas(puertos, &db) {}
    Sistema(const Sistema&) = delete;
    Sistema& operator=(const Sistema&) = delete;

    Ui& ui;
    DB_Dll db;            // the shared connection object
    DB_Dll estadisticas;  // the statistics connection
    Lib_ClsCons3 consultas;  // the lookup service
    Configuracion settings;  // receives the application folder

    // Globals of the start-up.
    std::string UsuarioLogeado;
    std::string Caja = "1";
    double FlatToolbars = 1;
    int TimeOut = 360;
    std::string CantidadDecimales;
    std::string Confidencialidad;
    std::string TablaConfiguracion = "TA_CONFIGURACION";
    std::string CarpetaAplicacion;  // the program's data folder, ending in '/'
    std::string ArchivoAyuda;

    // Whether the operator may be asked for connection data (false on the command line, where
    // a missing server or user makes the start-up fail instead).
    bool interactivo = true;
};

}  // namespace tamaris
