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

std::string NombreVoucher(const Recordset& rs, const Regional& r) {
    const Variant& f = rs.Valor(1);
    return Recorta(TextoDeCampo(Trim(rs.Valor(0).Texto(r)) + " " + Trim(rs.Valor(2).Texto(r)) +
                                " " + Trim(rs.Valor(3).Texto(r)) + " del " +
                                (f.EsNulo() || f.EsVacio() ? std::string("(sin fecha)")
                                 : f.EsFecha()             ? f.FechaCruda().Dma()
                                                           : f.Texto(r))),
                   100);
}

// Entries with a perception that the export's statement leaves out whatever the filters say:
// no date, a date the platform cannot compare, or a type that is no invoice or note. Receipts
// (RC) carry retentions in that column, not perceptions: they are no voucher of this file.
void RevisaOmitidosPercepciones(DB_Dll& db, const std::string& desde, const std::string& hasta,
                                const std::string& cuenta, Hallazgos& h) {
    std::string periodo;
    if (!desde.empty()) periodo += " AND FECHA >= " + desde;
    if (!hasta.empty()) periodo += " AND FECHA < " + hasta;
    if (!cuenta.empty()) periodo += " AND (CUENTA='" + ReemplazaExacto(cuenta, "'", "''") + "')";
    // One pass over the entries with a perception. Without a date (or, on SQLite, where dates are
    // text, with one that is not AAAA-MM-DD) no period will ever file the voucher: it is told
    // whatever the period. A type the file does not take is told within the filters.
    const bool texto = db.plataforma() == Plataforma::SQLite;
    const std::string fechaMala =
        texto ? "FECHA IS NULL OR NOT (FECHA GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*')"
              : "FECHA IS NULL";
    std::string sql =
        "SELECT TC, FECHA, LETRA, NUMERO, CASE WHEN FECHA IS NULL THEN 0 WHEN " + fechaMala +
        " THEN 1 ELSE 2 END AS COMO_FECHA FROM MV_ASIENTOS WHERE (LIVA_Ret_IBtos <> 0) AND (" +
        fechaMala + " OR ((TC IS NULL OR NOT (TC IN ('fc', 'nc', 'nd', 'rc')))" + periodo + "))";
    Recordset rs;
    db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
    if (rs.State() == adStateClosed) throw ErrorTamaris(err::kFalloGenerico, sql);
    CierraAlSalir cierra(rs);
    for (; !rs.Eof(); rs.MoveNext()) {
        const int64_t como = rs.Valor(4).Entero();
        if (como == 0) {
            h.Agrega({NombreVoucher(rs, db.regional),
                      "no tiene fecha: ningún período lo toma y no se informa", 0});
        } else if (como == 1) {
            h.Agrega({NombreVoucher(rs, db.regional),
                      "la fecha \"" + Recorta(TextoDeCampo(rs.Valor(1).Texto(db.regional))) +
                          "\" no está escrita como AAAA-MM-DD: la base no la compara con el "
                          "período y no se informa",
                      0});
        } else {
            h.Agrega({NombreVoucher(rs, db.regional),
                      "tiene percepción pero su tipo \"" +
                          Recorta(TextoDeCampo(rs.Valor(0).Texto(db.regional))) +
                          "\" no es FC, ND, NC ni RC: no se informa",
                      0});
        }
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
    std::string litDesde, litHasta;  // the period as date literals of the platform
    const std::string cuenta = Trim(filtros.cuenta);
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
    // The line comes in Windows-1252 already, with its CR LF.
    pasos.comprobante = [&](const Recordset& rs) { return armador->Comprobante(rs); };
    pasos.escribe = [&](std::string_view linea) {
        archivo->EscribeBytes(linea);
        if (opciones.revisar) res.totales.Suma(linea);
    };
    pasos.revisaOmitidos = [&](Hallazgos& h) {
        RevisaOmitidosPercepciones(db, litDesde, litHasta, cuenta, h);
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
    Fecha fDesde, fHasta;
    for (const auto& [valor, fecha, nombre] :
         {std::tuple{desde, &fDesde, "Fecha Desde"}, {hasta, &fHasta, "Hasta"}}) {
        if (!LeeFechaTipeada(ui, valor, nombre, mb::kExclamacion, *fecha)) {
            job.CierraProgreso();
            return termina(Estado::DatosInvalidos);
        }
    }
    if (!desde.empty() && !hasta.empty() && fHasta < fDesde) {
        job.CierraProgreso();
        ui.mensajes.Mostrar("La Fecha Desde (" + desde + ") es posterior a la Fecha Hasta (" +
                                hasta + "): el período no tendría ningún día.",
                            mb::kOk | mb::kExclamacion, "AVISO AL OPERADOR");
        return termina(Estado::DatosInvalidos);
    }

    // The last day counts whole: a voucher of 31/01 11:24 is in a range that ends on 31/01.
    // The last day there is (31/12/9999) has no day after it: nothing is later anyway.
    const bool hastaElFin = fHasta.anio == 9999 && fHasta.mes == 12 && fHasta.dia == 31;
    litDesde = desde.empty() ? "" : db.LiteralFecha(fDesde);
    litHasta = hasta.empty() || hastaElFin ? "" : db.LiteralFecha(DiaSiguiente(fHasta));
    const std::string sql = SentenciaPercepciones(litDesde, litHasta, cuenta);
    ui.progreso.Mensaje("Creando Archivo");

    switch (job.Ejecuta(sql)) {
        case FinExportacion::SinFilas:
            if (opciones.modo == ModoRevision::Revisar && !job.hallazgos().Vacio()) {
                return termina(Estado::Revisado);
            }
            // A strict run keeps what was there: an empty period is one more reason to stop.
            if (opciones.modo == ModoRevision::Estricto) {
                termina(Estado::Descartado);
                res.hallazgos.Agrega({"", "el período no tiene comprobantes con percepción", 0});
                return res;
            }
            // Nothing to export: the file of that name goes, as an empty run leaves none. A
            // check alone touches nothing.
            if (escribe) {
                const bool habia = ExisteArchivo(res.archivo);
                if (!job.Paso([&] { BorraArchivo(res.archivo); })) {
                    return termina(Estado::Abandonado);
                }
                res.borrado = habia && !ExisteArchivo(res.archivo);
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

}  // namespace tamaris
