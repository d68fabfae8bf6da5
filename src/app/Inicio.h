#pragma once
// Start-up of the program: the parameter line (or the workstation's INI file), the main
// connection, the statistics connection and its command time-out, the lookup service, the
// configuration and the access log.

#include <string>
#include <string_view>

#include "app/Sistema.h"
#include "data/Scripts.h"

namespace tamaris {

// What the front end does after the start-up.
enum class ResultadoInicio {
    Iniciado,     // go on loading the form
    SinConexion,  // the main connection could not be opened: end the program
    FaltanDatos,  // the server or the user is missing and nobody can be asked: end the program
};

// Start-up. Both forms call it as InicioSistema(sis, false, "", "", adUseClient) first thing in
// their load event.
//  - `Parametros`, when not empty, is used instead of sis.LineaComandos; with both blank and
//    `UsarIni`, the line is made from the workstation's INI file.
//  - `ConnString`, when not blank, is handed to the open unchanged. One that names a local
//    database file (provider "SQLite" or "Microsoft.Jet.OLEDB…") is opened directly, without
//    asking for anything; there is no statistics server then.
//  - When the server or the user is missing the operator is asked for the connection data,
//    if sis.interactivo and the data-access object has an access dialog. Otherwise a given
//    `ConnString` stands for the data (server, database, user and password are taken from it),
//    and without one the result is FaltanDatos.
// A later call, with the connection open, repeats only the common tail (lookup service,
// configuration, access log).
ResultadoInicio InicioSistema(Sistema& sis, bool UsarIni, std::string_view Parametros,
                              std::string_view ConnString, long lCursor);

// Opens the statistics connection ("TM_ESTADISTICAS" on the main server) and reads the command
// time-out into sis.TimeOut (360 when it cannot be read). Every failing step is skipped. On a
// local database file there is no statistics server: nothing is tried.
void ConectaEstadisticas(Sistema& sis);

// ---- the parameter line ----

// Reads the items of `linea`. Keys are found anywhere in the line, without regard to case, by
// their first occurrence; the value runs from the end of the key to the next ";" (so that it
// starts with "="), every "=" is removed and the rest trimmed. A key without a following ";"
// keeps the value of `previos`. An absent key gives the empty text, and "1" for "@Caja".
// "@Usuario" is a prefix of "@UsuarioLogeado", so it must stand first in the line.
ParametrosInicio LeeParametros(std::string_view linea, const ParametrosInicio& previos = {});

// Empty when the items read from a line are sound; otherwise the message that says, without
// repeating any value, which item swallowed "@Password" because the ";" after it is missing
// (as in "@usuario= U @Password= S;"). Such a line is never used to connect.
std::string LineaParametrosMalFormada(const ParametrosInicio& p);

// The value of one key by the rules above: `siAusente` when the key is absent, `anterior` when
// no ";" follows it.
std::string ValorParametro(std::string_view linea, std::string_view clave,
                           std::string_view anterior, std::string_view siAusente);

// The parameter line as the suite writes it.
std::string ArmaLineaParametros(std::string_view servidor, std::string_view base,
                                std::string_view usuario, std::string_view clave);

// ExtraeServidor (a server text reduced to its host) is declared in data/Scripts.h.

// The OraOLEDB connection string that start-up builds for a server marked with "#".
std::string CadenaOracle(std::string_view base, std::string_view usuario, std::string_view clave);

// ---- the workstation's INI file ----

// "QX000pr.INI" in the program's data folder.
std::string ArchivoIni(const Sistema& sis);
// The workstation section: machine name, "|" and identity, upper-cased and cut to 50
// characters.
std::string SeccionEstacion(std::string_view maquina, std::string_view identidad);
// The database section: the same three parts, uncut, followed by "BaseDeDatos".
std::string SeccionBaseDeDatos(std::string_view maquina, std::string_view identidad);
// The parameter line made from the database section of `archivo` for this workstation: server,
// database, user and password (the last two unscrambled; "Tamaris" and "mirlaso" by default),
// each without "|".
std::string LineaDesdeIni(const std::string& archivo, std::string_view maquina,
                          std::string_view identidad);

// ---- helpers ----

// The process command line as the suite passes it: the arguments after the program name,
// joined by blanks.
std::string LineaDeComandos(int argc, const char* const* argv);
// The connection string for a local database file: "Provider=SQLite;Data Source=FILE;".
std::string CadenaArchivoLocal(std::string_view archivo);
// Whether a connection string names a local database file (providers "SQLite",
// "Microsoft.Jet.OLEDB…", "Microsoft.ACE.OLEDB…").
bool EsCadenaArchivoLocal(std::string_view cadena);

}  // namespace tamaris
