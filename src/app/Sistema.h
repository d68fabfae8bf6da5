#pragma once
// The program-wide state of one run: the UI ports, the shared and statistics connection
// objects, the lookup service and the globals that start-up fills. One instance lives as long as
// the program; the global module's routines take it as their first argument.

#include <string>

#include "components/Estacion.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "data/ModuloDatos.h"
#include "lookup/Lib_ClsCons3.h"

namespace tamaris {

// The items of the start-up parameter line, as the last reading left them.
struct ParametrosInicio {
    std::string Server;
    std::string DbName;
    std::string Usuario;
    std::string Password;
    std::string UsuarioLogeado;
    std::string Caja;
    bool operator==(const ParametrosInicio&) const = default;
};

// The UI ports (ui) and the shared connection object (db) come from ModuloDatos.
struct Sistema : ModuloDatos {
    explicit Sistema(Ui& puertos) : ModuloDatos(puertos), estadisticas(puertos, &db) {}
    Sistema(const Sistema&) = delete;
    Sistema& operator=(const Sistema&) = delete;

    DB_Dll estadisticas;     // the statistics connection
    Lib_ClsCons3 consultas;  // the lookup service
    Configuracion settings;  // receives the application folder

    // Globals of the start-up.
    std::string UsuarioLogeado;
    std::string Caja = "1";
    double FlatToolbars = 1;
    int TimeOut = 360;
    std::string CantidadDecimales;
    // The "SS_CONFIDENCIALIDAD" value as read, trimmed; db.Confidencialidad holds whether it
    // is "SI".
    std::string Confidencialidad;
    std::string TablaConfiguracion = "TA_CONFIGURACION";
    std::string CarpetaAplicacion;  // the program's data folder, ending in '/'
    std::string ArchivoAyuda;

    // The process command line as the suite passes it (the arguments after the program name,
    // joined by blanks); the front end fills it. The command-line program leaves it empty: its
    // arguments are options, not the suite's parameter line.
    std::string LineaComandos;
    // What the start-up read from the parameter line; an item without a following ";" keeps
    // the value it had here.
    ParametrosInicio parametros;

    // Whether the operator may be asked for connection data (false on the command line, where
    // a missing server or user makes the start-up fail instead).
    bool interactivo = true;
};

}  // namespace tamaris
