#include "data/DB_Dll.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <mutex>
#include <vector>

#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Plataforma.h"
#include "components/Texto.h"
#include "components/TextosSistema.h"
#include "data/AccesoDialogo.h"
#include "data/FallosConexion.h"
#include "data/dialectos/Dialecto.h"

namespace tamaris {

namespace {

constexpr std::string_view kOracleProveedor = "OraOLEDB.Oracle.1";

// Failure of a step: the error as the routine sees it.
ErrorInfo ErrorDe(const std::exception& e) { return InfoDeExcepcion(e); }

// The failure says the connection itself is gone: closed under us, a communication link
// failure, or a server that ended the session (57P01-57P03: terminated by an administrator,
// crash, restart). A refused password or a server without free connections is no such thing:
// connecting again would meet it again.
// Only the records of this failure count: the connection's collection may still hold an
// earlier one's.
bool ConexionPerdida(const std::exception& ex) {
    const ErrorInfo e = ErrorDe(ex);
    if (e.Numero == err::kConexionInvalida) return true;
    const auto* bd = dynamic_cast<const ErrorBD*>(&ex);
    if (e.Numero != err::kFalloGenerico || !bd) return false;
    bool perdida = false;
    for (const ErrorProveedor& r : bd->Registros()) {
        const FalloConexion f = ClasificaFalloConexion(r);
        if (f != FalloConexion::Ninguno && !SeReintenta(f)) return false;
        perdida = perdida || SeReintenta(f);
    }
    return perdida;
}

}  // namespace

namespace {

std::mutex gCandadoClaves;
std::vector<std::string> gClaves;  // longest first, so that a longer one is hidden whole

}  // namespace

void RegistraClave(std::string_view clave) {
    if (clave.size() < 3) return;
    std::lock_guard<std::mutex> g(gCandadoClaves);
    if (std::find(gClaves.begin(), gClaves.end(), clave) != gClaves.end()) return;
    gClaves.emplace_back(clave);
    std::stable_sort(
        gClaves.begin(), gClaves.end(),
        [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

std::string OcultaClaves(std::string_view texto) {
    std::string salida(texto);
    {
        std::lock_guard<std::mutex> g(gCandadoClaves);
        for (const std::string& clave : gClaves) salida = ReemplazaExacto(salida, clave, "****");
    }
    for (std::string_view clave : {"PWD=", "PASSWORD=", "PWD =", "PASSWORD ="}) {
        std::size_t p = 0;
        while ((p = BuscaSinCaso(salida, clave, p)) != std::string::npos) {
            const std::size_t inicio = p + clave.size();
            std::size_t fin = salida.find(';', inicio);
            if (fin == std::string::npos) fin = salida.size();
            if (fin > inicio) salida.replace(inicio, fin - inicio, "****");
            p = inicio;
        }
    }
    return salida;
}

DB_Dll::DB_Dll(Ui& ui, DB_Dll* compartido)
    : ui_(ui), compartido_(compartido), pregunta_(ui.mensajes) {}
DB_Dll::~DB_Dll() = default;

Plataforma DB_Dll::plataforma() const {
    if (cnn_.Abierta()) return cnn_.plataforma();
    // Closed, only a guess for statements built beforehand: the open decides for good.
    return DecidePlataforma("", gConnString).value_or(Plataforma::SqlServer);
}

bool DB_Dll::EsOracle() const { return dialecto().plataforma() == Plataforma::Oracle; }

const Dialecto& DB_Dll::dialecto() const {
    if (cnn_.Abierta()) return cnn_.dialecto();
    // Closed: the platform the connection data point to, for statements built beforehand.
    const Plataforma p = plataforma();
    if (!supuesto_ || supuesto_->plataforma() != p) supuesto_ = CreaDialecto(p);
    return *supuesto_;
}

std::string DB_Dll::DialectoLocal(std::string_view sentencia) const {
    // Whether a value is stored into a date column is the catalogue's to say; it is asked only
    // for a date-shaped text in an INSERT or UPDATE, and reading it changes nothing.
    Conexion& cn = const_cast<Conexion&>(cnn_);
    const auto esFecha = [&cn](std::string_view tabla, std::string_view columna,
                               std::size_t posicion) {
        try {
            std::unique_ptr<Cursor> c = cn.OpenSchema(adSchemaColumns, "", "", tabla);
            std::vector<Variant> fila;
            for (std::size_t n = 0; c->Siguiente(fila); ++n) {
                const bool esta =
                    columna.empty() ? n == posicion : IgualSinCaso(fila[3].Texto(), columna);
                if (!esta) continue;
                const long tipo = static_cast<long>(fila[5].Entero());
                return tipo == 7 || tipo == 133 || tipo == 134 || tipo == 135;
            }
        } catch (const std::exception&) {
        }
        return false;
    };
    return dialecto().Reescribe(sentencia, esFecha);
}

std::string DB_Dll::StripConnect(std::string_view rsTblName) {
    const std::size_t p = BuscaSinCaso(rsTblName, "->");
    if (p == std::string::npos) return std::string(rsTblName);
    // The character just before the arrow goes with it.
    return std::string(rsTblName.substr(0, p == 0 ? 0 : p - 1));
}

// ---------------------------------------------------------------------------------------------
// Connections

void DB_Dll::ArmarConexion() {
    if (ContieneSinCaso(gServidor, "#")) {
        gConnString = "Provider=" + std::string(kOracleProveedor) + ";Data Source=" + gDBName +
                      ";User Id=" + gUsuario + ";Password=" + gUserPassWord + ";";
    } else {
        gConnString = "PROVIDER=" + compartido().pSQLOLEDB() + ";" + "Server=" + gServidor + ";" +
                      "Database =" + gDBName + ";" + "UId=" + gUsuario + ";" +
                      "Pwd=" + gUserPassWord + ";" + gExtended;
    }
}

bool DB_Dll::PedirParametros() {
    if (!dialogoAcceso) {
        gOpenFlag = false;
        return false;
    }
    AccesoDialogo& d = *dialogoAcceso;
    d.BaseDatos = gDBName;
    d.Servidor = gServidor;
    d.Usuario = gUsuario;
    d.Password = gUserPassWord;
    d.Plataforma = 0;
    d.Aceptado = false;
    d.MostrarModal();
    if (d.Aceptado) {
        gOpenFlag = true;
        gDBName = d.BaseDatos;
        gServidor = d.Servidor;
        gUsuario = d.Usuario;
        gUserPassWord = d.Password;
        if (d.Plataforma > 0) {
            gProveedor = std::string(kOracleProveedor);
            if (gServidor.find('#') == std::string::npos) gServidor += "#";
        } else {
            gProveedor = "SQLOLEDB";
        }
    } else {
        gOpenFlag = false;
    }
    return gOpenFlag;
}

void DB_Dll::ValidarAdministrador(bool MuestraError) {
    if (Trim(gDBName).empty()) return;
    cnn_.SetDefaultDatabase(gDBName);
    if (!compartido().ExisteTablaDB("TA_USUARIOS")) return;
    if (MuestraError) {
        const std::string valor = DatosTabla("ta_usuarios", Trim(gUsuario), "Administrador",
                                             "nombre", Variant(8), "", true, false);
        gEsAdmin = ValorNumerico(Trim(valor)) == 1.0;
    } else {
        gEsAdmin = true;
    }
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, std::string_view ConnString,
                             bool ValidaAdmin, bool MuestraError) {
    gOpenFlag = true;
    if (gProveedor.empty()) gProveedor = "SQLOLEDB";
    if (Trim(ConnString).empty()) {
        ArmarConexion();
    } else {
        gConnString = std::string(ConnString);
    }
    if (PideParametrosSQL) {
        if (!PedirParametros()) return;
        ArmarConexion();
    }

    bool yaReintentado = false;
    int paso = 5;
    for (;;) {
        try {
            if (paso == 5) {
                cnn_.CursorLocation = static_cast<int>(lCursor);
                paso = 6;
            }
            if (paso == 6) {
                RegistraClave(gUserPassWord);
                RegistraClave(CadenaConexion(gConnString).Valor({"Pwd", "Password"}));
                cnn_.Open(gConnString, "", "");
                paso = 7;
            }
            if (paso == 7) {
                if (!ValidaAdmin) {
                    gEsAdmin = true;
                } else {
                    ValidarAdministrador(MuestraError);
                }
            }
            return;
        } catch (const std::exception& ex) {
            const ErrorInfo e = ErrorDe(ex);
            const bool sinErrores = cnn_.Errors().empty();
            if (e.Numero == err::kConexionAbierta && !yaReintentado &&
                (!MuestraError || sinErrores)) {
                yaReintentado = true;
                try {
                    cnn_.Close();
                } catch (const std::exception&) {
                }
                continue;
            }
            if (!MuestraError) {
                gOpenFlag = false;
                return;
            }
            if (!sinErrores) {
                const ErrorProveedor& p = cnn_.Errors().front();
                // The question is asked only where someone can answer it.
                const bool pregunta = politicaErrores().Pregunta();
                const std::string texto = " Estado de Sql: " + p.SQLState + "\r" +
                                          "Numero de Error: " + std::to_string(p.Number) + "\r" +
                                          "Descripcion: " + OcultaClaves(p.Description) + "\r" +
                                          "Codigo Nativo: " + std::to_string(p.NativeError) + "\r" +
                                          (pregunta ? " - Desea Intentarlo Nuevamente??? " : "");
                const int r =
                    politicaErrores().Tratar({texto, "", " Error de Conexion a Base de Datos",
                                              (pregunta ? mb::kSiNo : mb::kOk) | mb::kCritico},
                                             "");
                if (r == mb::kSi) {
                    cnn_.Errors().clear();
                    if (!PedirParametros()) return;
                    ArmarConexion();
                    continue;
                }
                gOpenFlag = false;
                return;
            }
            politicaErrores().Tratar({OcultaClaves(e.Descripcion), "", "", mb::kOk}, "");
            // A failed open is never taken for a usable connection.
            gOpenFlag = false;
            return;
        }
    }
}

void DB_Dll::ReintentaConectar() {
    gOpenFlag = false;
    bool salir = false;
    const TrataFallo trata = [&](const ErrorInfo& e) {
        if (e.Numero == err::kConexionCerrada) return kIgnorar;
        if (e.Numero == err::kFalloGenerico) {
            salir = true;
            return 0;
        }
        const int r = TratamientoErrores(e, std::nullopt, std::string("AbrirRecordset"));
        if (r != kReintentar && r != kIgnorar) salir = true;
        return r;
    };
    const bool completo =
        EjecutaPasos({[&] { cnn_.SetCommandTimeout(5); }, [&] { cnn_.Close(); },
                      [&] {
                          const std::string cadena = cnn_.ConnectionString();
                          cnn_.Open(cadena, compartido().gUsuario, compartido().gUserPassWord);
                      }},
                     trata);
    gOpenFlag = completo && !salir;
}

bool DB_Dll::BuscarBase() {
    DialogoArchivo& d = *CmdDlg();
    d.DialogTitle = "Buscar Base de Datos";
    d.Filter = "Base de Datos de Microsoft Access |*.MDB";
    d.Cancelado = false;
    d.FileName.clear();
    d.ShowOpen();
    if (d.Cancelado) return false;
    gDBName = d.FileName;
    return true;
}

void DB_Dll::OpenLocalADODB(std::string_view ConnString, std::string_view CadenaID,
                            std::string_view CadenaPWD) {
    for (;;) {
        if (Trim(gDBName).empty() && ConnString.empty()) {
            if (!BuscarBase()) return;
        }
        std::string cadena;
        if (!ConnString.empty()) {
            cadena = std::string(ConnString);
        } else {
            cadena = "PROVIDER=" + gProveedor + ";" + "Data Source =" + gDBName + ";" +
                     std::string(CadenaID) + "=" + gUsuario + ";" + std::string(CadenaPWD) + "=" +
                     gUserPassWord + ";" + gExtended;
        }
        try {
            // A database file that is not there is asked for again, as the provider's
            // "file not found" would have it.
            const Destino destino = ResuelveCadena(cadena);
            if (destino.tipo == Destino::Tipo::SQLite && !ExisteArchivo(destino.sqliteArchivo)) {
                cnn_.Errors().clear();
                cnn_.Errors().push_back(
                    {err::kFalloGenerico,
                     "No se encuentra el archivo de base de datos '" + destino.sqliteArchivo + "'.",
                     "3024", 3024, "Proveedor de datos"});
                throw ErrorBD(err::kFalloGenerico, cnn_.Errors().front().Description,
                              cnn_.Errors());
            }
            cnn_.Open(cadena, "", "");
            gConnString = cadena;
            return;
        } catch (const std::exception& ex) {
            const ErrorInfo e = ErrorDe(ex);
            if (!cnn_.Errors().empty()) {
                const std::string estado = cnn_.Errors().front().SQLState;
                if (estado == "3024" || estado == "3051" || estado == "3044") {
                    if (!ConnString.empty() || !BuscarBase()) return;
                    continue;
                }
                if (estado == "3031") {
                    std::string fragmento;
                    if (gIgnoraPassWord.value_or(false)) {
                        fragmento = "Jet OLEDB:Database Password=" + gUserPassWord + ";";
                    } else {
                        auto clave = ui_.entrada.Pedir("ingrese el password:", "Password Access");
                        if (!clave) return;
                        fragmento = " Jet OLEDB:Database Password=" + *clave + ";";
                    }
                    // The next attempt carries the password through the extended text.
                    if (BuscaSinCaso(gExtended, "Jet OLEDB:Database Password=") ==
                        std::string::npos)
                        gExtended += fragmento;
                    if (!ConnString.empty()) return;
                    continue;
                }
            }
            politicaErrores().Tratar({std::to_string(e.Numero) + "  " + OcultaClaves(e.Descripcion),
                                      "", "", mb::kOk | mb::kCritico},
                                     "");
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Queries and recordsets

std::string DB_Dll::LimpiaSentencia(std::string& sentencia) {
    if (ContieneSinCaso(sentencia, "SET NOCOUNT") || ContieneSinCaso(sentencia, "IF NOT EXIST"))
        sentencia.clear();
    return sentencia;
}

bool DB_Dll::EjecutaConsultaSQL(std::string& SentenciaSQL, long& RecordsAffected, Recordset* lrcs) {
    try {
        if (ContieneSinCaso(SentenciaSQL, "DROP") && ContieneSinCaso(SentenciaSQL, "CREATE") &&
            !ContieneSinCaso(SentenciaSQL, "DELETE") && !ContieneSinCaso(SentenciaSQL, "@ADMIN_")) {
            SentenciaSQL = SS_TSinonimos(SentenciaSQL);
        } else {
            SentenciaSQL = ReemplazaTexto(SentenciaSQL, "@Admin_", "");
        }
        if (ContieneSinCaso(cnn_.ConnectionString(), "ORACLE") ||
            dialecto().ScriptPorSentencias()) {
            std::string script = SentenciaSQL;
            EjecutaScriptOracle(script, RecordsAffected);
        } else if (lrcs) {
            CierraRecordset(*lrcs);
            lrcs->Open(DialectoLocal(SentenciaSQL), cnn_, adOpenForwardOnly, adLockReadOnly, -1);
            RecordsAffected = -1;
        } else {
            RecordsAffected = cnn_.Execute(DialectoLocal(SentenciaSQL));
        }
        auto& errores = compartido().gCnn().Errors();
        if ((errores.size() == 1 || errores.size() == 2) &&
            !ContieneSinCaso(SentenciaSQL, "TRANS") && errores.front().NativeError == 8152)
            errores.clear();
        return true;
    } catch (const std::exception& ex) {
        const ErrorInfo e = ErrorDe(ex);
        auto& errores = compartido().gCnn().Errors();
        const bool transaccion = ContieneSinCaso(SentenciaSQL, "TRANS");
        if (!errores.empty() && !transaccion && errores.front().NativeError == 8152) {
            errores.clear();
            return false;
        }
        const bool conocido = e.Numero == err::kFalloGenerico || e.Numero == err::kIntegridad ||
                              e.Numero == err::kTablaInexistente || e.Numero == err::kErrorComando;
        if (!conocido && !transaccion)
            politicaErrores().Tratar(
                {OcultaClaves(e.Descripcion), "", "Aviso al operador!!!", mb::kOk | mb::kCritico},
                "");
        return false;
    }
}

void DB_Dll::EjecutaScriptOracle(std::string& script, long& RecordsAffected) {
    static constexpr std::array<std::string_view, 12> kClaves = {
        "INSERT ",         "DELETE ", "UPDATE ",  "CREATE ",      "DROP ",    "ALTER ",
        "SET TRANSACTION", "COMMIT",  "ROLLBACK", "IF NOT EXIST", "IF EXIST", "GRANT "};
    constexpr std::size_t kNinguna = 1999999;

    static constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kNormaliza = {{
        {"SET NOCOUNT ON", ""},
        {"SET NOCOUNT OFF", ""},
        {" GO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO ", " "},
        {"\r\nGO\r\n", " "},
        {"\r", " "},
        {"\r\n", " "},
        {"BEGIN TRANSACTION", "SET TRANSACTION"},
        {"BEGIN TRANS", "SET TRANSACTION"},
        {"COMMIT TRANSACTION", "COMMIT"},
        {"COMMIT TRANS", "COMMIT"},
        {"ROLLBACK TRANSACTION", "ROLLBACK"},
        {"ROLLBACK TRANS", "ROLLBACK"},
    }};
    for (const auto& [de, a] : kNormaliza) script = ReemplazaTexto(script, de, a);

    const auto primera = [&](std::size_t desde) {
        std::size_t mejor = kNinguna;
        for (std::string_view clave : kClaves) {
            const std::size_t p = BuscaSinCaso(script, clave, desde);
            if (p != std::string::npos && p < mejor) mejor = p;
        }
        return mejor;
    };

    for (;;) {
        const std::size_t inicio = primera(0);
        if (inicio == kNinguna) break;
        std::size_t fin = primera(inicio + 1);
        if (fin == kNinguna) fin = script.size();
        std::string sentencia = Trim(std::string_view(script).substr(inicio, fin - inicio));
        if (IgualSinCaso(sentencia, "SET TRANSACTION")) {
            cnn_.BeginTrans();
        } else if (IgualSinCaso(sentencia, "COMMIT")) {
            cnn_.CommitTrans();
        } else if (IgualSinCaso(sentencia, "ROLLBACK")) {
            cnn_.RollbackTrans();
        } else {
            sentencia = ORACLE_Dicc(sentencia);
            LimpiaSentencia(sentencia);
            if (!Trim(sentencia).empty()) {
                const long n = cnn_.Execute(sentencia);
                if (n > 0) RecordsAffected += n;
            }
        }
        script = fin >= script.size() ? std::string() : Trim(std::string_view(script).substr(fin));
    }
    if (cnn_.Errors().size() == 1 && cnn_.Errors().front().Number == 265929) cnn_.Errors().clear();
}

void DB_Dll::AbrirRecordset(std::string& SentenciaSQL, Recordset& lrcs, Conexion* Conexionactiva,
                            int CursorType, int LockType, int Options, bool ConvOracle) {
    Conexion& cn = Conexionactiva ? *Conexionactiva : cnn_;
    int paso = 1;
    bool reconectado = false;
    for (;;) {
        try {
            if (paso == 1) {
                CierraRecordset(lrcs);
                paso = 2;
            }
            if (paso == 2) {
                SentenciaSQL = SS_TSinonimos(SentenciaSQL);
                paso = 3;
            }
            if (paso == 3) {
                // Steps 4 and 5: one open, translated on Oracle when asked to. Each platform's
                // dialect changes only what is its own: the Oracle translation leaves other
                // platforms' statements alone, the local rewriting leaves Oracle's.
                const std::string texto =
                    DialectoLocal(ConvOracle ? ORACLE_Dicc(SentenciaSQL) : SentenciaSQL);
                lrcs.Open(texto, cn, CursorType, LockType, Options);
            }
            return;
        } catch (const std::exception& ex) {
            const ErrorInfo e = ErrorDe(ex);
            // Reconnecting mends a lost connection and nothing else, and only once per call:
            // a statement that fails again, or fails for any other reason (a damaged file, a
            // value the server cannot read), goes to the operator below. Retrying those used to
            // spin without a word, or open connection after connection.
            if (!reconectado && ConexionPerdida(ex)) {
                reconectado = true;
                ReintentaConectar();
                if (cnn_.Abierta()) continue;
            }
            const int r = TratamientoErrores(e, std::nullopt, std::string("AbrirRecordset"));
            if (r == kReintentar) {
                // The operator asked: this attempt may mend a lost connection once again.
                reconectado = false;
                continue;
            }
            // Going on after a failed open leaves nothing more to do: the recordset stays
            // closed and the caller sees it so.
            if (r == kIgnorar && paso < 3) {
                ++paso;
                continue;
            }
            return;
        }
    }
}

void DB_Dll::CierraRecordset(Recordset& LrcsTemp) {
    for (;;) {
        try {
            if (LrcsTemp.State() != adStateClosed) LrcsTemp.Close();
            return;
        } catch (const std::exception& ex) {
            const ErrorInfo e = ErrorDe(ex);
            if (e.Numero == err::kEdicionEnCurso) {
                try {
                    LrcsTemp.CancelUpdate();
                    if (LrcsTemp.State() != adStateClosed) LrcsTemp.Close();
                } catch (const std::exception&) {
                }
                return;
            }
            const int r = TratamientoErrores(e, std::nullopt, std::string("CierraRecordset"));
            if (r == kReintentar) continue;
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Error treatment

namespace {

std::string TextoRespuesta(int respuesta) {
    switch (respuesta) {
        case mb::kReintentar:
            return "Reintentar";
        case mb::kIgnorar:
            return "Ignorar";
        case mb::kAbortar:
            return "Abortar";
        case mb::kCancelar:
            return "Cancelar";
        case mb::kSi:
            return "Sí";
        case mb::kNo:
            return "No";
        default:
            return "";
    }
}

std::string FechaHoraCorta() {
    const std::tm tm = plataforma::HoraLocal(std::time(nullptr));
    char buf[32];
    std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M:%S", &tm);
    return buf;
}

}  // namespace

std::string LineaLogErrores(std::string_view rutina, std::string_view mensaje, int respuesta) {
    // The system's own wording stays in the log next to the Spanish the operator read.
    return FechaHoraCorta() + " Rutina: " + Trim(rutina) + " Mensaje " +
           ConTextosOriginales(Trim(mensaje)) + " Respondió : " + TextoRespuesta(respuesta);
}

AvisoDeError ArmaAvisoDeError(const ErrorInfo& CodErr, const std::optional<int>& Botones,
                              const std::optional<std::string>& Rutina) {
    AvisoDeError a;
    a.mensaje = "Ha ocurrido el Siguiente Error (" + Trim(std::to_string(CodErr.Numero)) + ") " +
                Trim(OcultaClaves(CodErr.Descripcion));
    a.rutina = Rutina ? " - " + *Rutina : std::string();
    a.titulo = CodErr.Origen + a.rutina + " Aviso al operador!!! ";
    a.botones = Botones.value_or(mb::kAbortarReintentarIgnorar | mb::kCritico);
    return a;
}

int DB_Dll::TratamientoErrores(const ErrorInfo& CodErr, std::optional<int> Botones,
                               std::optional<std::string> Rutina) {
    const std::string ruta = !gLogErr.empty() ? gLogErr : CarpetaDatos() + "TMERR.LOG";
    if (CodErr.Numero == 0) return 0;
    return politicaErrores().Tratar(ArmaAvisoDeError(CodErr, Botones, Rutina), ruta);
}

}  // namespace tamaris
