#pragma once
// ARBA's perception file (Buenos Aires gross income): the typed entry point that the desktop
// form and the command line share. A month or a fortnight in; a result with counts, totals and
// findings out.

#include <string>

#include "app/Exportacion.h"
#include "app/Trabajo.h"
#include "app/Verificacion.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "export_arba/RegistroArba.h"

namespace tamaris {

struct FiltrosArba {
    int anio = 0;
    int mes = 0;
    int quincena = 0;        // 0 the whole month; 1 days 1 to 15; 2 from the 16th to the end
    std::string directorio;  // folder of the file
    std::string cuitAgente;  // the agent's CUIT, with or without hyphens
    int lote = 1;
};

// First and last day of the period; false when the year, month or fortnight is not one.
bool PeriodoArba(const FiltrosArba& f, Fecha& desde, Fecha& hasta);
// AR-<CUIT>-<AAAAMM><Q>-7-LOTE<N>.txt in the folder; `cuit` as eleven digits.
std::string NombreArchivoArba(const FiltrosArba& f, std::string_view cuit);
// The agent's CUIT as eleven digits, hyphens removed; empty when it is not a valid CUIT.
std::string CuitAgenteArba(std::string_view cuit);

// Outcome of one run of the ARBA job.
struct ResultadoArba {
    enum class Estado {
        NoEjecutado,     // the job has not run
        Completo,        // the file was written
        SinDatos,        // no perception in the period: nothing was written
        DatosInvalidos,  // period, lot or agent CUIT refused; nothing was read or written
        Abandonado,      // the operator left after a failure; the old file is as it was
        Revisado,        // check only: nothing was written
        Descartado,      // the check found problems and the job stopped; the old file is as it was
    };
    Estado estado = Estado::NoEjecutado;
    long comprobantes = 0;  // records written
    long omitidos = 0;      // vouchers skipped by the operator after a failure
    std::string archivo;    // destination path
    TotalesArba totales;    // of the records written
    Hallazgos hallazgos;
};

ResultadoArba ExportaArba(DB_Dll& db, Ui& ui, const FiltrosArba& filtros,
                          const OpcionesExportacion& opciones = {});

// The statement of the period: the entries the perception file takes (invoices, debit and credit
// notes with a perception), by date. `desde` and `hastaExcluido` are date literals of the
// platform; `conSucursal` when MV_ASIENTOS has that column.
std::string SentenciaArba(std::string_view desde, std::string_view hastaExcluido, bool conSucursal);

// What the read-back of an ARBA file found.
struct VerificacionArba : Verificacion {
    long registros = 0;
    TotalesArba totales;
};

// Reads `archivo` back and checks every record. With `db`, also reads MV_ASIENTOS for the
// period with a query of its own and reconciles the file with it, voucher by voucher. Throws
// ErrorTamaris when the file cannot be read or the ledger cannot be read through.
VerificacionArba VerificaArba(const std::string& archivo, DB_Dll* db, const FiltrosArba& periodo);

// ARBA's perception file as a job of the registry ("arba").
const TrabajoArchivo& TrabajoArba();

}  // namespace tamaris
