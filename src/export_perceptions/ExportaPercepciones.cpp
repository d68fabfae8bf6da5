#include "export_perceptions/ExportaPercepciones.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "app/Verificacion.h"
#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Plataforma.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

void BorraArchivo(const std::string& ruta) {
    if (!ExisteArchivo(ruta)) return;
    if (const int e = plataforma::Borra(ruta); e != 0) {
        throw ErrorTamaris(err::kPermisoDenegado, "No se puede borrar el archivo " + ruta + ": " +
                                                      plataforma::TextoError(e));
    }
}

}  // namespace

std::string SentenciaPercepciones(std::string_view desde, std::string_view hastaExcluido,
                                  std::string_view cuenta) {
    std::string filtro;
    if (!desde.empty() && !hastaExcluido.empty()) {
        filtro =
            " (FECHA >=" + std::string(desde) + " AND FECHA<" + std::string(hastaExcluido) + ")";
    } else if (!desde.empty()) {
        filtro = " (FECHA >=" + std::string(desde) + ")";
    } else if (!hastaExcluido.empty()) {
        filtro = " (FECHA <" + std::string(hastaExcluido) + ")";
    }
    if (!cuenta.empty()) {
        const std::string parte = "(CUENTA='" + ReemplazaExacto(cuenta, "'", "''") + "')";
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

ResultadoExportacion ExportaPercepciones(DB_Dll& db, Ui& ui, const FiltrosPercepcion& filtros,
                                         const OpcionesExportacion& opciones) {
    using Estado = ResultadoExportacion::Estado;
    ResultadoExportacion res;
    const bool escribe = opciones.modo != ModoRevision::Revisar;

    std::unique_ptr<ArchivoSeguro> archivo;
    std::unique_ptr<LineaPercepcion> armador;
    PasosExportacion pasos;
    pasos.tituloProgreso = "Procesando";
    pasos.prepara = [&](Recordset& rs) {
        if (escribe && !archivo) archivo = std::make_unique<ArchivoSeguro>(res.archivo);
        armador = std::make_unique<LineaPercepcion>(rs, db.regional);
    };
    pasos.cuenta = SentenciaCuenta;
    pasos.arma = [&](const Recordset& rs, std::string& bytes, std::vector<std::string>* p) {
        armador->Arma(rs, bytes, p);
        return 1;
    };
    pasos.comprobante = [&](const Recordset& rs) { return armador->Comprobante(rs); };
    pasos.escribe = [&](std::string_view linea) {
        archivo->EscribeLinea(linea);
        if (opciones.revisar) res.totales.Suma(linea);
    };
    Exportacion job(db, ui, std::move(pasos), opciones);
    const auto termina = [&](Estado estado) {
        job.CierraProgreso();
        res.estado = estado;
        res.comprobantes = job.Filas();
        res.omitidos = job.Omitidas();
        res.hallazgos = job.hallazgos();
        return res;
    };

    job.AbreProgreso();
    ui.progreso.Mensaje("Procesando...", "Espere porfavor...");

    res.archivo = Trim(filtros.archivo);
    if (!TerminaSinCaso(res.archivo, "txt")) res.archivo += ".txt";

    const std::string desde = Trim(filtros.desde);
    const std::string hasta = Trim(filtros.hasta);
    const std::string cuenta = Trim(filtros.cuenta);
    Fecha fDesde, fHasta;
    for (const auto& [valor, fecha, nombre] :
         {std::tuple{desde, &fDesde, "Fecha Desde"}, {hasta, &fHasta, "Hasta"}}) {
        if (!LeeFechaTipeada(ui, valor, nombre, mb::kExclamacion, *fecha)) {
            job.CierraProgreso();
            return termina(Estado::DatosInvalidos);
        }
    }

    // The last day counts whole: a voucher of 31/01 11:24 is in a range that ends on 31/01.
    const std::string sql =
        SentenciaPercepciones(desde.empty() ? "" : db.LiteralFecha(fDesde),
                              hasta.empty() ? "" : db.LiteralFecha(DiaSiguiente(fHasta)), cuenta);
    ui.progreso.Mensaje("Creando Archivo");

    switch (job.Ejecuta(sql)) {
        case FinExportacion::SinFilas:
            // Nothing to export: the file of that name goes, as an empty run leaves none. A
            // check alone touches nothing.
            if (escribe && !job.Paso([&] { BorraArchivo(res.archivo); })) {
                return termina(Estado::Abandonado);
            }
            return termina(Estado::SinComprobantes);
        case FinExportacion::Revisado:
            return termina(Estado::Revisado);
        case FinExportacion::Descartado:
            return termina(Estado::Descartado);
        case FinExportacion::Cancelado:
            return termina(Estado::Cancelado);
        case FinExportacion::Escrito:
            if (!job.Confirma([&] { archivo->Confirmar(); })) return termina(Estado::Abandonado);
            termina(Estado::Completo);
            if (opciones.totalesEnMensaje) {
                ui.mensajes.Mostrar("Se generó el archivo " + res.archivo + "\r\r" +
                                        ReemplazaExacto(res.totales.Resumen(), "\n", "\r"),
                                    mb::kOk | mb::kInformacion, "Aviso al operador!!!");
            }
            return res;
        default:
            return termina(Estado::Abandonado);
    }
}

VerificacionPercepciones VerificaPercepciones(const std::string& archivo, DB_Dll* db, Ui* ui,
                                              const FiltrosPercepcion& filtros) {
    VerificacionPercepciones v;
    const auto revisaArchivo = [&] {
        v.lineas =
            RevisaArchivoFiscal(archivo, kAnchoLineaPercepcion, v.hallazgos, RevisaLineaPercepcion,
                                ComprobanteDeLinea, [&](std::string_view l) { v.totales.Suma(l); });
    };
    if (!db || !ui) {
        revisaArchivo();
        return v;
    }
    // The file is opened here first, so that a missing one is told before the ledger is read.
    Conciliacion conciliacion(archivo);
    // The file's own check runs beside the ledger's query; the findings keep that order.
    std::exception_ptr fallo;
    std::thread revision([&] {
        try {
            revisaArchivo();
        } catch (...) {
            fallo = std::current_exception();
        }
    });
    struct Une {
        std::thread& t;
        ~Une() {
            if (t.joinable()) t.join();
        }
    } une{revision};
    std::string enArchivo;
    OpcionesExportacion opciones;
    opciones.modo = ModoRevision::Revisar;
    opciones.revisar = false;
    opciones.recibeBytes = [&](std::string_view linea) {
        enArchivo.clear();
        AnexarCp1252(enArchivo, linea);
        conciliacion.Libro(enArchivo);
    };
    const ResultadoExportacion r = ExportaPercepciones(*db, *ui, filtros, opciones);
    using Estado = ResultadoExportacion::Estado;
    if (r.estado != Estado::Revisado && r.estado != Estado::SinComprobantes) {
        throw ErrorTamaris(err::kFalloGenerico,
                           "No se pudo leer el libro para conciliar el archivo con él.");
    }
    revision.join();
    if (fallo) std::rethrow_exception(fallo);
    v.Concilia(conciliacion, ComprobanteDeLinea);
    return v;
}

}  // namespace tamaris
