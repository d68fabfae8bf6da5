#pragma once
// The global module's error treatment: the error dialog of the module's own routines with its
// line in the error log, and the process-error rows of the suite table AUX_ERR.

#include <optional>
#include <string>
#include <string_view>

#include "components/Error.h"

namespace tamaris {

struct ModuloDatos;

// Full path of the error log of the module's routines: "TMERR.LOG" in the folder named by TMP
// when TEMP is set, else (or when that is blank) in the workstation's default folder.
std::string RutaLogErrores();

// Shows the error with `Botones` (abort, retry and ignore with the critical icon when absent)
// under the title "<source> - <Rutina> Aviso al operador!!! ", through the shared connection's
// error policy (the operator is asked unless the front end installed another), appends its
// line to the log (Windows-1252, CR LF) and returns the answer: 4 retry, 5 go on, anything
// else leave.
// An error numbered 0 shows and logs nothing and answers 0. The log is opened before anything
// is shown: a log that cannot be opened or written throws ErrorTamaris to the caller.
// Connection-string passwords in the description never reach the dialog or the log.
int TrataError(ModuloDatos& sistema, const ErrorInfo& CodErr, std::optional<int> Botones = {},
               std::optional<std::string> Rutina = {});

// Records a process error as one row of AUX_ERR through the shared connection: process name,
// date and time ("dd/mm/yy hh:mm"), number, description fitted to 250 characters, the failed
// statement, the machine name and the shared connection's user. An empty `proceso` becomes the
// executable's name (in the caller's variable too). Never fails and never shows anything: a
// step that fails is skipped, and without an open connection or an AUX_ERR table nothing is
// written.
void RegistraErrorAux(ModuloDatos& sistema, std::string_view sentencia, std::string& proceso,
                      long numero, std::string_view descripcion);

}  // namespace tamaris
