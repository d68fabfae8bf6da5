#include "export_perceptions/Form1.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "export_perceptions/LineaPercepcion.h"

namespace tamaris {

namespace {

constexpr std::string_view kAvisoOperador = "AVISO AL OPERADOR";

std::string ComillasDobles(std::string_view valor) { return ReemplazaExacto(valor, "'", "''"); }

// A typed date must be a real day/month/year date before it reaches a statement.
bool FechaValida(std::string_view texto) {
    Fecha f;
    return Fecha::DesdeDma(texto, f) && !f.TieneHora();
}

void BorraArchivo(const std::string& ruta) {
    if (!ExisteArchivo(ruta)) return;
    if (std::remove(ruta.c_str()) != 0) {
        throw ErrorTamaris(err::kPermisoDenegado,
                           "No se puede borrar el archivo " + ruta + ": " + std::strerror(errno));
    }
}

}  // namespace

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
    d.Cancelado = false;
    try {
        d.ShowOpen();
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

std::string Form1::ArmaSentencia(std::string_view desde, std::string_view hasta,
                                 std::string_view cuenta) {
    std::string filtro;
    if (!desde.empty() && !hasta.empty()) {
        filtro = " (FECHA >='" + std::string(desde) + "' AND FECHA<='" + std::string(hasta) + "')";
    } else if (!desde.empty()) {
        filtro = " (FECHA >='" + std::string(desde) + "')";
    } else if (!hasta.empty()) {
        filtro = " (FECHA <='" + std::string(hasta) + "')";
    }
    if (!cuenta.empty()) {
        const std::string parte = "(CUENTA='" + ComillasDobles(cuenta) + "')";
        filtro += filtro.empty() ? " " + parte : " AND " + parte;
    }
    std::string sql =
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1, ";
    sql +=
        " FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' "
        "END AS C3, LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS "
        "C8, ";
    sql +=
        " LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
        "(LIVA_Ret_IBtos <> 0) ";
    if (!filtro.empty()) sql += " AND " + filtro;
    return sql;
}

ResultadoExportacion Form1::ActualizarDatos() {
    using Estado = ResultadoExportacion::Estado;
    ResultadoExportacion res;
    VentanaProgreso& progreso = ui_.progreso;

    // A failing step closes the progress window and asks the operator; going on reopens it.
    const auto trata = [&](const ErrorInfo& e) {
        progreso.Cerrar();
        const int r = ui_.errores.Reportar(e, "ActualizarDatos");
        if (r == kReintentar || r == kIgnorar) progreso.Abrir("Procesando");
        return r;
    };
    const auto termina = [&](Estado estado) {
        res.estado = estado;
        ultimo_ = res;
        return res;
    };

    progreso.Abrir("Procesando");
    progreso.Mensaje("Procesando...", "Espere porfavor...");

    std::string ruta = Trim(Campo("Archivo"));
    if (!TerminaSinCaso(ruta, "txt")) ruta += ".txt";
    res.archivo = ruta;

    const std::string desde = Trim(Campo("FechaDesde"));
    const std::string hasta = Trim(Campo("FechaHasta"));
    const std::string cuenta = Trim(Campo("Cuenta"));
    for (const auto& [valor, nombre] : {std::pair{desde, "Fecha Desde"}, {hasta, "Hasta"}}) {
        if (!valor.empty() && !FechaValida(valor)) {
            progreso.Cerrar();
            ui_.mensajes.Mostrar("La fecha \"" + valor + "\" del campo " + nombre +
                                     " no es una fecha válida.\rEscríbala como DD/MM/AAAA "
                                     "(por ejemplo 31/01/2013).",
                                 mb::kOk | mb::kExclamacion, kAvisoOperador);
            return termina(Estado::DatosInvalidos);
        }
    }

    std::string sql = ArmaSentencia(desde, hasta, cuenta);
    progreso.Mensaje("Creando Archivo");

    Recordset rs;
    const bool abierto = EjecutaPaso(
        [&] {
            db_.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
            if (rs.State() == adStateClosed) {
                throw ErrorTamaris(err::kConexionInvalida,
                                   "No se pudieron leer los comprobantes de la base de datos.");
            }
        },
        trata);
    if (!abierto || rs.State() == adStateClosed) return termina(Estado::Abandonado);

    if (rs.BOF()) {
        // Nothing to export: the file of that name goes, as an empty run leaves none.
        db_.CierraRecordset(rs);
        const bool borrado = EjecutaPaso([&] { BorraArchivo(ruta); }, trata);
        progreso.Cerrar();
        return termina(borrado ? Estado::SinComprobantes : Estado::Abandonado);
    }

    std::unique_ptr<ArchivoSeguro> archivo;
    std::unique_ptr<LineaPercepcion> armador;
    if (!EjecutaPaso(
            [&] {
                archivo = std::make_unique<ArchivoSeguro>(ruta);
                armador = std::make_unique<LineaPercepcion>(rs, db_.regional);
            },
            trata) ||
        !archivo || !armador) {
        db_.CierraRecordset(rs);
        return termina(Estado::Abandonado);
    }

    std::string linea;
    linea.reserve(kAnchoLineaPercepcion + 8);
    while (!rs.Eof()) {
        bool escrita = false;
        const bool seguir = EjecutaPaso(
            [&] {
                armador->Arma(rs, linea);
                progreso.Mensaje(armador->C1());
                archivo->EscribeLinea(linea);
                escrita = true;
            },
            trata);
        if (!seguir) {
            db_.CierraRecordset(rs);
            return termina(Estado::Abandonado);
        }
        if (escrita) {
            ++res.comprobantes;
        } else {
            ++res.omitidos;
        }
        progreso.Avance(res.comprobantes + res.omitidos);
        // A row that cannot be read past cannot be skipped: going on would lose the rest.
        if (!EjecutaPasoObligatorio([&] { rs.MoveNext(); }, trata)) {
            db_.CierraRecordset(rs);
            return termina(Estado::Abandonado);
        }
    }
    db_.CierraRecordset(rs);

    if (!EjecutaPasoObligatorio([&] { archivo->Confirmar(); }, trata))
        return termina(Estado::Abandonado);
    progreso.Cerrar();
    return termina(Estado::Completo);
}

}  // namespace tamaris
