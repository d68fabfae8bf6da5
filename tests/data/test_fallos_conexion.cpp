// What a failure says about the connection, as each driver reports it: a refused login or a
// full server is told as such and never taken for a lost connection.

#include <gtest/gtest.h>

#include "data/FallosConexion.h"

namespace tamaris {
namespace {

TEST(FallosConexion, ClasePorEstadoNativoOTexto) {
    using F = FalloConexion;
    struct Caso {
        ErrorProveedor registro;
        F clase;
    };
    const Caso casos[] = {
        // psqlODBC reports every refused connection as 08001 with the server's words.
        {{0,
          "connection to server at \"127.0.0.1\", port 5432 failed: FATAL:  password "
          "authentication failed for user \"ana\"",
          "08001", 101, "ODBC psqlodbcw.so"},
         F::Autenticacion},
        {{0, "FATAL:  sorry, too many clients already", "08001", 101, "ODBC"},
         F::DemasiadasConexiones},
        {{0, "FATAL:  too many connections for role \"ana\"", "08001", 101, "ODBC"},
         F::DemasiadasConexiones},
        {{0, "FATAL:  database \"nada\" does not exist", "08001", 101, "ODBC"}, F::BaseInexistente},
        {{0, "could not connect to server: Connection refused", "08001", 101, "ODBC"},
         F::Inalcanzable},
        {{0, "terminating connection due to administrator command", "57P01", 7, "ODBC"},
         F::Perdida},
        {{0, "server closed the connection unexpectedly", "08S01", 35, "ODBC"}, F::Perdida},
        // FreeTDS passes SQL Server's own numbers on.
        {{0, "[FreeTDS][SQL Server]Login failed for user 'sa'.", "28000", 18456, "ODBC"},
         F::Autenticacion},
        {{0,
          "[FreeTDS][SQL Server]Could not connect because the maximum number of '5' user "
          "connections has already been reached.",
          "HY000", 17809, "ODBC"},
         F::DemasiadasConexiones},
        {{0, "[FreeTDS][SQL Server]Unable to connect to data source", "08001", 0, "ODBC"},
         F::Inalcanzable},
        // SQLite's "cannot open" is about a file, which its own message explains.
        {{0, "No se pudo abrir el archivo", "08001", 14, "SQLite"}, F::Ninguno},
        {{0, "syntax error", "42000", 1, "ODBC"}, F::Ninguno},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.registro.Description);
        EXPECT_EQ(ClasificaFalloConexion(c.registro), c.clase);
        EXPECT_EQ(SeReintenta(c.clase), c.clase == F::Perdida);
    }
}

}  // namespace
}  // namespace tamaris
