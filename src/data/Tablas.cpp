#include "data/Tablas.h"

#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/SentenciasTablas.h"

namespace tamaris {

// ---------------------------------------------------------------------------------------------
// Table lookups and schema helpers

namespace {

constexpr int kBotonesAviso = mb::kAbortarReintentarIgnorar | mb::kCritico;  // 18
constexpr std::string_view kTituloAviso = "Aviso al Operador";

enum class ClaseTipo { Texto, Fecha, Numero, Crudo };

// The type code is compared as text: 8 text, 7 date, 3/5/4 numbers, anything else raw.
ClaseTipo ClaseDe(const Variant& tipo, const Regional& r) {
    const std::string t = Trim(tipo.Texto(r));
    if (t == "8") return ClaseTipo::Texto;
    if (t == "7") return ClaseTipo::Fecha;
    if (t == "3" || t == "5" || t == "4") return ClaseTipo::Numero;
    return ClaseTipo::Crudo;
}

// A typed value between single quotes: a quote inside would end the literal.
std::string Literal(std::string_view valor) { return ReemplazaExacto(valor, "'", "''"); }

// A number written into SQL: read with the workstation's settings, written with "." as decimal
// mark (the regional comma would split the value in two).
std::string NumeroSql(std::string_view valor, const Regional& r) {
    double v = 0;
    if (!LeeNumero(valor, v, r)) v = ValorNumerico(valor);
    return Trim(NumeroATexto(v, Regional::PuntoDecimal()));
}

// Numeric value of a column as the lookups return it: null and non-numeric text give 0.
Variant Numerico(const Variant& v) { return Variant(v.Doble()); }

// Value of a column of the current row, null read as empty.
Variant ValorCampo(Recordset& rs, std::string_view campo) {
    const Variant& v = rs.Fields(campo).Value();
    return v.EsNulo() ? Variant() : v;
}

// Opens `sentencia` and tells whether it reads a row. Without `lrcs` a private recordset is
// opened on `texto` (the statement in the platform's own form) and closed; with it, the
// caller's recordset is opened on `sentencia` as given (read-only and forward-only, or with its
// own cursor and lock when `SoloLectura` is false) and left open. Failures are shown with
// abort, retry and ignore; abort answers false.
bool AbreYVerifica(DB_Dll& db, const std::string& sentencia, const std::string& texto,
                   Recordset* lrcs, bool SoloLectura) {
    Conexion& cn = db.gCnn();
    bool existe = false;
    const TrataFallo trata = [&](const ErrorInfo& e) {
        return db.politicaErrores().Tratar(
            {OcultaClaves(e.Descripcion), "", std::string(kTituloAviso), kBotonesAviso}, "");
    };
    if (!lrcs) {
        Recordset rs;
        const bool completo =
            EjecutaPasos({[&] { rs.Open(texto, cn, adOpenForwardOnly, adLockReadOnly, -1); },
                          [&] { existe = rs.State() != adStateClosed && !rs.Eof(); },
                          [&] {
                              if (rs.State() != adStateClosed) rs.Close();
                          }},
                         trata);
        return completo && existe;
    }
    Recordset& rs = *lrcs;
    const bool completo =
        EjecutaPasos({[&] {
                          if (rs.State() != adStateClosed) rs.Close();
                      },
                      [&] {
                          const std::string local = db.DialectoLocal(sentencia);
                          if (SoloLectura)
                              rs.Open(local, cn, adOpenForwardOnly, adLockReadOnly, -1);
                          else
                              rs.Open(local, cn, rs.CursorType, rs.LockType, -1);
                      },
                      [&] { existe = rs.State() != adStateClosed && !rs.Eof(); }},
                     trata);
    return completo && existe;
}

// Opens a one-row aggregate directly on the connection: no synonyms and no Oracle translation,
// only the local file platform's own dialect.
void AbreDirecto(DB_Dll& db, Recordset& rs, const std::string& sentencia) {
    rs.Open(db.DialectoLocal(sentencia), db.gCnn(), adOpenForwardOnly, adLockReadOnly, -1);
}

// The maximum starts again without the codes that begin with a zero, once.
constexpr std::string_view kSinCeros = "substring(ltrim(idarticulo),1,1)<>'0'";

}  // namespace

std::string SentenciaDatosTabla(std::string_view Tabla, std::string_view ValorBuscado,
                                std::string_view Campo, const Variant& Tipodato,
                                std::string_view Condicion, bool UsaTrim, const Regional& r) {
    const std::string P = "SELECT TOP 1 * FROM " + std::string(Tabla);
    const std::string J = Trim(Condicion).empty() ? std::string() : std::string(" AND ");
    const std::string campo(Campo), condicion(Condicion);
    switch (ClaseDe(Tipodato, r)) {
        case ClaseTipo::Texto:
            if (UsaTrim) {
                return P + " with(nolock)  WHERE LTRIM(RTRIM(" + campo + ")) ='" +
                       Literal(Trim(ValorBuscado)) + "' " + J + condicion;
            }
            return P + " with(nolock)  WHERE " + campo + " ='" + Literal(ValorBuscado) + "' " + J +
                   condicion;
        case ClaseTipo::Fecha:
            return P + " with(nolock)  WHERE " + campo + " = #" + Trim(ValorBuscado) + "# " + J +
                   condicion;
        case ClaseTipo::Numero:
            return P + " with(nolock)  WHERE " + campo + " = " + NumeroSql(ValorBuscado, r) + J +
                   condicion;
        case ClaseTipo::Crudo:
            break;
    }
    return P + " with(nolock)  WHERE " + campo + " = " + std::string(ValorBuscado) + J + condicion;
}

std::string SentenciaExisteEnTabla(std::string_view Tabla, std::string_view ValorBuscado,
                                   std::string_view Campo, const Variant& Tipodato,
                                   std::string_view Condicion, const Regional& r) {
    const std::string tabla(Tabla), campo(Campo);
    if (!Trim(Condicion).empty()) {
        return "SELECT TOP 1 * FROM " + tabla + " with(nolock) " +
               (ContieneSinCaso(Condicion, " WHERE ") ? " " : " WHERE ") + std::string(Condicion);
    }
    const std::string prefijo = "SELECT TOP 1 * FROM " + tabla + " with(nolock)  WHERE ";
    switch (ClaseDe(Tipodato, r)) {
        case ClaseTipo::Texto:
            return "SELECT TOP 1  * FROM " + tabla + " with(nolock)  WHERE LTRIM(RTRIM(" + campo +
                   ")) ='" + Literal(Trim(ValorBuscado)) + "'";
        case ClaseTipo::Fecha:
            return prefijo + campo + " = " + Trim(ValorBuscado) + " ";
        case ClaseTipo::Numero:
            return prefijo + campo + " = " + NumeroSql(ValorBuscado, r);
        case ClaseTipo::Crudo:
            break;
    }
    return prefijo + campo + " = " + std::string(ValorBuscado);
}

std::string SentenciaExisteEnTablaST(std::string_view Tabla, std::string_view ValorBuscado,
                                     std::string_view Campo, const Variant& Tipodato,
                                     std::string_view Condicion, const Regional& r) {
    const std::string tabla(Tabla), campo(Campo);
    if (!Trim(Condicion).empty()) {
        return "SELECT * FROM " + tabla + " with(nolock)  " +
               (ContieneSinCaso(Condicion, " WHERE ") ? " " : " WHERE ") + std::string(Condicion);
    }
    const std::string prefijo = "SELECT * FROM " + tabla + " with(nolock)   WHERE ";
    switch (ClaseDe(Tipodato, r)) {
        case ClaseTipo::Texto:
            return prefijo + campo + " ='" + Literal(ValorBuscado) + "'";
        case ClaseTipo::Fecha:
            return prefijo + campo + " = " + Trim(ValorBuscado) + " ";
        case ClaseTipo::Numero:
            return prefijo + campo + " = " + NumeroSql(ValorBuscado, r);
        case ClaseTipo::Crudo:
            break;
    }
    return prefijo + campo + " = " + std::string(ValorBuscado);
}

std::string SentenciaBuscaMaximo(std::string_view QueTabla, std::string_view QueCampo,
                                 std::string_view Condicion) {
    std::string s =
        "SELECT MAX(" + std::string(QueCampo) + ") AS MAYOR FROM " + std::string(QueTabla);
    // " WHERE " alone is not a statement.
    if (!Trim(Condicion).empty()) s += " WHERE " + Trim(Condicion);
    return s;
}

std::string SentenciaBuscaMinimo(std::string_view QueTabla, std::string_view QueCampo,
                                 std::string_view Condicion) {
    std::string s = "SELECT MIN(" + std::string(QueCampo) + ") AS MENOR FROM " +
                    std::string(QueTabla) + "  with(nolock) ";
    if (!Trim(Condicion).empty()) s += " WHERE " + Trim(Condicion);
    return s;
}

std::string SentenciaBuscaUltimoCodigo(std::string_view QueTabla, std::string_view QueCampo,
                                       std::string_view Condicion) {
    std::string s =
        "SELECT MAX(" + std::string(QueCampo) + ") AS MAYOR FROM " + std::string(QueTabla);
    if (!Trim(Condicion).empty()) s += " WHERE " + std::string(Condicion);
    return s;
}

std::string SentenciaAddField(std::string_view Tabla, std::string_view Campo, std::string_view Tipo,
                              bool PermiteNulos, const std::optional<std::string>& ValorDefault) {
    std::string s = "ALTER TABLE dbo." + std::string(Tabla) + " ADD " + std::string(Campo) + " " +
                    std::string(Tipo) + (PermiteNulos ? " Null " : " Not Null ");
    if (ValorDefault) {
        s += " CONSTRAINT DF_" + Trim(Tabla) + "_" + Trim(Campo) + " DEFAULT (" + *ValorDefault +
             ")";
    }
    return s;
}

Variant Tablas::BuscaMaximo(std::string_view QueTabla, std::string_view QueCampo,
                            const Variant& Tipo, std::string* Condicion) {
    std::string propia;
    std::string& condicion = Condicion ? *Condicion : propia;
    bool sinCeros = false;
    for (;;) {
        Recordset rs;
        AbreDirecto(db_, rs, SentenciaBuscaMaximo(QueTabla, QueCampo, condicion));
        if (rs.Eof()) return {};
        const Variant mayor = ValorCampo(rs, "MAYOR");
        rs.Close();
        if (!sinCeros && IgualSinCaso(Trim(QueTabla), "V_MA_ARTICULOS") &&
            Trim(mayor.Texto(db_.regional)).starts_with('0')) {
            // Only once: a code that the SQL exclusion does not catch would otherwise loop.
            sinCeros = true;
            condicion = Trim(condicion).empty() ? " " + std::string(kSinCeros)
                                                : condicion + " and " + std::string(kSinCeros);
            continue;
        }
        if (ClaseDe(Tipo, db_.regional) == ClaseTipo::Fecha) return mayor;
        return Numerico(mayor);
    }
}

Variant Tablas::BuscaMinimo(std::string_view QueTabla, std::string_view QueCampo,
                            const Variant& /*Tipo*/, std::string_view Condicion) {
    Recordset rs;
    AbreDirecto(db_, rs, SentenciaBuscaMinimo(QueTabla, QueCampo, Condicion));
    if (rs.Eof()) return {};
    return Numerico(ValorCampo(rs, "MENOR"));
}

Variant Tablas::BuscaUltimoCodigo(std::string_view QueTabla, std::string_view QueCampo,
                                  const Variant& /*Tipo*/, std::string_view Condicion) {
    Recordset rs;
    AbreDirecto(db_, rs, SentenciaBuscaUltimoCodigo(QueTabla, QueCampo, Condicion));
    if (rs.Eof()) return {};
    return Numerico(ValorCampo(rs, "MAYOR"));
}

bool Tablas::ExisteEnTablaST(std::string_view Tabla, std::string_view ValorBuscado,
                             std::string_view Campo, Recordset* lrcs, const Variant& Tipodato,
                             std::string_view Condicion, bool SoloLectura) {
    const std::string sentencia =
        SentenciaExisteEnTablaST(Tabla, ValorBuscado, Campo, Tipodato, Condicion, db_.regional);
    return AbreYVerifica(db_, sentencia, db_.DialectoLocal(sentencia), lrcs, SoloLectura);
}

bool Tablas::ExisteEnTabla(std::string_view Tabla, std::string_view ValorBuscado,
                           std::string_view Campo, Recordset* lrcs, const Variant& Tipodato,
                           std::string_view Condicion, bool SoloLectura) {
    const std::string sentencia = db_.SS_TSinonimos(
        SentenciaExisteEnTabla(Tabla, ValorBuscado, Campo, Tipodato, Condicion, db_.regional));
    const std::string texto = db_.DialectoLocal(db_.ORACLE_Dicc(sentencia));
    return AbreYVerifica(db_, sentencia, texto, lrcs, SoloLectura);
}

std::string Tablas::DatosTabla(std::string_view Tabla, std::string_view ValorBuscado,
                               std::string_view CampoDevuelto, std::string_view Campo,
                               const Variant& Tipodato, std::string_view Condicion, bool UsaTrim,
                               bool IgnoraError) {
    std::string sentencia =
        SentenciaDatosTabla(Tabla, ValorBuscado, Campo, Tipodato, Condicion, UsaTrim, db_.regional);

    std::string resultado;
    Recordset rs;
    const TrataFallo trata = [&](const ErrorInfo& e) {
        if (IgnoraError) return 0;
        return db_.politicaErrores().Tratar(
            {OcultaClaves(e.Descripcion), "", std::string(kTituloAviso), kBotonesAviso}, "");
    };
    EjecutaPasos({[&] {
                      db_.AbrirRecordset(sentencia, rs, nullptr, adOpenForwardOnly, adLockReadOnly,
                                         -1, true);
                  },
                  [&] {
                      if (!db_.gOpenFlag || rs.State() == adStateClosed) return;
                      if (!rs.Eof()) resultado = ValorCampo(rs, CampoDevuelto).Texto(db_.regional);
                  },
                  [&] { db_.CierraRecordset(rs); }},
                 trata);
    return resultado;
}

bool Tablas::ExisteTablaDB(std::string_view Tabla) {
    bool existe = false;
    const std::string buscada = Trim(Tabla);
    const bool completo = EjecutaPaso(
        [&] {
            Recordset rs;
            rs.OpenCursor(db_.gCnn().OpenSchema(adSchemaTables), &db_.gCnn());
            for (; !rs.Eof(); rs.MoveNext()) {
                if (IgualSinCaso(Trim(ValorCampo(rs, "TABLE_NAME").Texto(db_.regional)), buscada)) {
                    existe = true;
                    break;
                }
            }
        },
        [&](const ErrorInfo& e) {
            return db_.TratamientoErrores(e, std::nullopt, std::string("VerificaCampos"));
        });
    return completo && existe;
}

bool Tablas::ExisteCampoDB(std::string_view Tabla, std::string_view Campo) {
    if (ContieneSinCaso(db_.compartido().gProveedor, "ORACLE")) return true;
    bool existe = false;
    const std::string buscado = Trim(Campo);
    const bool completo = EjecutaPaso(
        [&] {
            Recordset rs;
            rs.OpenCursor(db_.gCnn().OpenSchema(adSchemaColumns, db_.gDBName, "", Tabla),
                          &db_.gCnn());
            for (; !rs.Eof(); rs.MoveNext()) {
                if (IgualSinCaso(Trim(ValorCampo(rs, "COLUMN_NAME").Texto(db_.regional)),
                                 buscado)) {
                    existe = true;
                    break;
                }
            }
        },
        [&](const ErrorInfo& e) {
            return db_.TratamientoErrores(e, std::nullopt, std::string("VerificaCampos"));
        });
    return completo && existe;
}

void Tablas::AddField(std::string_view Tabla, std::string_view Campo, std::string_view Tipo,
                      bool PermiteNulos, std::optional<std::string> ValorDefault) {
    const std::string sentencia = SentenciaAddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    EjecutaPaso(
        [&] {
            // The statement is rewritten in place; a retry starts again from the one built.
            std::string texto = sentencia;
            long registros = 0;
            db_.EjecutaConsultaSQL(texto, registros);
        },
        [&](const ErrorInfo& e) {
            return db_.TratamientoErrores(e, std::nullopt, std::string("errAddField"));
        });
}

bool Tablas::VerCampoDB(std::string_view Tabla, std::string_view Campo, bool Agregar,
                        std::string_view Tipo, bool PermiteNulos,
                        std::optional<std::string> ValorDefault) {
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar)
        AddField(Tabla, Campo, Tipo, PermiteNulos, std::move(ValorDefault));
    return true;
}

}  // namespace tamaris
