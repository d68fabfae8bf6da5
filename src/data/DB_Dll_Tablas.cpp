#include "data/DB_Dll.h"

#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"

namespace tamaris {

// ---------------------------------------------------------------------------------------------
// Table lookups and schema helpers

bool DB_Dll::ExisteTablaDB(std::string_view Tabla) {
    bool existe = false;
    const std::string buscada = Trim(Tabla);
    const bool completo = EjecutaPaso(
        [&] {
            Recordset rs;
            rs.OpenCursor(cnn_.OpenSchema(adSchemaTables), &cnn_);
            const int col = rs.IndiceCampo("TABLE_NAME");
            for (; !rs.Eof(); rs.MoveNext()) {
                if (IgualSinCaso(Trim(rs.Valor(col).Texto(regional)), buscada)) {
                    existe = true;
                    break;
                }
            }
        },
        [&](const ErrorInfo& e) {
            return TratamientoErrores(e, std::nullopt, std::string("VerificaCampos"));
        });
    return completo && existe;
}

std::string DB_Dll::DatosTabla(std::string_view Tabla, std::string_view ValorBuscado,
                               std::string_view CampoDevuelto, std::string_view Campo,
                               const Variant& Tipodato, std::string_view Condicion, bool UsaTrim,
                               bool IgnoraError) {
    const std::string P = "SELECT TOP 1 * FROM " + std::string(Tabla);
    const std::string J = Trim(Condicion).empty() ? std::string() : std::string(" AND ");
    const std::string tipo = Trim(Tipodato.Texto(regional));
    std::string sentencia;
    if (tipo == "8") {
        if (UsaTrim) {
            sentencia = P + " with(nolock)  WHERE LTRIM(RTRIM(" + std::string(Campo) + ")) ='" +
                        ReemplazaExacto(Trim(ValorBuscado), "'", "''") + "' " + J +
                        std::string(Condicion);
        } else {
            sentencia = P + " with(nolock)  WHERE " + std::string(Campo) + " ='" +
                        ReemplazaExacto(ValorBuscado, "'", "''") + "' " + J +
                        std::string(Condicion);
        }
    } else if (tipo == "7") {
        sentencia = P + " with(nolock)  WHERE " + std::string(Campo) + " = #" +
                    Trim(ValorBuscado) + "# " + J + std::string(Condicion);
    } else if (tipo == "3" || tipo == "5" || tipo == "4") {
        sentencia = P + " with(nolock)  WHERE " + std::string(Campo) + " = " +
                    Trim(NumeroATexto(ValorNumerico(ValorBuscado), Regional::PuntoDecimal())) + J +
                    std::string(Condicion);
    } else {
        sentencia = P + " with(nolock)  WHERE " + std::string(Campo) + " = " +
                    std::string(ValorBuscado) + J + std::string(Condicion);
    }

    std::string resultado;
    Recordset rs;
    const TrataFallo trata = [&](const ErrorInfo& e) {
        if (IgnoraError) return 0;
        return ui_.mensajes.Mostrar(e.Descripcion, mb::kAbortarReintentarIgnorar | mb::kCritico,
                                    "Aviso al Operador");
    };
    EjecutaPasos({[&] {
                      AbrirRecordset(sentencia, rs, nullptr, adOpenForwardOnly, adLockReadOnly,
                                     -1, true);
                  },
                  [&] {
                      if (!gOpenFlag || rs.State() == adStateClosed) return;
                      if (!rs.Eof()) resultado = rs.Fields(CampoDevuelto).Value().Texto(regional);
                  },
                  [&] { CierraRecordset(rs); }},
                 trata);
    return resultado;
}

}  // namespace tamaris
