#pragma once
// Backend over an ODBC 3 driver through unixODBC: SQL Server (FreeTDS or Microsoft's
// driver), Oracle, PostgreSQL (psqlODBC) and the SQLite ODBC driver. Texts travel as SQL_C_CHAR and
// are taken as UTF-8 (FreeTDS needs ClientCharset=UTF-8 for that).

#include <memory>
#include <string>
#include <string_view>

#include "data/Motor.h"

namespace tamaris {

// `cadenaOdbc` with the options that make `driver` (a DRIVER value or the driver's file name)
// stream rows instead of reading a whole result into memory: UseDeclareFetch=1 with Fetch=2000
// for psqlODBC, StepAPI=1 for the SQLite driver. Values of those keys that would read the whole
// result (or blocks of more than 10000 rows) are replaced; the string comes back unchanged when
// it already streams or the driver needs nothing.
std::string CadenaDeLectura(std::string_view cadenaOdbc, std::string_view driver);

// Connects with SQLDriverConnect (never prompting), with the options above.
// `tiempoConexionSeg` is the login time-out (0 = the driver's default). Throws ErrorBD with every
// diagnostic record of the driver when the connection fails.
std::unique_ptr<Motor> AbreMotorOdbc(const std::string& cadenaOdbc, int tiempoConexionSeg);

// ADO error number for an ODBC SQL state ("42S02" → kTablaInexistente, "23000" →
// kIntegridad, "HYT00" → kTiempoAgotado…).
long NumeroDeEstadoOdbc(std::string_view estado);

// ADO type code for an ODBC SQL data type (SQL_VARCHAR → 200, SQL_TYPE_TIMESTAMP → 135…).
int TipoAdoDeSql(int tipoSql);

}  // namespace tamaris
