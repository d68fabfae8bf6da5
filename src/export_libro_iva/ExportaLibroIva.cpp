#include "export_libro_iva/ExportaLibroIva.h"

#include <cstdio>
#include <map>
#include <memory>

#include "components/ArchivoTexto.h"
#include "components/Texto.h"
#include "data/Errores.h"
#include "export_citi/ExportaCiti.h"
#include "export_citi/Formatos.h"

namespace tamaris {

namespace {

constexpr std::string_view kAvisoResultado = "Aviso al operador!!!";
constexpr std::string_view kSinDatos = "NO HAY DATOS PARA LISTAR!!!";
constexpr std::size_t kBloque = 64 * 1024;

std::string NombreLibro(std::string_view carpeta, std::string_view cual, int anio, int mes) {
    char periodo[16];
    std::snprintf(periodo, sizeof periodo, "%04d%02d", anio, mes);
    return SeparadorDirectorio(carpeta) + "LIBRO_IVA_DIGITAL_VENTAS_" + std::string(cual) + "_" +
           periodo + ".txt";
}

// The two files while they are made. Each row's records go to both or to neither: what is
// pending is handed to the files before a row is added, so that a failing write leaves the row
// out of both and a retry neither loses nor repeats a record.
class ArchivosLibro {
  public:
    ArchivosLibro(const std::string& comprobantes, const std::string& alicuotas)
        : comprobantes_(comprobantes), alicuotas_(alicuotas) {}

    void Agrega(std::string_view comprobante, std::string_view alicuotas) {
        if (pendienteC_.size() >= kBloque) {
            comprobantes_.EscribeBytes(pendienteC_);
            pendienteC_.clear();
        }
        if (pendienteA_.size() >= kBloque) {
            alicuotas_.EscribeBytes(pendienteA_);
            pendienteA_.clear();
        }
        pendienteC_.append(comprobante);
        pendienteA_.append(alicuotas);
    }
    void Vuelca() {
        comprobantes_.EscribeBytes(pendienteC_);
        pendienteC_.clear();
        alicuotas_.EscribeBytes(pendienteA_);
        pendienteA_.clear();
    }
    void Confirma() {
        Vuelca();
        ConfirmaJuntos(comprobantes_, alicuotas_);
    }

