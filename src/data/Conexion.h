#pragma once
// The connection as the suite's data-access code uses it: open with a connection string,
// state, provider error collection, execute, transactions, schema, time-out.
//
// Connection strings understood:
//  - "Provider=SQLOLEDB;Server=…;Database =…;UId=…;Pwd=…;" → ODBC, SQL Server driver
//    (FreeTDS unless TAMARIS_ODBC_SQLSERVER names another);
//  - "Provider=OraOLEDB.Oracle.1;Data Source=…;User Id=…;Password=…;" → ODBC, Oracle driver
//    (TAMARIS_ODBC_ORACLE, "Oracle" by default);
//  - "Provider=Microsoft.Jet.OLEDB.4.0|3.51|SQLite;Data Source =FILE;…" → the SQLite file;
//  - "DRIVER=…;…" or "DSN=…;…" → ODBC as given.
// With the SQLite ODBC driver, add "StepAPI=1" so that rows stream (without it the driver
// reads the whole result in SQLExecDirect) and "NoCreat=1" so that a missing file is not
// created.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Motor.h"

namespace tamaris {

class Dialecto;

constexpr int adStateClosed = 0;
constexpr int adStateOpen = 1;
constexpr int adUseServer = 2;
constexpr int adUseClient = 3;
constexpr int adSchemaColumns = 4;
constexpr int adSchemaTables = 20;
constexpr long adXactReadUncommitted = 256;

// Parsed "key=value;" connection string. Keys compare without regard to case and blanks
// around them ("Database =" is "Database").
class CadenaConexion {
  public:
    explicit CadenaConexion(std::string_view texto);
    // Value of the first of the given keys present, trimmed; empty when none is.
    std::string Valor(std::initializer_list<std::string_view> claves) const;
    bool Tiene(std::string_view clave) const;
    const std::vector<std::pair<std::string, std::string>>& Pares() const { return pares_; }

  private:
    std::vector<std::pair<std::string, std::string>> pares_;
};

// Where a connection string leads.
struct Destino {
    enum class Tipo { SQLite, Odbc } tipo = Tipo::Odbc;
    std::string sqliteArchivo;                      // for SQLite
    std::string odbc;                               // full ODBC connection string
    Plataforma plataforma = Plataforma::SqlServer;  // expected platform before connecting
};
// Throws ErrorBD (kFalloGenerico) when the string names no usable provider.
Destino ResuelveCadena(std::string_view cadena);

// The platform a connection reaches. The product name the driver reports once connected
// (`dbms`) settles it; before that, the provider and the driver named in the connection
// string point to it. nullopt when none of them names a platform the program works with
// (a MySQL driver, a DSN not yet connected, an unknown product).
std::optional<Plataforma> DecidePlataforma(std::string_view dbms, std::string_view cadena);
// ErrorBD (kFalloGenerico, SQL state "HYC00") saying that the product is not one the program
// works with.
[[noreturn]] void RechazaPlataforma(std::string_view dbms, std::string_view cadena);

class Conexion {
  public:
    Conexion();
    ~Conexion();

    // Opens with `cadena` (the kept ConnectionString when empty); usuario/clave, when not
    // empty, replace UID/PWD (ODBC) and are ignored by SQLite. Throws ErrorBD 3705 when already
    // open. Provider errors are added to Errors(). A SQLite file that does not exist is not
    // created: ErrorBD kFalloGenerico whose record has SQL state "3024", as Jet's "file not
    // found". A string that names no provider: kFalloGenerico, record state "IM002".
    void Open(std::string_view cadena, std::string_view usuario = {}, std::string_view clave = {});
    void Close();  // throws ErrorBD 3704 when already closed
    int State() const { return motor_ ? adStateOpen : adStateClosed; }
    bool Abierta() const { return motor_ != nullptr; }

    const std::string& ConnectionString() const { return cadena_; }
    void SetConnectionString(std::string_view c) { cadena_ = std::string(c); }
    Plataforma plataforma() const;  // of the open backend; else what the string suggests
    // The SQL dialect of that platform: chosen when the connection opens, kept while it is open.
    const Dialecto& dialecto() const;
    std::string NombreDbms() const;

    // ADO properties.
    int CursorLocation = adUseServer;
    int ConnectionTimeout = 15;
    int CommandTimeout() const { return tiempoComando_; }
    void SetCommandTimeout(int segundos);
    // SQL Server only (elsewhere kept and ignored); on a closed connection it waits for Open.
    void SetDefaultDatabase(std::string_view nombre);
    const std::string& DefaultDatabase() const { return baseDefecto_; }
    void SetIsolationLevel(long nivel);
    long IsolationLevel() const { return aislamiento_; }

    // Provider error collection of the last failing operation (kept until cleared or until the
    // next failure replaces it). As in ADO, the object's own errors (3704, 3705, 3709, 3001,
    // 3251) carry no provider records and leave it as it was.
    std::vector<ErrorProveedor>& Errors() { return errores_; }
    const std::vector<ErrorProveedor>& Errors() const { return errores_; }

    // Runs a statement (on SQLite also a script of several); returns the affected-row count.
    long Execute(std::string_view sql);
    std::unique_ptr<Cursor> Consultar(std::string_view sql);
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // ADO OpenSchema: adSchemaTables (no restrictions) or adSchemaColumns (catalog, schema,
    // table).
    std::unique_ptr<Cursor> OpenSchema(int esquema, std::string_view catalogo = {},
                                       std::string_view esquemaBd = {},
                                       std::string_view tabla = {});

  private:
    template <class F>
    auto Protegido(F&& f) -> decltype(f());
    Motor& MotorAbierto();

    std::unique_ptr<Motor> motor_;
    // Of the open backend; while closed, of the platform the string suggests.
    mutable std::unique_ptr<Dialecto> dialecto_;
    std::string cadena_;
    std::string baseDefecto_;
    std::vector<ErrorProveedor> errores_;
    int tiempoComando_ = 30;
    long aislamiento_ = 4096;
};

}  // namespace tamaris
