#pragma once
// The ARBA perception form, "Generar Archivo de Percepciones ARBA": year, month, fortnight, the
// agent's CUIT and the lot, the toolbar (GRABAR, CERRAR). GRABAR writes the file of the period
// into a folder the operator chooses. Headless: it holds its fields and handles the toolbar, and
// reaches the operator only through the UI ports; the desktop binds widgets to it.

#include <functional>
#include <string>

#include "app/Sistema.h"
#include "components/Kitobar.h"
#include "export_arba/ExportaArba.h"

namespace tamaris {

class FormArba {
  public:
    // The configuration key the agent's CUIT is read from when the form loads.
    static constexpr const char* kClaveCuitAgente = "CUIT_AGENTE_ARBA";

    explicit FormArba(Sistema& sistema);

    std::string Caption = "Generar Archivo de Percepciones ARBA";
    // The fields as typed.
    std::string anio, mes, cuitAgente, lote = "1";
    int quincena = 0;  // 0 the month, 1 or 2 a fortnight
    Kitobar Kitobar1;
    bool Descargado = false;
    std::function<void()> alDescargar;
    // How the job weighs what its check finds; the desktop sets the question it asks.
    OpcionesExportacion opciones;

    // The toolbar (GRABAR and CERRAR) and the agent's CUIT from the configuration.
    void Load();
    void Unload();
    void Kitobar1_ButtonClick(const std::string& clave) { AccionDeBoton(*this, clave); }
    void CmdConsultar() {}

    // The ARBA job (GRABAR): checks the fields, asks for the folder, writes the file.
    ResultadoArba ActualizarDatos();
    const ResultadoArba& UltimoResultado() const { return ultimo_; }

  private:
    void Rechaza(const std::string& texto);
    Sistema& sistema_;
    ResultadoArba ultimo_;
};

}  // namespace tamaris