  private:
    ArchivoSeguro comprobantes_, alicuotas_;
    std::string pendienteC_, pendienteA_;
};

}  // namespace

std::string NombreComprobantesLibro(std::string_view carpeta, int anio, int mes) {
    return NombreLibro(carpeta, "CBTE", anio, mes);
}

std::string NombreAlicuotasLibro(std::string_view carpeta, int anio, int mes) {
    return NombreLibro(carpeta, "ALICUOTAS", anio, mes);
}

ResultadoLibroIva ExportaLibroIva(Sistema& sistema, const FiltrosLibroIva& filtros,
                                  const OpcionesExportacion& opciones) {
    using Estado = ResultadoLibroIva::Estado;
    Ui& ui = sistema.ui;
    DB_Dll& db = sistema.db;
    ResultadoLibroIva res;
    const bool escribe = opciones.modo != ModoRevision::Revisar;

    std::map<std::string, bool> tiposCuit;
    ReglasLibroIva reglas;
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

    std::unique_ptr<ArchivosLibro> archivos;
    std::unique_ptr<RegistroLibroIva> registro;
    TotalesLibroIva totales;
    long comprobantes = 0, alicuotas = 0, sinArchivo = 0;
    std::string bytesComprobante;  // the current row's voucher record
    PasosExportacion pasos;
    pasos.tituloProgreso = "Generando Libro de IVA Digital - Ventas";
    Exportacion* trabajo = nullptr;
    pasos.prepara = [&](Recordset& rs) {
        if (escribe && !archivos) {
            archivos =
                std::make_unique<ArchivosLibro>(res.archivoComprobantes, res.archivoAlicuotas);
        }
        registro = std::make_unique<RegistroLibroIva>(rs, reglas);
        trabajo->AbreProgreso();
    };
    pasos.muestraFila = [&](const Recordset& rs) {
        ui.progreso.Mensaje("Fecha: " + registro->TextoFecha(rs), registro->TextoNumero(rs));
    };
    // The job hands one run of bytes per row: the voucher record first, its aliquot records
    // after it; they are parted again when written.
    pasos.arma = [&](const Recordset& rs, std::string& bytes, std::vector<std::string>* p) {
        bytesComprobante.clear();
        std::string alic;
        const int n = registro->Arma(rs, bytesComprobante, alic, p);
        bytes = bytesComprobante + alic;
        return n == 0 ? 0 : n + 1;
    };
    pasos.comprobante = [&](const Recordset& rs) { return registro->Comprobante(rs); };
    pasos.escribe = [&](std::string_view bytes) {
        constexpr std::size_t kC = kAnchoComprobanteLibro + 2, kA = kAnchoAlicuotaLibro + 2;
        if (bytes.empty()) {
            ++sinArchivo;
            return;
        }
        const std::string_view c = bytes.substr(0, kC), a = bytes.substr(kC);
        archivos->Agrega(c, a);
        ++comprobantes;
        alicuotas += static_cast<long>(a.size() / kA);
        if (!opciones.revisar) return;
        totales.SumaComprobante(c);
        for (std::size_t i = 0; i + kA <= a.size(); i += kA) totales.SumaAlicuota(a.substr(i, kA));
    };
    pasos.vuelca = [&] { archivos->Vuelca(); };
    std::string litDesde, litHasta;  // the period as date literals of the platform
    pasos.revisaOmitidos = [&](Hallazgos& h) {
        RevisaOmitidosLibroVentas(db, litDesde, litHasta, h);
    };
    Exportacion job(db, ui, std::move(pasos), opciones);
    trabajo = &job;
    const auto termina = [&](Estado estado) {
        job.CierraProgreso();
        res.estado = estado;
        res.comprobantes = comprobantes;
        res.alicuotas = alicuotas;
        res.omitidos = job.Omitidas() + sinArchivo;
        res.revisados = job.Filas() + job.Omitidas();
        res.totales = totales;
        res.hallazgos = job.hallazgos();
        return res;
    };

    const FiltrosCiti periodo = PeriodoCiti(filtros.anio, filtros.mes);
    Fecha desde, hasta;
    if (filtros.anio < 1900 || filtros.anio > 2050 || periodo.desde.empty() ||
        !Fecha::DesdeDma(periodo.desde, desde) || !Fecha::DesdeDma(periodo.hasta, hasta)) {
        ui.mensajes.Mostrar("Debe informar un AÑO y un MES VALIDOS!!! ", mb::kOk | mb::kCritico,
                            "AVISO AL OPERADOR");
        return termina(Estado::DatosInvalidos);
    }
    if (escribe) {
        const std::string carpeta = filtros.eligeCarpeta ? filtros.eligeCarpeta() : std::string();
        if (carpeta.empty()) return termina(Estado::SinCarpeta);
        res.archivoComprobantes = NombreComprobantesLibro(carpeta, filtros.anio, filtros.mes);
        res.archivoAlicuotas = NombreAlicuotasLibro(carpeta, filtros.anio, filtros.mes);
    }

    // The CITI Ventas statement: the same vouchers, the whole last day included.
    litDesde = db.LiteralFecha(desde);
    litHasta = db.LiteralFecha(DiaSiguiente(hasta));
    const std::string sql = SentenciaCiti(litDesde, litHasta);
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
        case FinExportacion::Escrito:
            break;
        default:
            return termina(Estado::Abandonado);
    }
    job.CierraProgreso();
    if (comprobantes == 0) {
        // Every voucher of the month was left out: no pair of empty files.
        ui.mensajes.Mostrar(kSinDatos, mb::kOk | mb::kCritico, kAvisoResultado);
        return termina(Estado::SinDatos);
    }
    // Both files replace the older pair together, or neither does.
    if (!job.Confirma([&] { archivos->Confirma(); })) return termina(Estado::Abandonado);
    termina(Estado::Completo);
    std::string mensaje = "Se han generado satisfactoriamente los archivos " +
                          res.archivoComprobantes + " y " + res.archivoAlicuotas + " ";
    if (opciones.totalesEnMensaje) {
        mensaje += "\r\r" + ReemplazaExacto(res.totales.Resumen(), "\n", "\r");
    }
    ui.mensajes.Mostrar(mensaje, mb::kOk | mb::kPregunta, kAvisoResultado);
    return res;
}

}  // namespace tamaris
