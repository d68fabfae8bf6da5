#pragma once
// The statements of the data-access object's table lookups and schema helpers, as they are
// built from the arguments, before synonyms, Oracle translation or the local dialect.

#include <optional>
#include <string>
#include <string_view>

#include "components/Regional.h"
#include "components/Variant.h"

namespace tamaris {

// Type codes (compared as text): 8 text, 7 date, 3/5/4 numbers, anything else raw. Texts go
// between single quotes with any quote inside doubled; numbers are read with `r` and written
// with "." as decimal mark.
std::string SentenciaDatosTabla(std::string_view Tabla, std::string_view ValorBuscado,
                                std::string_view Campo, const Variant& Tipodato,
                                std::string_view Condicion, bool UsaTrim, const Regional& r);
std::string SentenciaExisteEnTabla(std::string_view Tabla, std::string_view ValorBuscado,
                                   std::string_view Campo, const Variant& Tipodato,
                                   std::string_view Condicion, const Regional& r);
std::string SentenciaExisteEnTablaST(std::string_view Tabla, std::string_view ValorBuscado,
                                     std::string_view Campo, const Variant& Tipodato,
                                     std::string_view Condicion, const Regional& r);

// The aggregates; a blank condition adds no WHERE.
std::string SentenciaBuscaMaximo(std::string_view QueTabla, std::string_view QueCampo,
                                 std::string_view Condicion);
std::string SentenciaBuscaMinimo(std::string_view QueTabla, std::string_view QueCampo,
                                 std::string_view Condicion);
std::string SentenciaBuscaUltimoCodigo(std::string_view QueTabla, std::string_view QueCampo,
                                       std::string_view Condicion);

std::string SentenciaAddField(std::string_view Tabla, std::string_view Campo, std::string_view Tipo,
                              bool PermiteNulos, const std::optional<std::string>& ValorDefault);

}  // namespace tamaris
