#pragma once
// The Libro de IVA Digital sales export job: the typed entry point that the desktop form and the
// command line share. A month in; the voucher file and the aliquot file, counts, totals and
// findings out.

#include <functional>
#include <string>

#include "app/Exportacion.h"
#include "app/Trabajo.h"
#include "app/Sistema.h"
#include "app/Verificacion.h"
#include "export_libro_iva/RegistroLibroIva.h"

namespace tamaris {

struct FiltrosLibroIva {
    int anio = 0;
    int mes = 0;  // 1 to 12
    // Chooses the destination folder before anything is read; empty cancels. Not asked when
    // only checking.
    std::function<std::string()> eligeCarpeta;
};

struct ResultadoLibroIva {
    enum class Estado {
        NoEjecutado,
        Completo,        // both files are in the chosen folder
        SinDatos,        // no voucher in the month ("NO HAY DATOS PARA LISTAR!!!")
        DatosInvalidos,  // month or year refused; nothing was read or written
        SinCarpeta,      // the operator chose no folder; nothing was written
        Abandonado,      // the operator left after a failure; the folder is as it was
        Revisado,        // check only: nothing was written
        Descartado,      // the check found problems and the job stopped; nothing was written
    };
    Estado estado = Estado::NoEjecutado;
    long comprobantes = 0;  // voucher records written
    long alicuotas = 0;     // aliquot records written
    long omitidos = 0;      // vouchers left out (by the operator after a failure, or not filed)
    long revisados = 0;     // vouchers the check went through
    std::string archivoComprobantes, archivoAlicuotas;
    TotalesLibroIva totales;
    Hallazgos hallazgos;
};

ResultadoLibroIva ExportaLibroIva(Sistema& sistema, const FiltrosLibroIva& filtros,
                                  const OpcionesExportacion& opciones = {});

// LIBRO_IVA_DIGITAL_VENTAS_CBTE_201301.txt and LIBRO_IVA_DIGITAL_VENTAS_ALICUOTAS_201301.txt in
// `carpeta`.
std::string NombreComprobantesLibro(std::string_view carpeta, int anio, int mes);
std::string NombreAlicuotasLibro(std::string_view carpeta, int anio, int mes);

// The plain query the read-back reads the sales VAT book with: every voucher of the period, by
// date; the read-back decides by itself which ones the files take.
std::string SentenciaLibroDigital(std::string_view desde, std::string_view hastaExcluido);

struct VerificacionLibroIva : Verificacion {
    long comprobantes = 0;  // voucher records read
    long alicuotas = 0;     // aliquot records read
    TotalesLibroIva totales;
};

// Reads the two files back and checks every record, the records of each voucher against each
// other and the two files against each other. With `sistema` and a month, also reads the ledger
// with its own query and reconciles voucher by voucher. Throws ErrorTamaris when a file or the
// ledger cannot be read.
VerificacionLibroIva VerificaLibroIva(const std::string& comprobantes, const std::string& alicuotas,
                                      Sistema* sistema, int anio, int mes);

// The Libro de IVA Digital sales files as a job of the registry ("libro-iva").
const TrabajoArchivo& TrabajoLibroIva();

}  // namespace tamaris
