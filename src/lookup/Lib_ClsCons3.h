#pragma once
// The lookup service: the single entry point through which a form asks the operator to pick one
// value out of a database table.

#include <string>
#include <vector>

#include "components/Variant.h"

namespace tamaris {

class Lib_ClsCons3 {
public:
    std::vector<Variant> Valores;
    std::vector<Variant> Cantidades;
    bool Checks = false;
    Variant ValorDevuelto;
    std::string gConnString;
    std::string gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;
    std::string CampoDevuelto;
};

}  // namespace tamaris
