#pragma once
// The program's start-up on the command line. Every command that works on a database names it
// with exactly one of:
//   --db FILE            a SQLite file (never created);
//   --conexion STRING    an OLE DB-style string as the suite builds them, or a raw ODBC string;
//   --parametros LINE    the suite's parameter line ("@server=…; @dbname= …; @usuario= …;
//                        @Password= …; @ParametroAdicional=; @Caja=1;orva@").
// and then runs the same start-up as the desktop program (connection, statistics connection,
// lookup service, configuration, access log). The command line never waits for input: where
// the desktop program would ask for the connection data, the start-up fails with a message.

#include <string>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "data/DB_Dll.h"

namespace tamaris::cli {

// The options that name the database, for a command's option list.
inline const std::vector<std::string>& OpcionesConexion() {
    static const std::vector<std::string> o = {"--db", "--conexion", "--parametros"};
    return o;
}

// The usage error of the connection options, empty when exactly one of them is given.
std::string ErrorOpcionesConexion(const Opciones& op);

// Runs the start-up over the database the options name. On failure writes the reason to s.err
// and returns false; the command then ends with kFalloCli.
bool IniciaCli(const Opciones& op, Sistema& sis, Salidas& s);

// Opens `db` from --db or --conexion alone, without the start-up (tools that only read).
// On failure writes the reason to s.err and returns false.
bool AbreBaseCli(const Opciones& op, DB_Dll& db, Salidas& s);

}  // namespace tamaris::cli
