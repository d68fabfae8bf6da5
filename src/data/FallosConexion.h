#pragma once
// What a failure says about the connection itself, read from the SQL state, the native error
// and, where drivers put the server's own code only in the text (psqlODBC reports every refused
// connection as 08001), from the words of the server. Each kind has its own Spanish message:
// a wrong password or a server that takes no more clients is not a lost connection, and
// reconnecting would only meet it again.

#include <string>

#include "data/Motor.h"

namespace tamaris {

enum class FalloConexion {
    Ninguno,               // not about the connection
    Autenticacion,         // user or password refused (28000, 28P01, SQL Server 18456)
    DemasiadasConexiones,  // the server takes no more clients (53300, SQL Server 17809)
    BaseInexistente,       // the database named does not exist (3D000, SQL Server 4060)
    Inalcanzable,          // no server answered (08001, 08004)
    Perdida,               // an open connection dropped (08S01, 08003, 08006, 57P01-57P03)
};

FalloConexion ClasificaFalloConexion(const ErrorProveedor& registro);

// The sentence that tells the operator what failed; empty for Ninguno.
std::string TextoFalloConexion(FalloConexion fallo);

// Whether reconnecting may mend the failure: only a connection that dropped.
inline bool SeReintenta(FalloConexion fallo) { return fallo == FalloConexion::Perdida; }

}  // namespace tamaris
