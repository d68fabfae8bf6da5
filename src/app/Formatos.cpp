#include "app/Formatos.h"

#include <ctime>

#include "components/Numero.h"
#include "components/Plataforma.h"

namespace tamaris {

std::string FormatoFechaHora() { return "dd/mm/yy hh:mm"; }
std::string FormatoFecha() { return "dd/mm/yy"; }
std::string FormatoHora() { return "hh:mm"; }

Fecha Ahora() {
    const std::tm tm = plataforma::HoraLocal(std::time(nullptr));
    return Fecha{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FechaConFormato(const Fecha& fecha, const std::string& formato) {
    return FormatoValor(Variant(fecha), formato);
}

}  // namespace tamaris
