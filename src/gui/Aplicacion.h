#pragma once
// What the desktop program does with its command line: start-up, then the form it opens.

#include <QApplication>
#include <string>
#include <vector>

namespace tamaris::gui {

struct ArgumentosPrograma {
    std::string db;           // --db FILE
    bool citi = false;        // --citi
    std::string parametros;   // the rest, as the suite's parameter line
    std::string error;        // a usage error
};

ArgumentosPrograma LeeArgumentos(const std::vector<std::string>& args);

// Runs the program; returns its exit code.
int EjecutaAplicacion(QApplication& app, int argc, char** argv);

}  // namespace tamaris::gui
