#pragma once
// The perception export form, "Generar Archivo ": the filters, the destination file and the
// toolbar. Headless: it holds its controls' state and handles their events, and reaches the
// operator only through the UI ports. The desktop program binds widgets to it; the command
// line fills its fields and presses GRABAR.

#include <array>
#include <functional>
#include <string>

#include "components/Campos.h"
#include "components/Kitobar.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace tamaris {

class Form1 {
  public:
    // Indexes of the data-entry boxes.
    enum { kFechaDesde = 0, kFechaHasta = 1, kCuenta = 2, kArchivo = 3 };

    Form1(Ui& ui, DB_Dll& db);

    std::string Caption = "Generar Archivo ";
    std::array<CajaTexto, 4> txtfields;
    Kitobar Kitobar1;
    int CampoActual = 0;  // index of the box that last got the focus
    bool Descargado = false;

    // Runs the account lookup; set by whoever provides the lookup service. Returns the chosen
    // code, empty when none was chosen.
    std::function<std::string(const std::string& sql, const std::string& campoDevuelto)>
        consultaCuentas;
    // Called when the form is unloaded (the program ends).
    std::function<void()> alDescargar;

    // Load steps after the start-up: toolbar set-up (GRABAR, CONSULTAR and CERRAR usable).
    void Load();
    void Unload();

    // Events.
    void Form_KeyDown(int& codigoTecla) { Kitobar1.TeclaBarra(codigoTecla); }
    void Kitobar1_ButtonClick(const std::string& clave);
    void txtfields_GotFocus(int indice) { CampoActual = indice; }
    void txtfields_KeyDown(int indice, int& codigoTecla);
    int txtfields_KeyPress(int indice, int caracter);
    void Command1_Click();

    // The lookup command on the current field.
    void CmdConsultar();
    // The export job (GRABAR).
    ResultadoExportacion ActualizarDatos();

    // Text of the box bound to a field name (empty when none).
    std::string Campo(std::string_view nombre) const;
    void SetCampo(std::string_view nombre, std::string_view valor);

    const ResultadoExportacion& UltimoResultado() const { return ultimo_; }

    // How the job weighs what its check finds; the desktop sets the question it asks.
    OpcionesExportacion opciones;

  private:
    Ui& ui_;
    DB_Dll& db_;
    ResultadoExportacion ultimo_;
};

}  // namespace tamaris
