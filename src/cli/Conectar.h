#pragma once
// Opens the database a command names: "--db FILE" (a SQLite file, never created) or
// "--conexion STRING" (an OLE DB-style string as the suite builds them, or a raw ODBC string).

#include "cli/Cli.h"
#include "data/DB_Dll.h"

namespace tamaris::cli {

// Opens `db` from the options; on failure writes the reason to s.err and returns false.
bool AbreBaseCli(const Opciones& op, DB_Dll& db, Salidas& s);
// The usage error of the connection options, empty when exactly one of them is given.
std::string ErrorOpcionesConexion(const Opciones& op);

}  // namespace tamaris::cli
