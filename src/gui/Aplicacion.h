#pragma once
// What the desktop program does with its command line: start-up, then the form it opens.
//
//   percepciones [--citi | --arba] [--db ARCHIVO.db] [LINEA DE PARAMETROS]
//
// "--db FILE" opens a SQLite database directly; "--citi" opens the CITI Ventas form instead
// of the perception form. Every other argument belongs to the suite's parameter line.

#include <QApplication>
#include <string>
#include <vector>

#include "app/Inicio.h"

namespace tamaris {
class AccesoDialogo;
}

namespace tamaris::gui {

// What `percepciones --help` prints.
extern const char* const kUsoPrograma;

struct ArgumentosPrograma {
    std::string db;                  // --db FILE
    std::string conexion;            // --conexion STRING (an ODBC or provider string)
    bool citi = false;               // --citi
    bool arba = false;               // --arba: the ARBA perception form
    bool libroIva = false;           // --libro-iva: the Libro de IVA Digital sales form
    std::vector<std::string> resto;  // the other arguments, in order
    std::string error;               // a usage error
};

// `args` are the arguments after the program's name.
ArgumentosPrograma LeeArgumentos(const std::vector<std::string>& args);

// The start-up of the desktop program on `sis`: the parameter line made of the arguments that
// are not options, the access dialog that asks for the connection data when the server or the
// user is missing, and InicioSistema (directly on the file of --db when there is one).
ResultadoInicio IniciaPrograma(Sistema& sis, const ArgumentosPrograma& args,
                               const std::string& programa, AccesoDialogo& acceso);

// Puts Qt's own texts in Spanish (calendars, standard buttons, file and folder dialogs) with
// Qt's Spanish catalog (qtbase_es or qt_es) from Qt's translations folder or from "translations"
// beside the program, and makes es_AR the default locale for numbers, dates and month names.
// Returns whether the catalog was found; without it the program runs with Qt's texts in English.
// Calling it again changes nothing.
bool InstalaIdiomaEspanol(QApplication& app);

// Runs the program; returns its exit code.
int EjecutaAplicacion(QApplication& app, int argc, char** argv);

}  // namespace tamaris::gui
