#pragma once
// The Libro de IVA Digital sales form, "Generar Libro de IVA Digital - Ventas": the year, the
// month and GRABAR, which writes the voucher file and the aliquot file of the month into a
// folder the operator chooses. Headless: it holds its fields and reaches the operator only
// through the UI ports; the desktop binds widgets to it.

#include <string>

#include "app/Sistema.h"
#include "export_libro_iva/ExportaLibroIva.h"

namespace tamaris {

class FormLibroIva {
  public:
    explicit FormLibroIva(Sistema& sistema) : sistema_(sistema) {}

    std::string Caption = "Generar Libro de IVA Digital - Ventas";
    std::string anio;  // as typed
    int mes = 0;       // 1 to 12; 0 when none is chosen

    // How the job weighs what its check finds; the desktop sets the question it asks.
    OpcionesExportacion opciones;

    // GRABAR: tells the operator why the year or the month will not do, or runs the job with
    // the folder the operator chooses.
    ResultadoLibroIva Grabar();
    const ResultadoLibroIva& UltimoResultado() const { return ultimo_; }
    // One line for the status bar about the last run.
    std::string TextoResultado() const;

  private:
    Sistema& sistema_;
    ResultadoLibroIva ultimo_;
};

}  // namespace tamaris
