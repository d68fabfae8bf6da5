#pragma once
// Administrative SQL of the global module: a list of lines run as one transaction batch, the
// login and roles of a database user, and the creation script of a new database.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/Motor.h"

namespace tamaris {

class DB_Dll;
struct ModuloDatos;

// Runs the non-blank `Lineas` as one batch inside a transaction on the shared connection and
// reads the outcome from the connection's error collection:
//  - no error: the transaction is committed, `NumeroError` is 0;
//  - errors: the transaction is rolled back, `Fallo` is true, `NumeroError` is the native number
//    of the first error, `TextoError` holds one "<native> : <description>\r\n" line per error
//    (all but the last when there are several), the failure is recorded in AUX_ERR and, with
//    `MuestraMensaje`, the lines are shown under "Aviso al Operador!". A duplicate key with
//    `IgnoraDuplicado` (SQL Server 2627; on SQLite a UNIQUE or PRIMARY KEY failure) or a
//    constraint conflict with `IgnoraRestriccion` (547; on SQLite a FOREIGN KEY, CHECK or
//    NOT NULL failure) is silent: `TextoError` is the first error's description and nothing is
//    shown.
// `TextoLote` receives the batch as sent: "BEGIN TRANSACTION " CR CR, each line after a CR,
// and a final CR. With no non-blank line nothing is sent and the out arguments other than
// `Fallo` are left as they were. On a closed connection nothing is sent either: `Fallo` is
// true and `NumeroError` 3709. Failures of the routine itself go to TrataError
// ("GActualizarDatoScript").
void GActualizarDatoScript(ModuloDatos& sistema, std::span<const std::string> Lineas, bool& Fallo,
                           long& NumeroError, bool IgnoraDuplicado, bool IgnoraRestriccion,
                           std::string& TextoLote, std::string& TextoError, bool MuestraMensaje);

// Makes sure the login `Login` (password `Password`, default database `BaseDatos`) exists with
// its server and database roles, through `objeto` (the shared connection object when null).
// On SQL Server the login is created with sp_addlogin; when the server says the default
// database does not exist the creation script is written and the shared object reconnects
// (CreaBaseDatos); when the login exists already nothing more is sent. On Oracle one script
// creates the user with its grants. A local database file has no logins: nothing is done there.
void CreaUsuarioBase(ModuloDatos& sistema, std::string_view BaseDatos, std::string_view Login,
                     std::string_view Password, DB_Dll* objeto = nullptr);

// Writes the creation script "CDB7.SQL" of database `Nombre` (trimmed; also its login and
// password) in the temporary folder (TEMP, else the workstation's default folder), then closes
// the shared connection and opens it again as that login on `Servidor` (reduced to its host).
// Requires "completotme.sql" in the program's data folder: without it a message asks for it and
// nothing is written. Returns false when it stops early or the connection does not open again.
// On a local database file the script is written and the connection is left as it is.
bool CreaBaseDatos(ModuloDatos& sistema, std::string_view Servidor, std::string_view,
                   std::string_view, std::string_view Nombre);

// A server text reduced to its host: what follows the first "/" and, of that, what precedes
// the first ":" ("tcp/host:1433" gives "host"). A text without "/" comes back unchanged.
std::string ExtraeServidor(std::string_view texto);

// ---- the statements, as they are sent ----

// The error lines of a failed batch: "<native> : <description>" CR LF for the only record, or
// for every record but the last (which only says that the batch was stopped).
std::string TextoErroresLote(std::span<const ErrorProveedor> errores);

// The lines of "CDB7.SQL" for database `X` (each is written followed by CR, then CR LF).
std::vector<std::string> LineasCreacionBase(std::string_view X);
// Full path of "CDB7.SQL" as CreaBaseDatos writes it.
std::string RutaScriptCreacion();
// The three statements that give a SQL Server login its roles, in the order they are sent.
std::vector<std::string> SentenciasRolesSqlServer(std::string_view Login);
// The SQL Server login statement.
std::string SentenciaLoginSqlServer(std::string_view BaseDatos, std::string_view Login,
                                    std::string_view Password);
// The Oracle script that creates the user and gives it its grants (lines ended by CR LF).
std::string ScriptUsuarioOracle(std::string_view Login, std::string_view Password);

}  // namespace tamaris
