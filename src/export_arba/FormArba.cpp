#include "export_arba/FormArba.h"

#include "app/Configuracion.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

bool LeeEntero(const std::string& t, int minimo, int maximo, int& v) {
    const std::string s = Trim(t);
    if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    v = std::stoi(s);
    return v >= minimo && v <= maximo;
}

}  // namespace

FormArba::FormArba(Sistema& sistema) : sistema_(sistema) {}

void FormArba::Load() {
    Kitobar1.nuevoenabled = false;
    Kitobar1.borrarenabled = false;
    Kitobar1.reporteenabled = false;
    Kitobar1.consultaenabled = false;
    Kitobar1.planillaenabled = false;
    Kitobar1.cancelarenabled = false;
    Kitobar1.ButtonClick = [this](const std::string& clave) { Kitobar1_ButtonClick(clave); };
    if (Trim(cuitAgente).empty()) cuitAgente = Trim(LeerConfiguracion(sistema_, kClaveCuitAgente));
}

void FormArba::Unload() {
    Descargado = true;
    if (alDescargar) alDescargar();
}

void FormArba::Rechaza(const std::string& texto) {
    sistema_.ui.mensajes.Mostrar(texto, mb::kOk | mb::kCritico, "AVISO AL OPERADOR");
    ultimo_ = {};
    ultimo_.estado = ResultadoArba::Estado::DatosInvalidos;
}

ResultadoArba FormArba::ActualizarDatos() {
    FiltrosArba f;
    f.quincena = quincena;
    if (!LeeEntero(anio, 1900, 9998, f.anio)) {
        Rechaza("Debe informar un AÑO VALIDO!!! ");
        return ultimo_;
    }
    if (!LeeEntero(mes, 1, 12, f.mes)) {
        Rechaza("Debe seleccionar un mes a informar!!! ");
        return ultimo_;
    }
    if (!LeeEntero(lote, 1, 999999, f.lote)) {
        Rechaza("El número de lote debe ser de 1 a 999999.");
        return ultimo_;
    }
    // The agent's CUIT is checked before the operator is asked for a folder.
    if (CuitAgenteArba(cuitAgente).empty()) {
        Rechaza("El CUIT del agente de percepción \"" + Trim(cuitAgente) +
                "\" no es válido: once dígitos con su dígito verificador.");
        return ultimo_;
    }
    f.cuitAgente = cuitAgente;
    if (opciones.modo != ModoRevision::Revisar) {
        f.directorio =
            sistema_.ui.carpetas.Elegir("Seleccionar Directorio").value_or(std::string());
        if (f.directorio.empty()) {
            ultimo_ = {};
            ultimo_.estado = ResultadoArba::Estado::Abandonado;
            return ultimo_;
        }
    }
    ultimo_ = ExportaArba(sistema_.db, sistema_.ui, f, opciones);
    return ultimo_;
}

}  // namespace tamaris
