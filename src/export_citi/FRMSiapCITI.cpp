#include "export_citi/FRMSiapCITI.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "components/ArchivoTexto.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Texto.h"
#include "data/Errores.h"
#include "export_citi/Formatos.h"
#include "export_citi/RegistroCiti.h"

namespace tamaris {

namespace {

constexpr std::string_view kAvisoOperador = "AVISO AL OPERADOR";
constexpr std::string_view kAvisoResultado = "Aviso al operador!!!";
constexpr std::string_view kTituloProgreso = "Generando Archivo CITI VENTAS";
constexpr std::string_view kSinMes = "Debe seleccionar un cuatrimestre a informar!!! ";
constexpr std::string_view kSinAnio = "Debe seleccionar el Año del cuatrimestre a informar!!! ";
constexpr std::string_view kAnioInvalido = "Debe informar un AÑO VALIDO!!! ";
constexpr std::string_view kSinDatos = "NO HAY DATOS PARA LISTAR!!!";

bool FechaValida(std::string_view texto) {
    Fecha f;
    return Fecha::DesdeDma(texto, f) && !f.TieneHora();
}

bool Bisiesto(double anio) {
    if (anio != std::floor(anio)) return false;
    const auto a = static_cast<long long>(anio);
    return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
}

[[noreturn]] void FallaArchivo(int e, long numero, const std::string& que) {
    throw ErrorTamaris(numero, que + ": " + std::strerror(e));
}

// Folder of the temporary file: TEMP, then the system's temporary folder.
std::string CarpetaTemporal() {
    for (const char* variable : {"TEMP", "TMPDIR"}) {
        const char* v = std::getenv(variable);
        if (v && *v) return v;
    }
    std::error_code ec;
    const auto p = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : p.string();
}

// Current date and time as DDMMYYYYHHMMSS.
std::string MarcaHora() {
    const std::time_t ahora = std::time(nullptr);
    std::tm t{};
    localtime_r(&ahora, &t);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d%m%Y%H%M%S", &t);
    return buf;
}

// The records while the file is being made. They go to a file in the temporary folder that is
// unlinked as soon as it is created, so that nothing of it stays behind however the run ends;
// once the folder is chosen they are copied into the destination.
class RegistrosTemporales {
  public:
    RegistrosTemporales() {
        std::string plantilla =
            SeparadorDirectorio(CarpetaTemporal()) + MarcaHora() + "_XXXXXX.TMP";
        fd_ = ::mkstemps(plantilla.data(), 4);
        if (fd_ < 0) {
            FallaArchivo(errno, err::kAccesoRuta,
                         "No se puede crear el archivo temporal " + plantilla);
        }
        ::unlink(plantilla.c_str());
        pendiente_.reserve(kBloque + 4096);
    }
    ~RegistrosTemporales() {
        if (fd_ >= 0) ::close(fd_);
    }
    RegistrosTemporales(const RegistrosTemporales&) = delete;
    RegistrosTemporales& operator=(const RegistrosTemporales&) = delete;

    // Adds the bytes of one voucher. A failure leaves them out and keeps what was pending, so
    // the voucher can be tried again without losing or repeating anything.
    void Agrega(std::string_view bytes) {
        if (pendiente_.size() >= kBloque) Vuelca();
        pendiente_.append(bytes);
    }

    // Writes what is pending; on failure the part not written stays pending.
    void Vuelca() {
        std::size_t hecho = 0;
        while (hecho < pendiente_.size()) {
            const ssize_t n = ::write(fd_, pendiente_.data() + hecho, pendiente_.size() - hecho);
            if (n < 0) {
                if (errno == EINTR) continue;
                const int e = errno;
                pendiente_.erase(0, hecho);
                tamano_ += static_cast<off_t>(hecho);
                FallaArchivo(e, e == ENOSPC ? err::kDiscoLleno : err::kErrorEscritura,
                             "No se puede escribir el archivo temporal");
            }
            hecho += static_cast<std::size_t>(n);
        }
        tamano_ += static_cast<off_t>(hecho);
        pendiente_.clear();
    }

    // Copies everything written into `destino`.
    void Copia(ArchivoSeguro& destino) {
        Vuelca();
        std::string bloque(kBloque, '\0');
        for (off_t pos = 0; pos < tamano_;) {
            const ssize_t n = ::pread(fd_, bloque.data(), bloque.size(), pos);
            if (n < 0) {
                if (errno == EINTR) continue;
                FallaArchivo(errno, err::kErrorEscritura, "No se puede leer el archivo temporal");
            }
            if (n == 0) break;
            destino.EscribeBytes(std::string_view(bloque.data(), static_cast<std::size_t>(n)));
            pos += n;
        }
    }

