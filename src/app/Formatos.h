#pragma once
// The suite's fixed date and time formats, used by the error log, the access log and the status
// bar, and the workstation's clock read as a date value.

#include <string>

#include "components/Variant.h"

namespace tamaris {

std::string FormatoFechaHora();  // "dd/mm/yy hh:mm"
std::string FormatoFecha();      // "dd/mm/yy"
std::string FormatoHora();       // "hh:mm"

// The current local date and time, to the second.
Fecha Ahora();
// A date and time written in one of the formats above (through the value-formatting
// operation).
std::string FechaConFormato(const Fecha& fecha, const std::string& formato);

}  // namespace tamaris
