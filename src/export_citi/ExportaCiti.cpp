#include "export_citi/ExportaCiti.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "app/Verificacion.h"
#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Numero.h"
#include "components/Plataforma.h"
#include "components/Texto.h"
#include "data/Errores.h"
#include "export_citi/Formatos.h"

namespace tamaris {

namespace {

constexpr std::string_view kAvisoResultado = "Aviso al operador!!!";
constexpr std::string_view kSinDatos = "NO HAY DATOS PARA LISTAR!!!";

bool Bisiesto(int a) { return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0; }

[[noreturn]] void FallaArchivo(int e, long numero, const std::string& que) {
    throw ErrorTamaris(numero, que + ": " + plataforma::TextoError(e));
}

// Folder of the temporary file: TEMP, then the system's temporary folder.
std::string CarpetaTemporal() {
    std::string carpeta = plataforma::Variable("TEMP");
    return carpeta.empty() ? plataforma::CarpetaTemporales() : carpeta;
}

// Current date and time as DDMMYYYYHHMMSS.
std::string MarcaHora() {
    const std::tm t = plataforma::HoraLocal(std::time(nullptr));
    char buf[32];
    std::strftime(buf, sizeof buf, "%d%m%Y%H%M%S", &t);
    return buf;
}

// The records while the file is being made. They go to a file in the temporary folder that
// disappears when it is closed, however the run ends, so that nothing of it stays behind; once
// the folder is chosen they are copied into the destination.
class RegistrosTemporales {
  public:
    RegistrosTemporales() {
        std::string plantilla =
            plataforma::ConSeparador(CarpetaTemporal()) + MarcaHora() + "_XXXXXX.TMP";
        int error = 0;
        d_ = plataforma::CreaTemporalAnonimo(plantilla, 4, &error);
        if (!d_.Abierto()) {
            FallaArchivo(error, err::kAccesoRuta,
                         "No se puede crear el archivo temporal " + plantilla);
        }
        pendiente_.reserve(kBloque + 4096);
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
        const int e = plataforma::Escribe(d_, pendiente_.data(), pendiente_.size(), &hecho);
        tamano_ += static_cast<long long>(hecho);
        if (e != 0) {
            pendiente_.erase(0, hecho);
            FallaArchivo(e, e == ENOSPC ? err::kDiscoLleno : err::kErrorEscritura,
                         "No se puede escribir el archivo temporal");
        }
        pendiente_.clear();
    }

    // Copies everything written into `destino`.
    void Copia(ArchivoSeguro& destino) {
        Vuelca();
        std::string bloque(kBloque, '\0');
        for (long long pos = 0; pos < tamano_;) {
            int error = 0;
            const long long n = plataforma::LeeEn(d_, bloque.data(), bloque.size(), pos, &error);
            if (n < 0)
                FallaArchivo(error, err::kErrorEscritura, "No se puede leer el archivo temporal");
            if (n == 0) break;
            destino.EscribeBytes(std::string_view(bloque.data(), static_cast<std::size_t>(n)));
            pos += n;
        }
    }

