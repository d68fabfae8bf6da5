// The data-access object's table lookups, kept as its own members for the forms and modules
// that call them there; the work is Tablas'.

#include "data/DB_Dll.h"
#include "data/Tablas.h"

namespace tamaris {

Variant DB_Dll::BuscaMaximo(std::string_view QueTabla, std::string_view QueCampo,
                            const Variant& Tipo, std::string* Condicion) {
    return Tablas(*this).BuscaMaximo(QueTabla, QueCampo, Tipo, Condicion);
}

Variant DB_Dll::BuscaMinimo(std::string_view QueTabla, std::string_view QueCampo,
                            const Variant& Tipo, std::string_view Condicion) {
    return Tablas(*this).BuscaMinimo(QueTabla, QueCampo, Tipo, Condicion);
}

Variant DB_Dll::BuscaUltimoCodigo(std::string_view QueTabla, std::string_view QueCampo,
                                  const Variant& Tipo, std::string_view Condicion) {
    return Tablas(*this).BuscaUltimoCodigo(QueTabla, QueCampo, Tipo, Condicion);
}

bool DB_Dll::ExisteEnTablaST(std::string_view Tabla, std::string_view ValorBuscado,
                             std::string_view Campo, Recordset* lrcs, const Variant& Tipodato,
                             std::string_view Condicion, bool SoloLectura) {
    return Tablas(*this).ExisteEnTablaST(Tabla, ValorBuscado, Campo, lrcs, Tipodato, Condicion,
                                         SoloLectura);
}

bool DB_Dll::ExisteEnTabla(std::string_view Tabla, std::string_view ValorBuscado,
                           std::string_view Campo, Recordset* lrcs, const Variant& Tipodato,
                           std::string_view Condicion, bool SoloLectura) {
    return Tablas(*this).ExisteEnTabla(Tabla, ValorBuscado, Campo, lrcs, Tipodato, Condicion,
                                       SoloLectura);
}

std::string DB_Dll::DatosTabla(std::string_view Tabla, std::string_view ValorBuscado,
                               std::string_view CampoDevuelto, std::string_view Campo,
                               const Variant& Tipodato, std::string_view Condicion, bool UsaTrim,
                               bool IgnoraError) {
    return Tablas(*this).DatosTabla(Tabla, ValorBuscado, CampoDevuelto, Campo, Tipodato, Condicion,
                                    UsaTrim, IgnoraError);
}

bool DB_Dll::ExisteTablaDB(std::string_view Tabla) { return Tablas(*this).ExisteTablaDB(Tabla); }

bool DB_Dll::ExisteCampoDB(std::string_view Tabla, std::string_view Campo) {
    return Tablas(*this).ExisteCampoDB(Tabla, Campo);
}

void DB_Dll::AddField(std::string_view Tabla, std::string_view Campo, std::string_view Tipo,
                      bool PermiteNulos, std::optional<std::string> ValorDefault) {
    Tablas(*this).AddField(Tabla, Campo, Tipo, PermiteNulos, std::move(ValorDefault));
}

bool DB_Dll::VerCampoDB(std::string_view Tabla, std::string_view Campo, bool Agregar,
                        std::string_view Tipo, bool PermiteNulos,
                        std::optional<std::string> ValorDefault) {
    return Tablas(*this).VerCampoDB(Tabla, Campo, Agregar, Tipo, PermiteNulos,
                                    std::move(ValorDefault));
}

}  // namespace tamaris
