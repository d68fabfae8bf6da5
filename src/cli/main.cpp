#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "components/Plataforma.h"
#include "components/Temporales.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // An interrupted job leaves neither half-written temporaries nor a changed destination.
    tamaris::InstalaLimpiezaTemporales();
    tamaris::plataforma::PreparaConsola();
    const std::vector<std::string> args = tamaris::plataforma::ArgumentosPrograma(argc, argv);
    tamaris::cli::Salidas s{std::cout, std::cerr};
    const int codigo = tamaris::cli::EjecutaCli(args, s);
    std::cout.flush();
    return codigo;
}
