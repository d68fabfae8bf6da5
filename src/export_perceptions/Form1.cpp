#include "export_perceptions/Form1.h"

#include <filesystem>

#include "components/Estacion.h"
#include "components/Texto.h"

namespace tamaris {

Form1::Form1(Ui& ui, DB_Dll& db) : ui_(ui), db_(db) {
    txtfields[kFechaDesde] = {"", "FECHA", "FechaDesde", 10};
    txtfields[kFechaHasta] = {"", "FECHA", "FechaHasta", 10};
    txtfields[kCuenta] = {"", "Cuenta", "Cuenta", 0};
    txtfields[kArchivo] = {"", "", "Archivo", 0};
}

void Form1::Load() {
    Kitobar1.nuevoenabled = false;
    Kitobar1.borrarenabled = false;
    Kitobar1.reporteenabled = false;
    Kitobar1.planillaenabled = false;
    Kitobar1.cancelarenabled = false;
    Kitobar1.ButtonClick = [this](const std::string& clave) { Kitobar1_ButtonClick(clave); };
}

void Form1::Unload() {
    Descargado = true;
    if (alDescargar) alDescargar();
}

std::string Form1::Campo(std::string_view nombre) const { return TextoCampo(txtfields, nombre); }

void Form1::SetCampo(std::string_view nombre, std::string_view valor) {
    FijaCampo(txtfields, nombre, valor);
}

void Form1::Kitobar1_ButtonClick(const std::string& clave) { AccionDeBoton(*this, clave); }

void Form1::txtfields_KeyDown(int /*indice*/, int& codigoTecla) { TeclaCampo(codigoTecla); }

int Form1::txtfields_KeyPress(int indice, int caracter) {
    return FiltraTeclaCaja(txtfields, indice, caracter);
}

void Form1::Command1_Click() {
    DialogoArchivo& d = ui_.archivo;
    d.DialogTitle = "Seleccionar Destino";
    d.Filter = "Archivos De Texto(TXT)|*.txt";
    d.CancelError = true;
    d.InitDir = CarpetaPrograma();
    // The last destination's folder is where the next one most likely goes.
    const std::string actual = Trim(Campo("Archivo"));
    if (const auto carpeta = std::filesystem::path(actual).parent_path(); !carpeta.empty())
        d.InitDir = carpeta.string();
    d.FileName = actual;
    d.Cancelado = false;
    try {
        d.ShowSave();
        if (d.Cancelado) d.FileName.clear();
        SetCampo("Archivo", Trim(d.FileName));
    } catch (const std::exception& e) {
        ui_.mensajes.Mostrar("Error " + std::to_string(InfoDeExcepcion(e).Numero), mb::kOk, "");
    }
}

void Form1::CmdConsultar() {
    if (CampoActual < 0 || CampoActual >= static_cast<int>(txtfields.size())) return;
    CajaTexto& caja = txtfields[static_cast<size_t>(CampoActual)];
    const std::string tag = Trim(caja.Tag);
    if (IgualSinCaso(tag, "FECHA")) {
        caja.Text = Trim(ui_.fechas.Elegir(caja.Text));
    } else if (IgualSinCaso(tag, "Cuenta")) {
        if (!consultaCuentas) return;
        const std::string valor =
            consultaCuentas("SELECT Descripcion,Codigo FROM MA_CUENTAS order by codigo", "CODIGO");
        if (!valor.empty()) caja.Text = valor;
    } else {
        SetCampo(caja.DataField, "");
    }
}

ResultadoExportacion Form1::ActualizarDatos() {
    FiltrosPercepcion filtros;
    filtros.archivo = Campo("Archivo");
    filtros.desde = Campo("FechaDesde");
    filtros.hasta = Campo("FechaHasta");
    filtros.cuenta = Campo("Cuenta");
    ultimo_ = ExportaPercepciones(db_, ui_, filtros, opciones);
    return ultimo_;
}

}  // namespace tamaris
