#pragma once
// Backend over an ODBC 3 driver through unixODBC: SQL Server (FreeTDS or Microsoft's
// driver), Oracle, PostgreSQL (psqlODBC) and the SQLite ODBC driver. Texts travel as SQL_C_CHAR and
// are taken as UTF-8 (FreeTDS needs ClientCharset=UTF-8 for that).

#include <memory>
#include <string>
#include <string_view>

#include "data/Motor.h"

namespace tamaris {

// Connection options that make `driver` (a DRIVER value or the driver's file name) stream rows
// instead of reading a whole result into memory: "UseDeclareFetch=1;Fetch=2000;" for psqlODBC,
// "StepAPI=1;" for the SQLite driver; empty when `cadenaOdbc` already sets them or the driver
// needs none.
std::string OpcionesDeLectura(std::string_view cadenaOdbc, std::string_view driver);

// Connects with SQLDriverConnect (never prompting), adding the options above when missing.
// `tiempoConexionSeg` is the login time-out (0 = the driver's default). Throws ErrorBD with every
// diagnostic record of the driver when the connection fails.
std::unique_ptr<Motor> AbreMotorOdbc(const std::string& cadenaOdbc, int tiempoConexionSeg);

// ADO error number for an ODBC SQL state ("42S02" → kTablaInexistente, "23000" →
// kIntegridad, "HYT00" → kTiempoAgotado…).
long NumeroDeEstadoOdbc(std::string_view estado);

// ADO type code for an ODBC SQL data type (SQL_VARCHAR → 200, SQL_TYPE_TIMESTAMP → 135…).
int TipoAdoDeSql(int tipoSql);

}  // namespace tamaris
