#pragma once
// The table lookups and schema helpers of a data-access session: the maximum, minimum and last
// code of a column, whether a row, a table or a column exists, a column's value for a key, and
// adding a missing column. They work over the session they are given (its connection, dialect,
// synonyms and error treatment) and keep nothing of their own; the session's members of the
// same names forward here.

#include <optional>
#include <string>
#include <string_view>

#include "components/Variant.h"

namespace tamaris {

class DB_Dll;
class Recordset;

class Tablas {
  public:
    explicit Tablas(DB_Dll& sesion) : db_(sesion) {}

    // Maximum of a column (empty Variant when no row was read); `Condicion` may be rewritten.
    Variant BuscaMaximo(std::string_view QueTabla, std::string_view QueCampo,
                        const Variant& Tipo = {}, std::string* Condicion = nullptr);
    Variant BuscaMinimo(std::string_view QueTabla, std::string_view QueCampo,
                        const Variant& Tipo = {}, std::string_view Condicion = {});
    Variant BuscaUltimoCodigo(std::string_view QueTabla, std::string_view QueCampo,
                              const Variant& Tipo, std::string_view Condicion);
    bool ExisteEnTablaST(std::string_view Tabla, std::string_view ValorBuscado,
                         std::string_view Campo, Recordset* lrcs = nullptr,
                         const Variant& Tipodato = Variant(8), std::string_view Condicion = {},
                         bool SoloLectura = true);
    bool ExisteEnTabla(std::string_view Tabla, std::string_view ValorBuscado,
                       std::string_view Campo, Recordset* lrcs = nullptr,
                       const Variant& Tipodato = Variant(8), std::string_view Condicion = {},
                       bool SoloLectura = true);
    std::string DatosTabla(std::string_view Tabla, std::string_view ValorBuscado,
                           std::string_view CampoDevuelto, std::string_view Campo,
                           const Variant& Tipodato, std::string_view Condicion, bool UsaTrim,
                           bool IgnoraError);
    bool ExisteTablaDB(std::string_view Tabla);
    bool ExisteCampoDB(std::string_view Tabla, std::string_view Campo);
    void AddField(std::string_view Tabla, std::string_view Campo, std::string_view Tipo,
                  bool PermiteNulos, std::optional<std::string> ValorDefault = std::nullopt);
    bool VerCampoDB(std::string_view Tabla, std::string_view Campo, bool Agregar,
                    std::string_view Tipo, bool PermiteNulos,
                    std::optional<std::string> ValorDefault = std::nullopt);

  private:
    DB_Dll& db_;
};

}  // namespace tamaris
