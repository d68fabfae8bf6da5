#pragma once
// The CITI Ventas export form, "Generar Archivo AFIP C.I.T.I. VENTAS": the year, the month, the
// period it gives, the toolbar and the status bar. GRABAR writes the CITI Ventas file of the
// period into a folder the operator chooses. Headless: it holds its controls' state and handles
// their events, and reaches the operator only through the UI ports. The desktop program binds
// widgets to it; the command line types the year, picks the month and presses GRABAR.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Sistema.h"
#include "components/Campos.h"
#include "components/Kitobar.h"
#include "export_citi/ExportaCiti.h"

namespace tamaris {

class FRMSiapCITI {
  public:
    // Indexes of the data-entry boxes.
    enum { kFechaDesde = 0, kFechaHasta = 1, kAnio = 2 };

    // A drop-down list: its entries, the selected index (-1 for none) and a tag.
    struct ComboBox {
        std::vector<std::string> List;
        int ListIndex = -1;
        std::string Tag;
        void Clear() {
            List.clear();
            ListIndex = -1;
        }
        void AddItem(std::string texto) { List.push_back(std::move(texto)); }
        int ListCount() const { return static_cast<int>(List.size()); }
    };

    // Status bar panels by key: "MENSAJE", "SERVER", "USUARIO", "BASEDEDATOS", "CAJA",
    // "VERSION".
    struct Panel {
        std::string Key, Text, ToolTipText;
    };
    struct BarraEstado {
        std::vector<Panel> Panels;
        Panel* Item(std::string_view clave);  // nullptr when there is no such panel
    };

    // Entries of the month list (index 0 asks for a month) and the tags of months 1 to 12.
    static const std::array<std::string_view, 13>& Meses();
    static const std::array<std::string_view, 12>& EtiquetasMes();

    // The program's state after start-up: connection, configuration, UI ports.
    explicit FRMSiapCITI(Sistema& sistema);

    std::string Caption = "Generar Archivo AFIP C.I.T.I. VENTAS";
    std::array<CajaTexto, 3> txtfields;
    ComboBox cmbCuatrimestre;
    Kitobar Kitobar1;
    BarraEstado sbStatusBar;
    int CampoActual = 0;  // index of the box that last got the focus
    bool Descargado = false;

    // Fills the status bar (the suite's ActualizaBarraEstado); when unset, Load shows the
    // connection data and the cash register itself.
    std::function<void(BarraEstado&, std::string_view mensaje)> actualizaBarraEstado;
    // Called when the form is unloaded (the program ends).
    std::function<void()> alDescargar;

    // Load steps after the start-up: status bar, toolbar (GRABAR, CONSULTAR and CERRAR usable)
    // and the month list, with no month selected.
    void Load();
    void Unload();

    // Events.
    void Form_KeyDown(int& codigoTecla) { Kitobar1.TeclaBarra(codigoTecla); }
    void Kitobar1_ButtonClick(const std::string& clave);
    void txtfields_GotFocus(int indice) { CampoActual = indice; }
    void txtfields_KeyDown(int indice, int& codigoTecla);
    int txtfields_KeyPress(int indice, int caracter);
    // Period selection: fills the period dates and the month tag for the selected month of
    // the year typed, or tells the operator why it cannot.
    void cmbCuatrimestre_Click();
    // Selects entry `indice` of the month list and raises the click; true when the period
    // dates were filled.
    bool SeleccionaMes(int indice);

    // The lookup command on the current field: the date picker on a date, else it empties the
    // field.
    void CmdConsultar();
    // Folder choice; empty when the operator cancels.
    std::string BrowseForDirectory();
    // The CITI job (GRABAR).
    ResultadoCiti ActualizarDatos();

    // Text of the box bound to a field name (empty when none).
    std::string Campo(std::string_view nombre) const;
    void SetCampo(std::string_view nombre, std::string_view valor);

    const ResultadoCiti& UltimoResultado() const { return ultimo_; }

    // How the job weighs what its check finds; the desktop sets the question it asks.
    OpcionesExportacion opciones;

    // Destination in `carpeta` for the month tag and the period end: ENE013.TXT for "ENE" and
    // 31/01/2013.
    static std::string NombreArchivo(std::string_view carpeta, std::string_view etiqueta,
                                     std::string_view hasta);

  private:
    void Aviso(std::string_view texto);
    void LlenaBarraEstado();

    Sistema& sistema_;
    ResultadoCiti ultimo_;
};

}  // namespace tamaris