  private:
    static constexpr std::size_t kBloque = 64 * 1024;
    plataforma::Descriptor d_;
    long long tamano_ = 0;
    std::string pendiente_;
};

// Vouchers of the sales VAT book that the statement leaves out whatever the period: no date or a
// date the platform cannot compare; and in the period, a voucher with VAT but no total.
void RevisaOmitidosCiti(DB_Dll& db, const std::string& desde, const std::string& hasta,
                        Hallazgos& h) {
    const std::string columnas =
        "SELECT Fecha, TC, Letra, Numero, Liva_Total FROM LIBROIVAVENTAS WHERE ";
    const auto recorre = [&](std::string sql, const std::function<void(Recordset&)>& f) {
        Recordset rs;
        db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
        if (rs.State() == adStateClosed) throw ErrorTamaris(err::kFalloGenerico, sql);
        CierraAlSalir cierra(rs);
        while (!rs.Eof()) {
            f(rs);
            rs.MoveNext();
        }
    };
    const Regional& r = db.regional;
    const auto nombre = [&](Recordset& rs) {
        const Variant& f = rs.Valor(0);
        return Recorta(TextoDeCampo(Trim(rs.Valor(1).Texto(r)) + " " + Trim(rs.Valor(2).Texto(r)) +
                                    " " + Trim(rs.Valor(3).Texto(r)) + " del " +
                                    (f.EsNulo() || f.EsVacio() ? std::string("(sin fecha)")
                                     : f.EsFecha()             ? f.FechaCruda().Dma()
                                                               : f.Texto(r))),
                       100);
    };
    const bool texto = db.plataforma() == Plataforma::SQLite;
    recorre(
        columnas +
            (texto ? "(FECHA IS NULL OR NOT (FECHA GLOB "
                     "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'))"
                   : "(FECHA IS NULL)") +
            " AND (LIVA_TOTAL <> 0 OR Liva_ImpIva <> 0)",
        [&](Recordset& rs) {
            const Variant& f = rs.Valor(0);
            if (f.EsNulo() || f.EsVacio()) {
                h.Agrega({nombre(rs), "no tiene fecha: ningún período lo toma y no se informa", 0});
            } else {
                h.Agrega({nombre(rs),
                          "la fecha \"" + Recorta(TextoDeCampo(f.Texto(r))) +
                              "\" no está escrita como AAAA-MM-DD: la base no la compara con "
                              "el período y no se informa",
                          0});
            }
        });
    if (desde.empty() || hasta.empty()) return;
    recorre(columnas + "FECHA >= " + desde + " AND FECHA < " + hasta +
                " AND LIVA_TOTAL IS NULL AND (Liva_ImpIva <> 0 OR Liva_ImpIva2 <> 0 OR "
                "Liva_ImpIva3 <> 0 OR Liva_ImpIva4 <> 0)",
            [&](Recordset& rs) {
                h.Agrega({nombre(rs), "tiene IVA pero no tiene total: no se informa", 0});
            });
}

}  // namespace

void RevisaOmitidosLibroVentas(DB_Dll& db, const std::string& desde, const std::string& hasta,
                               Hallazgos& h) {
    RevisaOmitidosCiti(db, desde, hasta, h);
}

FiltrosCiti PeriodoCiti(int anio, int mes) {
    static const char* kEtiquetas[12] = {"ENE", "FEB", "MAR", "ABR", "MAY", "JUN",
                                         "JUL", "AGO", "SEP", "OCT", "NOV", "DIC"};
    FiltrosCiti f;
    if (mes < 1 || mes > 12) return f;
    int dias = mes == 1 ? 31 : DiasDelMes(mes);
    if (mes == 2 && Bisiesto(anio)) dias = 29;
    char buf[16];
    std::snprintf(buf, sizeof buf, "01/%02d/%d", mes, anio);
    f.desde = buf;
    std::snprintf(buf, sizeof buf, "%02d/%02d/%d", dias, mes, anio);
    f.hasta = buf;
    f.etiqueta = kEtiquetas[mes - 1];
    return f;
}

std::string SentenciaCiti(std::string_view desde, std::string_view hastaExcluido) {
    return "SELECT * FROM LIBROIVAVENTAS WHERE FECHA >= " + std::string(desde) + " AND FECHA < " +
           std::string(hastaExcluido) + " AND abs(LIVA_TOTAL)>0.01 order by fecha";
}

std::string NombreArchivoCiti(std::string_view carpeta, std::string_view etiqueta,
                              std::string_view hasta) {
    const std::string_view anio = hasta.size() > 7 ? hasta.substr(7) : std::string_view();
    return SeparadorDirectorio(carpeta) + std::string(etiqueta) + QuitaCaracteres(anio, '-', '/') +
           ".TXT";
}

ResultadoCiti ExportaCiti(Sistema& sistema, const FiltrosCiti& filtros,
                          const OpcionesExportacion& opciones) {
    using Estado = ResultadoCiti::Estado;
    Ui& ui = sistema.ui;
    DB_Dll& db = sistema.db;
    ResultadoCiti res;
    const bool escribe = opciones.modo != ModoRevision::Revisar;

    // A document type's answer does not change during the run: each code is looked up once.
    std::map<std::string, bool> tiposCuit;
    ReglasCiti reglas;
    reglas.regional = db.regional;
    reglas.cantidadDecimales = sistema.CantidadDecimales;
    reglas.esDocumentoCuit = [&](std::string_view codigo) {
        const std::string clave = Trim(codigo);
        const auto it = tiposCuit.find(clave);
        if (it != tiposCuit.end()) return it->second;
        const bool es = EsDocumentoCuit(db, clave);
        tiposCuit.emplace(clave, es);
        return es;
    };
    reglas.trataMoneda = [&](const ErrorInfo& e) {
        return TrataError(sistema, e, std::nullopt, std::string("FmtMoneda"));
    };

    std::unique_ptr<RegistrosTemporales> temporal;
    std::unique_ptr<RegistroCiti> registro;
    TotalesCiti totales;
    PasosExportacion pasos;
    pasos.tituloProgreso = "Generando Archivo CITI VENTAS";
    Exportacion* trabajo = nullptr;
    pasos.prepara = [&](Recordset& rs) {
        if (escribe && !temporal) temporal = std::make_unique<RegistrosTemporales>();
        registro = std::make_unique<RegistroCiti>(rs, reglas);
        trabajo->AbreProgreso();
    };
    pasos.muestraFila = [&](const Recordset& rs) {
        ui.progreso.Mensaje("Fecha: " + registro->TextoFecha(rs), registro->TextoNumero(rs));
    };
    pasos.arma = [&](const Recordset& rs, std::string& bytes, std::vector<std::string>* p) {
        return registro->Arma(rs, bytes, p);
    };
    pasos.comprobante = [&](const Recordset& rs) { return registro->Comprobante(rs); };
    pasos.escribe = [&](std::string_view bytes) {
        temporal->Agrega(bytes);
        if (!opciones.revisar) return;
        for (std::size_t i = 0; i + kAnchoRegistroCiti <= bytes.size(); i += kAnchoRegistroCiti) {
            totales.Suma(bytes.substr(i, kAnchoRegistroCiti));
        }
    };
    pasos.vuelca = [&] { temporal->Vuelca(); };
    std::string litDesde, litHasta;  // the period as date literals of the platform
    pasos.revisaOmitidos = [&](Hallazgos& h) { RevisaOmitidosCiti(db, litDesde, litHasta, h); };
    pasos.cuenta = SentenciaCuenta;
    Exportacion job(db, ui, std::move(pasos), opciones);
    trabajo = &job;
    const auto termina = [&](Estado estado) {
        job.CierraProgreso();
        res.estado = estado;
        res.comprobantes = job.Filas();
        res.registros = job.Lineas();
        res.omitidos = job.Omitidas();
        res.totales = totales;
        res.hallazgos = job.hallazgos();
        return res;
    };

    Fecha desde, hasta;
    if (!LeeFechaTipeada(ui, filtros.desde, "Fecha Desde", mb::kCritico, desde) ||
        !LeeFechaTipeada(ui, filtros.hasta, "Fecha Hasta", mb::kCritico, hasta)) {
        return termina(Estado::DatosInvalidos);
    }

    // The last day counts whole: a voucher of 31/01 11:24 belongs to January.
    // A period without dates (no month chosen) selects nothing, as an empty text compares.
    litDesde = filtros.desde.empty() ? "" : db.LiteralFecha(desde);
    litHasta = filtros.hasta.empty() ? "" : db.LiteralFecha(DiaSiguiente(hasta));
    const std::string sql =
        SentenciaCiti(litDesde.empty() ? "''" : litDesde, litHasta.empty() ? "''" : litHasta);
    switch (job.Ejecuta(sql)) {
        case FinExportacion::SinFilas:
            if (opciones.modo != ModoRevision::Normal && !job.hallazgos().Vacio()) {
                return termina(opciones.modo == ModoRevision::Revisar ? Estado::Revisado
                                                                      : Estado::Descartado);
            }
            ui.mensajes.Mostrar(kSinDatos, mb::kOk | mb::kCritico, kAvisoResultado);
            return termina(Estado::SinDatos);
        case FinExportacion::Revisado:
            return termina(Estado::Revisado);
        case FinExportacion::Descartado:
            return termina(Estado::Descartado);
        case FinExportacion::Cancelado:
            return termina(Estado::Cancelado);
        case FinExportacion::Escrito:
            break;
        default:
            return termina(Estado::Abandonado);
    }
    job.CierraProgreso();

    const std::string carpeta = filtros.eligeCarpeta ? filtros.eligeCarpeta() : std::string();
    if (carpeta.empty()) return termina(Estado::SinCarpeta);
    res.archivo = NombreArchivoCiti(carpeta, filtros.etiqueta, filtros.hasta);

    // The older file is replaced only by a complete one.
    if (!job.Confirma([&] {
            ArchivoSeguro destino(res.archivo);
            temporal->Copia(destino);
            destino.Confirmar();
        })) {
        return termina(Estado::Abandonado);
    }
    termina(Estado::Completo);
    std::string mensaje = "Se ha generado satisfactoriamente el archivo en : " + res.archivo + " ";
    if (opciones.totalesEnMensaje) {
        mensaje += "\r\r" + ReemplazaExacto(res.totales.Resumen(), "\n", "\r");
    }
    ui.mensajes.Mostrar(mensaje, mb::kOk | mb::kPregunta, kAvisoResultado);
    return res;
}

}  // namespace tamaris
