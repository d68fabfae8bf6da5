// The desktop program. The suite starts it with its parameter line on the command line;
// "--db FILE" opens a SQLite database directly, "--conexion STRING" any database by its
// connection string (an ODBC string for PostgreSQL), "--citi" opens the CITI Ventas form, "--arba"
// the ARBA perception form and "--libro-iva" the Libro de IVA Digital sales form.
//
//   percepciones [--citi | --arba | --libro-iva] [--db ARCHIVO.db | --conexion CADENA] [LINEA DE
//   PARAMETROS]

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "components/Temporales.h"
#include "gui/Aplicacion.h"

int main(int argc, char** argv) {
    // Asked for the usage, the program answers without a display: before Qt looks for one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(tamaris::gui::kUsoPrograma, stdout);
            return 0;
        }
    }
    // Ended by SIGTERM, SIGINT or SIGHUP, the program leaves no temporary behind and the older
    // file as it was.
    tamaris::InstalaLimpiezaTemporales();
    QApplication app(argc, argv);
    QApplication::setApplicationName("percepciones");
    tamaris::gui::InstalaIdiomaEspanol(app);
    return tamaris::gui::EjecutaAplicacion(app, argc, argv);
}
