#pragma once
// The perception export job: the typed entry point that the desktop form and the command line
// share. Filters in; a result with counts, totals and findings out.

#include <string>

#include "app/Exportacion.h"
#include "app/Trabajo.h"
#include "app/Verificacion.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "export_perceptions/LineaPercepcion.h"

namespace tamaris {

struct FiltrosPercepcion {
    std::string desde;    // first date, DD/MM/YYYY; empty for no lower bound
    std::string hasta;    // last date, DD/MM/YYYY, included whole; empty for no upper bound
    std::string cuenta;   // account code; empty for every account
    std::string archivo;  // destination; ".txt" is added when it does not end in "txt"
};

// Outcome of one run of the export job.
struct ResultadoExportacion {
    enum class Estado {
        NoEjecutado,      // the job has not run
        Completo,         // the file was written
        SinComprobantes,  // nothing to export: no file of that name exists afterwards
        DatosInvalidos,   // a typed value was refused; nothing was touched
        Abandonado,       // the operator left after a failure; the old file is as it was
        Revisado,         // check only: nothing was written
        Descartado,       // the check found problems and the job stopped; the old file is as it was
        Cancelado,        // the operator stopped the job; the old file is as it was
    };
    Estado estado = Estado::NoEjecutado;
    long comprobantes = 0;      // lines written
    long omitidos = 0;          // rows skipped by the operator after a failure
    std::string archivo;        // destination path
    bool borrado = false;       // no voucher: an older file of that name was deleted
    TotalesPercepcion totales;  // of the lines written
    Hallazgos hallazgos;        // what the check found
};

ResultadoExportacion ExportaPercepciones(DB_Dll& db, Ui& ui, const FiltrosPercepcion& filtros,
                                         const OpcionesExportacion& opciones = {});

// The statement the job runs. `desde` and `hastaExcluido` are date literals of the platform
// (quotes included) or empty: the range is FECHA >= desde and FECHA < hastaExcluido, so that the
// whole last day is in it whatever time of day a voucher carries.
std::string SentenciaPercepciones(std::string_view desde, std::string_view hastaExcluido,
                                  std::string_view cuenta);

// The plain query the read-back reads the ledger with: every entry of the period (and account)
// with a perception, whatever its type; the read-back decides by itself which the file takes.
std::string SentenciaLibroPercepciones(std::string_view desde, std::string_view hastaExcluido,
                                       std::string_view cuenta);

// What the read-back of a perception file found.
struct VerificacionPercepciones : Verificacion {
    long lineas = 0;
    TotalesPercepcion totales;
};

// Reads `archivo` back and checks every line. With `db`, also reads the ledger for `filtros`
// with its own query and reconciles the file with it, voucher by voucher. Throws ErrorTamaris when
// the file cannot be read or the ledger cannot be read through.
VerificacionPercepciones VerificaPercepciones(const std::string& archivo, DB_Dll* db, Ui* ui,
                                              const FiltrosPercepcion& filtros);

// The perception file as a job of the registry ("percepciones").
const TrabajoArchivo& TrabajoPercepciones();

}  // namespace tamaris