  private:
    static constexpr std::size_t kBloque = 64 * 1024;
    int fd_ = -1;
    off_t tamano_ = 0;
    std::string pendiente_;
};

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

std::string FRMSiapCITI::ArmaSentencia(std::string_view desde, std::string_view hasta) {
    return "SELECT * FROM LIBROIVAVENTAS WHERE FECHA >= '" + ReemplazaExacto(desde, "'", "''") +
           "' AND FECHA <= '" + ReemplazaExacto(hasta, "'", "''") +
           "' AND abs(LIVA_TOTAL)>0.01 order by fecha";
}

std::string FRMSiapCITI::NombreArchivo(std::string_view carpeta, std::string_view etiqueta,
                                       std::string_view hasta) {
    const std::string_view anio = hasta.size() > 7 ? hasta.substr(7) : std::string_view();
    return SeparadorDirectorio(carpeta) + std::string(etiqueta) + QuitaCaracteres(anio, '-', '/') +
           ".TXT";
}

ResultadoCiti FRMSiapCITI::ActualizarDatos() {
    using Estado = ResultadoCiti::Estado;
    Ui& ui = sistema_.ui;
    DB_Dll& db = sistema_.db;
    VentanaProgreso& progreso = ui.progreso;
    ResultadoCiti res;
    bool progresoAbierto = false;

    // A failing step closes the progress window and asks the operator; going on reopens it.
    const auto trata = [&](const ErrorInfo& e) {
        if (progresoAbierto) progreso.Cerrar();
        const int r = ui.errores.Reportar(e, "ActualizarDatos");
        if (progresoAbierto && (r == kReintentar || r == kIgnorar)) {
            progreso.Abrir(kTituloProgreso);
        } else {
            progresoAbierto = false;
        }
        return r;
    };
    const auto termina = [&](Estado estado) {
        if (progresoAbierto) progreso.Cerrar();
        res.estado = estado;
        ultimo_ = res;
        return res;
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
    const std::string desde = Campo("FECHA_DESDE");
    const std::string hasta = Campo("FECHA_HASTA");
    // The dates go into the statement as they stand; a text that is not a date would
    // compare as text and select whatever it happens to.
    for (const auto& [valor, nombre] : {std::pair{desde, "Fecha Desde"}, {hasta, "Fecha Hasta"}}) {
        if (!valor.empty() && !FechaValida(valor)) {
            sistema_.ui.mensajes.Mostrar("La fecha \"" + valor + "\" del campo " + nombre +
                                             " no es una fecha válida.\rEscríbala como "
                                             "DD/MM/AAAA (por ejemplo 31/01/2013).",
                                         mb::kOk | mb::kCritico, kAvisoOperador);
            return termina(Estado::DatosInvalidos);
        }
    }

    std::string sql = ArmaSentencia(desde, hasta);
    Recordset rs;
    const bool abierto = EjecutaPaso(
        [&] {
            db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
            if (rs.State() == adStateClosed) {
                throw ErrorTamaris(err::kConexionInvalida,
                                   "No se pudo leer el libro de IVA ventas de la base de datos.");
            }
        },
        trata);
    if (!abierto || rs.State() == adStateClosed) return termina(Estado::Abandonado);

    if (rs.BOF()) {
        db.CierraRecordset(rs);
        ui.mensajes.Mostrar(kSinDatos, mb::kOk | mb::kCritico, kAvisoResultado);
        return termina(Estado::SinDatos);
    }

    // A document type's answer does not change during the run: each code is looked up once.
    std::map<std::string, bool> tiposCuit;
    ReglasCiti reglas;
    reglas.regional = db.regional;
    reglas.cantidadDecimales = sistema_.CantidadDecimales;
    reglas.esDocumentoCuit = [&](std::string_view codigo) {
        const std::string clave = Trim(codigo);
        const auto it = tiposCuit.find(clave);
        if (it != tiposCuit.end()) return it->second;
        const bool es = EsDocumentoCuit(db, clave);
        tiposCuit.emplace(clave, es);
        return es;
    };
    reglas.trataMoneda = [&](const ErrorInfo& e) {
        return TrataError(sistema_, e, std::nullopt, std::string("FmtMoneda"));
    };

    std::unique_ptr<RegistrosTemporales> temporal;
    std::unique_ptr<RegistroCiti> registro;
    if (!EjecutaPaso(
            [&] {
                if (!temporal) temporal = std::make_unique<RegistrosTemporales>();
                registro = std::make_unique<RegistroCiti>(rs, reglas);
            },
            trata) ||
        !temporal || !registro) {
        db.CierraRecordset(rs);
        return termina(Estado::Abandonado);
    }

    progreso.Abrir(kTituloProgreso);
    progresoAbierto = true;
    std::string bloque;
    bloque.reserve(4 * kAnchoRegistroCiti);
    while (!rs.Eof()) {
        progreso.Mensaje("Fecha: " + registro->TextoFecha(rs), registro->TextoNumero(rs));
        int escritos = 0;
        const bool seguir = EjecutaPaso(
            [&] {
                bloque.clear();
                const int n = registro->Arma(rs, bloque);
                temporal->Agrega(bloque);
                escritos = n;
            },
            trata);
        if (!seguir) {
            db.CierraRecordset(rs);
            return termina(Estado::Abandonado);
        }
        if (escritos > 0) {
            ++res.comprobantes;
            res.registros += escritos;
        } else {
            ++res.omitidos;
        }
        progreso.Avance(res.comprobantes + res.omitidos);
        // A row that cannot be read past cannot be skipped: going on would lose the rest.
        if (!EjecutaPasoObligatorio([&] { rs.MoveNext(); }, trata)) {
            db.CierraRecordset(rs);
            return termina(Estado::Abandonado);
        }
    }
    db.CierraRecordset(rs);
    if (!EjecutaPasoObligatorio([&] { temporal->Vuelca(); }, trata)) {
        return termina(Estado::Abandonado);
    }
    progreso.Cerrar();
    progresoAbierto = false;

    const std::string carpeta = BrowseForDirectory();
    if (carpeta.empty()) return termina(Estado::SinCarpeta);
    res.archivo = NombreArchivo(carpeta, cmbCuatrimestre.Tag, hasta);

    // The older file is replaced only by a complete one.
    if (!EjecutaPasoObligatorio(
            [&] {
                ArchivoSeguro destino(res.archivo);
                temporal->Copia(destino);
                destino.Confirmar();
            },
            trata)) {
        return termina(Estado::Abandonado);
    }
    ui.mensajes.Mostrar("Se ha generado satisfactoriamente el archivo en : " + res.archivo + " ",
                        mb::kOk | mb::kPregunta, kAvisoResultado);
    return termina(Estado::Completo);
}

}  // namespace tamaris
