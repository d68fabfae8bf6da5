#include "export_citi/FRMSiapCITI.h"

#include <cmath>

#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "export_citi/Formatos.h"

namespace tamaris {

namespace {

constexpr std::string_view kAvisoOperador = "AVISO AL OPERADOR";
constexpr std::string_view kSinMes = "Debe seleccionar un cuatrimestre a informar!!! ";
constexpr std::string_view kSinAnio = "Debe seleccionar el Año del cuatrimestre a informar!!! ";
constexpr std::string_view kAnioInvalido = "Debe informar un AÑO VALIDO!!! ";

bool Bisiesto(double anio) {
    if (anio != std::floor(anio)) return false;
    const auto a = static_cast<long long>(anio);
    return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
}

}  // namespace

const std::array<std::string_view, 13>& FRMSiapCITI::Meses() {
    static const std::array<std::string_view, 13> meses = {"(Seleccione un Mes)",
                                                           "Enero",
                                                           "Febrero",
                                                           "Marzo",
                                                           "Abril",
                                                           "Mayo",
                                                           "Junio",
                                                           "Julio",
                                                           "Agosto",
                                                           "Septiembre",
                                                           "Octubre",
                                                           "Noviembre",
                                                           "Diciembre"};
    return meses;
}

const std::array<std::string_view, 12>& FRMSiapCITI::EtiquetasMes() {
    static const std::array<std::string_view, 12> etiquetas = {
        "ENE", "FEB", "MAR", "ABR", "MAY", "JUN", "JUL", "AGO", "SEP", "OCT", "NOV", "DIC"};
    return etiquetas;
}

FRMSiapCITI::Panel* FRMSiapCITI::BarraEstado::Item(std::string_view clave) {
    for (Panel& p : Panels) {
        if (IgualSinCaso(p.Key, clave)) return &p;
    }
    return nullptr;
}

FRMSiapCITI::FRMSiapCITI(Sistema& sistema) : sistema_(sistema) {
    txtfields[kFechaDesde] = {"", "FECHA", "FECHA_DESDE", 10};
    txtfields[kFechaHasta] = {"", "FECHA", "FECHA_HASTA", 10};
    txtfields[kAnio] = {"", "", "AÑO", 0};
    for (const char* clave : {"MENSAJE", "SERVER", "USUARIO", "BASEDEDATOS", "CAJA", "VERSION"}) {
        sbStatusBar.Panels.push_back({clave, "", ""});
    }
}

void FRMSiapCITI::Load() {
    LlenaBarraEstado();
    Kitobar1.nuevoenabled = false;
    Kitobar1.borrarenabled = false;
    Kitobar1.reporteenabled = false;
    Kitobar1.planillaenabled = false;
    Kitobar1.cancelarenabled = false;
    Kitobar1.ButtonClick = [this](const std::string& clave) { Kitobar1_ButtonClick(clave); };
    cmbCuatrimestre.Clear();
    for (std::string_view mes : Meses()) cmbCuatrimestre.AddItem(std::string(mes));
}

void FRMSiapCITI::LlenaBarraEstado() {
    if (actualizaBarraEstado) {
        actualizaBarraEstado(sbStatusBar, "");
        return;
    }
    const DB_Dll& db = sistema_.db;
    const auto pon = [&](std::string_view clave, const std::string& texto) {
        if (Panel* p = sbStatusBar.Item(clave)) p->Text = p->ToolTipText = texto;
    };
    if (Panel* p = sbStatusBar.Item("MENSAJE")) p->Text.clear();
    pon("SERVER", "Srv: " + db.gServidor);
    pon("USUARIO", "Uid: " + db.gUsuario);
    pon("BASEDEDATOS", "Db: " + db.gDBName);
    pon("CAJA", sistema_.Caja.empty() ? std::string("1") : sistema_.Caja);
}

void FRMSiapCITI::Unload() {
    Descargado = true;
    if (alDescargar) alDescargar();
}

std::string FRMSiapCITI::Campo(std::string_view nombre) const {
    return TextoCampo(txtfields, nombre);
}

void FRMSiapCITI::SetCampo(std::string_view nombre, std::string_view valor) {
    FijaCampo(txtfields, nombre, valor);
}

void FRMSiapCITI::Aviso(std::string_view texto) {
    sistema_.ui.mensajes.Mostrar(texto, mb::kOk | mb::kCritico, kAvisoOperador);
}

void FRMSiapCITI::Kitobar1_ButtonClick(const std::string& clave) { AccionDeBoton(*this, clave); }

void FRMSiapCITI::txtfields_KeyDown(int /*indice*/, int& codigoTecla) { TeclaCampo(codigoTecla); }

int FRMSiapCITI::txtfields_KeyPress(int indice, int caracter) {
    return FiltraTeclaCaja(txtfields, indice, caracter);
}

void FRMSiapCITI::cmbCuatrimestre_Click() {
    SetCampo("FECHA_DESDE", "");
    SetCampo("FECHA_HASTA", "");
    const std::string anioTexto = Campo("AÑO");
    const double anio = ValorNumerico(anioTexto);
    if (anio == 0) {
        Aviso(kSinAnio);
        return;
    }
    if (anio < 1900 || anio > 2050) {
        Aviso(kAnioInvalido);
        return;
    }
    const int mes = cmbCuatrimestre.ListIndex;
    if (mes < 1 || mes > 12) return;
    const Regional& r = sistema_.db.regional;
    int dias = mes == 1 ? 31 : DiasDelMes(mes);
    // The year is known here, so February of a leap year keeps its 29th.
    if (mes == 2 && Bisiesto(anio)) dias = 29;
    const std::string mm = FormatoValor(Variant(mes), "00", r);
    SetCampo("FECHA_DESDE", "01/" + mm + "/" + anioTexto);
    SetCampo("FECHA_HASTA", FormatoValor(Variant(dias), "00", r) + "/" + mm + "/" + anioTexto);
    cmbCuatrimestre.Tag = std::string(EtiquetasMes()[static_cast<size_t>(mes - 1)]);
}

bool FRMSiapCITI::SeleccionaMes(int indice) {
    cmbCuatrimestre.ListIndex = indice;
    cmbCuatrimestre_Click();
    return !Campo("FECHA_DESDE").empty();
}

void FRMSiapCITI::CmdConsultar() {
    if (CampoActual < 0 || CampoActual >= static_cast<int>(txtfields.size())) return;
    CajaTexto& caja = txtfields[static_cast<size_t>(CampoActual)];
    if (IgualSinCaso(Trim(caja.Tag), "FECHA")) {
        caja.Text = Trim(sistema_.ui.fechas.Elegir(caja.Text));
    } else {
        SetCampo(caja.DataField, "");
        caja.Text.clear();
    }
}

std::string FRMSiapCITI::BrowseForDirectory() {
    return sistema_.ui.carpetas.Elegir("Seleccionar Directorio").value_or(std::string());
}

std::string FRMSiapCITI::NombreArchivo(std::string_view carpeta, std::string_view etiqueta,
                                       std::string_view hasta) {
    return NombreArchivoCiti(carpeta, etiqueta, hasta);
}

ResultadoCiti FRMSiapCITI::ActualizarDatos() {
    using Estado = ResultadoCiti::Estado;
    const auto termina = [&](Estado estado) {
        ultimo_ = {};
        ultimo_.estado = estado;
        return ultimo_;
    };
    if (cmbCuatrimestre.ListIndex < 0) {
        Aviso(kSinMes);
        return termina(Estado::DatosInvalidos);
    }
    const double anio = ValorNumerico(Campo("AÑO"));
    if (anio == 0) {
        Aviso(kSinAnio);
        return termina(Estado::DatosInvalidos);
    }
    if (anio < 1900 || anio > 2050) {
        Aviso(kAnioInvalido);
        return termina(Estado::DatosInvalidos);
    }
    FiltrosCiti filtros;
    filtros.desde = Campo("FECHA_DESDE");
    filtros.hasta = Campo("FECHA_HASTA");
    filtros.etiqueta = cmbCuatrimestre.Tag;
    filtros.eligeCarpeta = [this] { return BrowseForDirectory(); };
    ultimo_ = ExportaCiti(sistema_, filtros, opciones);
    return ultimo_;
}

}  // namespace tamaris
