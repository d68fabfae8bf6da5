// The desktop program. The suite starts it with its parameter line on the command line;
// "--db FILE" opens a SQLite database directly, "--conexion STRING" any database by its
// connection string (an ODBC string for PostgreSQL), "--citi" opens the CITI Ventas form, "--arba"
// the ARBA perception form and "--libro-iva" the Libro de IVA Digital sales form.
//
//   percepciones [--citi | --arba | --libro-iva] [--db ARCHIVO.db | --conexion CADENA] [LINEA DE PARAMETROS]

#include <QApplication>

#include "gui/Aplicacion.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("percepciones");
    tamaris::gui::InstalaIdiomaEspanol(app);
    return tamaris::gui::EjecutaAplicacion(app, argc, argv);
}
