#pragma once
// The suite's configuration rows (key/value rows of the configuration table of the main and of
// the statistics database), the two settings this program consults, the access log and the
// default lookup-mask file.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Sistema.h"
#include "components/Variant.h"
#include "lookup/Mascaras.h"

namespace tamaris {

// Value of a key in the main database; `ValorAux` receives the auxiliary value. A missing key
// reads as a single blank; a blank "THEME" reads "1". Empty when the connection is not open.
// Failures go to the module's error treatment (routine "Cfg"): "ignore" goes on, any other
// answer returns what has been read so far.
std::string LeerConfiguracion(Sistema& sis, std::string_view Clave, std::string& ValorAux);
std::string LeerConfiguracion(Sistema& sis, std::string_view Clave);
// The same on the statistics connection (routine "CfgTM").
std::string LeerConfiguracionEstadisticas(Sistema& sis, std::string_view Clave,
                                          std::string& ValorAux);
std::string LeerConfiguracionEstadisticas(Sistema& sis, std::string_view Clave);

// The configuration lookup of the lookup service: the value of `Clave`, or `Defecto` when the
// value is blank (a missing key included).
std::string ValorConfiguracion(Sistema& sis, std::string_view Clave, std::string_view Defecto);
// The same, bound to `sis`, in the form the lookup service takes it.
std::function<std::string(std::string_view, std::string_view)> LectorConfiguracion(Sistema& sis);

// Creates or replaces a key in the statistics database: group, key (trimmed, upper-case), value
// (trimmed when `RecortaValor`), business-policy flag, and the auxiliary value (trimmed) when
// it is not empty. A failing step is skipped; without the statistics connection nothing is
// written.
void GrabaConfiguracion(Sistema& sis, std::string_view Clave, const Variant& Valor,
                        std::string_view ValorAux, bool PoliticaNegocio, std::string_view Grupo,
                        bool RecortaValor);

// The loader: the configuration table becomes "ta_configuracion", and CantidadDecimales and
// Confidencialidad are read (db.Confidencialidad too). A failing step is skipped, and a
// database without the table keeps the values as they were.
void CargaConfiguracion(Sistema& sis, std::string_view CarpetaAplicacion);

// The access-log row of this start (table Control_Acceso): machine, user, program, task, time
// and user name. `Formulario` empty means the program's own name. A failing step is skipped,
// and a database without Control_Acceso records nothing.
void RegistraAcceso(Sistema& sis, std::string_view Formulario);

// The task of a user for a program, read from TA_TAREAS and TA_MENU; when there is none,
// "Menu Principal" for the suite's main menu and the program's name for the database's own
// login or the suite's supervisor.
std::string TareaDeAcceso(Sistema& sis, std::string_view programa);

// The eleven default records of the lookup-mask file.
const std::vector<MascaraConsulta>& MascarasPorDefecto();
// Writes the default lookup-mask records into the file at sis.consultas.gRutaMascaraConsultas
// (after the records already there). Throws ErrorTamaris when the file cannot be written.
void CreaMascarasConsultas(Sistema& sis);

}  // namespace tamaris
