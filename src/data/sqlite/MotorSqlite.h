#pragma once
// Backend over an SQLite database file through the sqlite3 C API. Rows stream straight from
// the prepared statement; texts come back as stored (UTF-8).

#include <memory>
#include <string>
#include <string_view>

#include "data/Motor.h"

namespace tamaris {

// Opens an existing SQLite file for reading and writing; a missing file is never created.
// Throws ErrorBD (kFalloGenerico) when the file does not exist or is not a database; a file
// that another program holds locked for longer than the time-out is
// reported as locked (kTiempoAgotado, "HYT00"), and a damaged one as damaged (kBaseDanada,
// "XX001"), never as "not a database". `tiempoEsperaSeg` is the first command time-out in
// seconds; 0 stands for 30. Every statement is bounded by the command time-out, also while it
// waits for another program's lock.
std::unique_ptr<Motor> AbreMotorSqlite(const std::string& archivo, int tiempoEsperaSeg);

// ADO type code that a declared SQLite column type stands for ("VARCHAR(30)" → 202,
// "DECIMAL(15,2)" → 131, "DATETIME" → 135…); 0 when the declaration tells nothing.
int TipoAdoDeclarado(std::string_view declarado);

// How an SQLite failure reads in ADO terms: error number and SQL state. `codigo` is the
// (extended) result code, `mensaje` SQLite's text, `alPreparar` true when the statement
// failed to compile. Also used to read the SQLite ODBC driver, which reports every failure
// under the same SQL state.
struct ClaseErrorSqlite {
    long numero;
    const char* estado;
};
ClaseErrorSqlite ClasificaErrorSqlite(int codigo, std::string_view mensaje, bool alPreparar);

}  // namespace tamaris
