#pragma once
// The data-access object: one connection (the session) and every database service the forms
// and modules use through it: queries and recordsets, value formatting, and, as members kept
// for their callers, the platform's SQL dialect (Dialecto, chosen when the connection opens),
// the table lookups (Tablas) and the error treatment that the front end installs
// (PoliticaErrores).

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "components/Error.h"
#include "components/Regional.h"
#include "components/Ui.h"
#include "components/Variant.h"
#include "data/Conexion.h"
#include "data/PoliticaErrores.h"
#include "data/Recordset.h"

namespace tamaris {

class AccesoDialogo;  // database access dialog (connection data prompt)
class Dialecto;       // SQL dialect of a platform

class DB_Dll {
  public:
    // `compartido` is the program's shared connection object; nullptr when this one is it.
    explicit DB_Dll(Ui& ui, DB_Dll* compartido = nullptr);
    ~DB_Dll();
    DB_Dll(const DB_Dll&) = delete;
    DB_Dll& operator=(const DB_Dll&) = delete;

    // ---- fields, in declared order ----
    DialogoArchivo* CmdDlg() { return &ui_.archivo; }
    bool gOpenFlag = false;
    std::optional<bool> gIgnoraPassWord;
    Conexion& gCnn() { return cnn_; }
    std::string gProveedor;
    std::string gServidor;
    std::string gDBName;
    std::string gUsuario;
    bool gEsAdmin = false;
    std::string gUserPassWord;
    std::string gConnString;
    std::string gExtended;
    std::string gLogErr;

    // Confidentiality setting of the suite's configuration ("SS_CONFIDENCIALIDAD" = "SI"),
    // loaded at start-up; sends non-administrators to the restricted views.
    bool Confidencialidad = false;
    // Regional settings used to write numbers into SQL and to read dates.
    Regional regional;
    // Database access dialog used to ask for the connection data; none means it cannot be asked
    // (the command line): the open then fails.
    AccesoDialogo* dialogoAcceso = nullptr;

    // ---- connections ----
    void OpenServerADODB(bool PideParametrosSQL, long lCursor, std::string_view ConnString,
                         bool ValidaAdmin, bool MuestraError);
    void ReintentaConectar();
    void OpenLocalADODB(std::string_view ConnString, std::string_view CadenaID,
                        std::string_view CadenaPWD);
    static std::string pJETOLEDB40() { return "Microsoft.Jet.OLEDB.4.0"; }
    static std::string pJETOLEDB35() { return "Microsoft.Jet.OLEDB.3.51"; }
    static std::string pSQLOLEDB() { return "SQLOLEDB"; }
    static std::string StripConnect(std::string_view rsTblName);
    void QConsulta() {}
    void QGridConsulta() {}

    // ---- queries and recordsets ----
    // Returns false when the statement failed (whether or not a message was shown).
    bool EjecutaConsultaSQL(std::string& SentenciaSQL, long& RecordsAffected,
                            Recordset* lrcs = nullptr);
    void AbrirRecordset(std::string& SentenciaSQL, Recordset& lrcs, Conexion* Conexionactiva,
                        int CursorType, int LockType, int Options, bool ConvOracle);
    void CierraRecordset(Recordset& LrcsTemp);

    // ---- SQL dialect and value formatting ----
    std::string SS_TSinonimos(std::string_view sentencia) const;
    std::string ORACLE_Dicc(std::string_view Valor) const;
    std::string SQLValue(const Variant& Valor, std::string_view marcador) const;
    static bool adodate(const Variant& Qtype);
    static bool ADOText(const Variant& Qtype);
    static bool ADONumeric(const Variant& Qtype);
    static bool ADOCurrency(const Variant& Qtype);
    static bool ADOBoolean(const Variant& Qtype);
    static std::string ADOComilla(const Variant& Qtype);
    static std::string stSTF(std::string& rsName, bool rnPart);
    static std::string AddBrackets(std::string_view rObjName);
    static std::string StripBrackets(std::string_view rsObjName);
    static std::string StripOwner(std::string& rsTblName);
    static std::string StripFileName(std::string_view rsFileName);
    // The dialect of the connection's platform: the open connection's own, or while closed
    // the one the connection data point to.
    const Dialecto& dialecto() const;
    // The statement in the live platform's own dialect on SQLite and PostgreSQL; unchanged on
    // SQL Server and Oracle.
    std::string DialectoLocal(std::string_view sentencia) const;
    // A date as a literal that the live platform reads the same way whatever its date
    // settings: 'YYYYMMDD' on SQL Server, 'YYYY-MM-DD' elsewhere (Oracle's conversion turns it
    // into TO_DATE).
    std::string LiteralFecha(const Fecha& fecha) const;
    bool EsOracle() const;  // the connection's platform is Oracle
    Plataforma plataforma() const;

    // ---- table lookups and schema helpers ----
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

    // ---- error treatment ----
    const std::string& ArchivoErrores() const { return gLogErr; }
    void SetArchivoErrores(const Variant& v) { gLogErr = v.Texto(regional); }
    // Treats the error as the installed policy says (by default: shows it, logs it in
    // "TMERR.LOG") and returns the answer (0 when the number is 0).
    int TratamientoErrores(const ErrorInfo& CodErr, std::optional<int> Botones = std::nullopt,
                           std::optional<std::string> Rutina = std::nullopt);
    // What happens when a call fails: the front end installs its own; none (or nullptr) asks
    // the operator through the UI's message port.
    void SetPoliticaErrores(std::shared_ptr<PoliticaErrores> politica) {
        politica_ = std::move(politica);
    }
    PoliticaErrores& politicaErrores() { return politica_ ? *politica_ : pregunta_; }

    Ui& ui() { return ui_; }
    DB_Dll& compartido() { return compartido_ ? *compartido_ : *this; }
    const DB_Dll& compartido() const { return compartido_ ? *compartido_ : *this; }

  private:
    void ArmarConexion();
    bool PedirParametros();
    bool BuscarBase();
    void ValidarAdministrador(bool MuestraError);
    void EjecutaScriptOracle(std::string& script, long& RecordsAffected);
    static std::string LimpiaSentencia(std::string& sentencia);

    Ui& ui_;
    DB_Dll* compartido_;
    Conexion cnn_;
    PreguntaAlOperador pregunta_;
    std::shared_ptr<PoliticaErrores> politica_;
    mutable std::unique_ptr<Dialecto> supuesto_;  // while closed; see dialecto()
};

}  // namespace tamaris

namespace tamaris {
// The text with the values of password items ("Pwd=", "Password=", "PWD=") of any connection
// string it carries replaced by "****", and so is every occurrence of a password registered
// with RegistraClave (a server's refusal may quote it anywhere).
std::string OcultaClaves(std::string_view texto);
// Registers a password in use, for OcultaClaves. Values shorter than 3 characters are not kept:
// hiding them would garble the rest of the text.
void RegistraClave(std::string_view clave);
// One line of the error log: date, time, routine, message and the answer's text.
std::string LineaLogErrores(std::string_view rutina, std::string_view mensaje, int respuesta);

AvisoDeError ArmaAvisoDeError(const ErrorInfo& CodErr, const std::optional<int>& Botones,
                              const std::optional<std::string>& Rutina);
}  // namespace tamaris
