#include "app/Formatos.h"

#include <ctime>

#include "components/Numero.h"

namespace tamaris {

std::string FormatoFechaHora() { return "dd/mm/yy hh:mm"; }
std::string FormatoFecha() { return "dd/mm/yy"; }
std::string FormatoHora() { return "hh:mm"; }

Fecha Ahora() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Fecha{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FechaConFormato(const Fecha& fecha, const std::string& formato) {
    return FormatoValor(Variant(fecha), formato);
}

}  // namespace tamaris
