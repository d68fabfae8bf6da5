#pragma once
// The CITI Ventas export job: the typed entry point that the desktop form and the command line
// share. A period in; a result with counts, totals and findings out.

#include <functional>
#include <string>

#include "app/Exportacion.h"
#include "app/Trabajo.h"
#include "app/Sistema.h"
#include "app/Verificacion.h"
#include "export_citi/RegistroCiti.h"

namespace tamaris {

struct FiltrosCiti {
    std::string desde;     // first day of the period, DD/MM/YYYY
    std::string hasta;     // last day, DD/MM/YYYY, included whole
    std::string etiqueta;  // month tag that starts the file name ("ENE" … "DIC")
    // Chooses the destination folder once the records are made; empty cancels.
    std::function<std::string()> eligeCarpeta;
};

// The period of a month: 01/MM/YYYY to its last day (February of a leap year ends on the 29th).
FiltrosCiti PeriodoCiti(int anio, int mes);

// Outcome of one run of the CITI job.
struct ResultadoCiti {
    enum class Estado {
        NoEjecutado,     // the job has not run
        Completo,        // the file is in the chosen folder
        SinDatos,        // no voucher in the period ("NO HAY DATOS PARA LISTAR!!!")
        DatosInvalidos,  // month, year or dates refused; nothing was read or written
        SinCarpeta,      // the operator chose no folder; nothing was written
        Abandonado,      // the operator left after a failure; the folder is as it was
        Revisado,        // check only: nothing was written
        Descartado,      // the check found problems and the job stopped; nothing was written
        Cancelado,       // the operator stopped the job; nothing was written
    };
    Estado estado = Estado::NoEjecutado;
    long comprobantes = 0;  // vouchers written
    long registros = 0;     // records written (one per voucher and VAT rate)
    long omitidos = 0;      // vouchers skipped by the operator after a failure
    std::string archivo;    // destination path, once the folder is chosen
    TotalesCiti totales;    // of the records written
    Hallazgos hallazgos;    // what the check found
};

ResultadoCiti ExportaCiti(Sistema& sistema, const FiltrosCiti& filtros,
                          const OpcionesExportacion& opciones = {});

// The statement of the period. `desde` and `hastaExcluido` are date literals of the platform
// (quotes included): FECHA >= desde and FECHA < hastaExcluido, so the whole last day is in it.
std::string SentenciaCiti(std::string_view desde, std::string_view hastaExcluido);
// Destination in `carpeta` for the month tag and the period end: ENE013.TXT for "ENE" and
// 31/01/2013.
std::string NombreArchivoCiti(std::string_view carpeta, std::string_view etiqueta,
                              std::string_view hasta);

// Adds a finding for each voucher of the sales VAT book that the statement leaves out whatever
// the period (no date, or a date the platform cannot compare) and, in the period (date literals
// of the platform), each with VAT but no total. Other files read with the same statement share it.
void RevisaOmitidosLibroVentas(DB_Dll& db, const std::string& desde, const std::string& hasta,
                               Hallazgos& h);

// The plain query the read-back reads the sales VAT book with: every voucher of the period, by
// date; the read-back decides by itself which the file takes.
std::string SentenciaLibroCiti(std::string_view desde, std::string_view hastaExcluido);

// What the read-back of a CITI file found.
struct VerificacionCiti : Verificacion {
    long registros = 0;
    TotalesCiti totales;
};

// Reads `archivo` back and checks every record and voucher. With `sistema`, also reads the
// ledger for the period with its own query and reconciles the file with it, voucher by voucher.
// Throws ErrorTamaris when the file cannot be read or the ledger cannot be read through.
VerificacionCiti VerificaCiti(const std::string& archivo, Sistema* sistema,
                              const FiltrosCiti& filtros);

// The CITI Ventas file as a job of the registry ("citi").
const TrabajoArchivo& TrabajoCiti();

}  // namespace tamaris
