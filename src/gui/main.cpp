// The desktop program. The suite starts it with its parameter line on the command line;
// "--db FILE" opens a SQLite database directly.
//
//   percepciones [--db ARCHIVO.db] [LINEA DE PARAMETROS]

#include <QApplication>
#include <cstring>
#include <string>
#include <vector>

#include "app/Inicio.h"
#include "app/Sistema.h"
#include "export_perceptions/Form1.h"
#include "gui/Aplicacion.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("percepciones");
    return tamaris::gui::EjecutaAplicacion(app, argc, argv);
}
