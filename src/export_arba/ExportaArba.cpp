#include "export_arba/ExportaArba.h"

#include <cstdio>
#include <memory>

#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Plataforma.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

int DiasDelMesArba(int anio, int mes) {
    static const int kDias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
    return mes == 2 && bisiesto ? 29 : kDias[mes - 1];
}

// Entries with a perception that the statement leaves out whatever the period says (no date, or
// a date the platform cannot compare), and, in the period, those whose type is no invoice or
// note. Receipts (RC) carry retentions in that column, not perceptions.
void RevisaOmitidosArba(DB_Dll& db, const std::string& desde, const std::string& hasta,
                        Hallazgos& h) {
    const std::string columnas =
        "SELECT TC, FECHA, LETRA, NUMERO FROM MV_ASIENTOS WHERE (LIVA_Ret_IBtos <> 0) AND ";
    const Regional& r = db.regional;
    const auto nombre = [&](const Recordset& rs) {
        const Variant& f = rs.Valor(1);
        return Recorta(TextoDeCampo(Trim(rs.Valor(0).Texto(r)) + " " + Trim(rs.Valor(2).Texto(r)) +
                                    " " + Trim(rs.Valor(3).Texto(r)) + " del " +
                                    (f.EsNulo() || f.EsVacio() ? std::string("(sin fecha)")
                                     : f.EsFecha()             ? f.FechaCruda().Dma()
                                                               : f.Texto(r))),
                       100);
    };
    const auto recorre = [&](std::string sql, const std::function<void(Recordset&)>& f) {
        Recordset rs;
        db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
        if (rs.State() == adStateClosed) throw ErrorTamaris(err::kFalloGenerico, sql);
        CierraAlSalir cierra(rs);
        for (; !rs.Eof(); rs.MoveNext()) f(rs);
    };
    const bool texto = db.plataforma() == Plataforma::SQLite;
    recorre(
        columnas + (texto ? "(FECHA IS NULL OR NOT (FECHA GLOB "
                            "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'))"
                          : "(FECHA IS NULL)"),
        [&](Recordset& rs) {
            const Variant& f = rs.Valor(1);
            Fecha x;
            if (f.EsNulo() || f.EsVacio()) {
                h.Agrega({nombre(rs), "no tiene fecha: ningún período lo toma y no se informa", 0});
            } else if (!f.EsFecha() && !Fecha::DesdeIso(Trim(f.Texto(r)), x)) {
                h.Agrega({nombre(rs),
                          "la fecha \"" + Recorta(TextoDeCampo(f.Texto(r))) +
                              "\" no está escrita como AAAA-MM-DD: la base no la compara con "
                              "el período y no se informa",
                          0});
            }
        });
    recorre(columnas + "(TC IS NULL OR NOT (TC IN ('fc', 'nc', 'nd', 'rc'))) AND FECHA >= " +
                desde + " AND FECHA < " + hasta,
            [&](Recordset& rs) {
                h.Agrega({nombre(rs),
                          "tiene percepción pero su tipo \"" +
                              Recorta(TextoDeCampo(rs.Valor(0).Texto(r))) +
                              "\" no es FC, ND, NC ni RC: no se informa",
                          0});
            });
}

}  // namespace

bool PeriodoArba(const FiltrosArba& f, Fecha& desde, Fecha& hasta) {
    if (f.anio < 1900 || f.anio > 9998 || f.mes < 1 || f.mes > 12 || f.quincena < 0 ||
        f.quincena > 2) {
        return false;
    }
    desde = Fecha{f.anio, f.mes, f.quincena == 2 ? 16 : 1};
    hasta = Fecha{f.anio, f.mes, f.quincena == 1 ? 15 : DiasDelMesArba(f.anio, f.mes)};
    return true;
}

std::string CuitAgenteArba(std::string_view cuit) {
    const std::string once = QuitaCaracteres(TrimVista(cuit), '-');
    return once.size() == 11 && CuitValido(once) ? once : std::string();
}

std::string NombreArchivoArba(const FiltrosArba& f, std::string_view cuit) {
    char periodo[16];
    std::snprintf(periodo, sizeof periodo, "%04d%02d%d", f.anio, f.mes, f.quincena);
    return SeparadorDirectorio(f.directorio) + "AR-" + std::string(cuit) + "-" + periodo +
           "-7-LOTE" + std::to_string(f.lote) + ".txt";
}

std::string SentenciaArba(std::string_view desde, std::string_view hastaExcluido,
                          bool conSucursal) {
    return std::string("SELECT TC, FECHA, LETRA, ") + (conSucursal ? "SUCURSAL, " : "") +
           "NUMERO, cabcuit, liva_impnetograv, LIVA_Ret_IBtos FROM MV_ASIENTOS WHERE (TC IN "
           "('fc', 'nc', 'nd')) AND (LIVA_Ret_IBtos <> 0) AND FECHA >= " +
           std::string(desde) + " AND FECHA < " + std::string(hastaExcluido) +
           " ORDER BY FECHA, TC, LETRA, " + (conSucursal ? "SUCURSAL, " : "") + "NUMERO";
}

ResultadoArba ExportaArba(DB_Dll& db, Ui& ui, const FiltrosArba& filtros,
                          const OpcionesExportacion& opciones) {
    using Estado = ResultadoArba::Estado;
    ResultadoArba res;
    const bool escribe = opciones.modo != ModoRevision::Revisar;

    std::unique_ptr<ArchivoSeguro> archivo;
    std::unique_ptr<RegistroArba> registro;
    std::string litDesde, litHasta;
    PasosExportacion pasos;
    pasos.tituloProgreso = "Generando Archivo de Percepciones ARBA";
    pasos.prepara = [&](Recordset& rs) {
        if (escribe && !archivo) archivo = std::make_unique<ArchivoSeguro>(res.archivo);
        registro = std::make_unique<RegistroArba>(rs, db.regional);
    };
    pasos.muestraFila = [&](const Recordset& rs) {
        ui.progreso.Mensaje(registro->Comprobante(rs));
    };
    pasos.arma = [&](const Recordset& rs, std::string& bytes, std::vector<std::string>* p) {
        registro->Arma(rs, bytes, p);
        return 1;
    };
    pasos.comprobante = [&](const Recordset& rs) { return registro->Comprobante(rs); };
    pasos.escribe = [&](std::string_view bytes) {
        archivo->EscribeBytes(bytes);
        if (opciones.revisar) res.totales.Suma(bytes);
    };
    pasos.revisaOmitidos = [&](Hallazgos& h) { RevisaOmitidosArba(db, litDesde, litHasta, h); };
    Exportacion job(db, ui, std::move(pasos), opciones);
    const auto termina = [&](Estado estado) {
        job.CierraProgreso();
        res.estado = estado;
        res.comprobantes = job.Filas();
        res.omitidos = job.Omitidas();
        res.hallazgos = job.hallazgos();
        return res;
    };
    const auto rechaza = [&](const std::string& mensaje) {
        ui.mensajes.Mostrar(mensaje, mb::kOk | mb::kExclamacion, "AVISO AL OPERADOR");
        return termina(Estado::DatosInvalidos);
    };

    // Nothing is read nor written for an agent ARBA would not recognise.
    const std::string cuit = CuitAgenteArba(filtros.cuitAgente);
    if (cuit.empty()) {
        return rechaza("El CUIT del agente de percepción \"" + Trim(filtros.cuitAgente) +
                       "\" no es válido: once dígitos con su dígito verificador.");
    }
    Fecha desde, hasta;
    if (!PeriodoArba(filtros, desde, hasta)) {
        return rechaza("El período indicado no es válido: año, mes de 1 a 12 y quincena 1 o 2.");
    }
    if (filtros.lote < 1 || filtros.lote > 999999) {
        return rechaza("El número de lote debe ser de 1 a 999999.");
    }
    res.archivo = NombreArchivoArba(filtros, cuit);

    job.AbreProgreso();
    ui.progreso.Mensaje("Procesando...", "Espere porfavor...");
    // The last day counts whole: a voucher of 15/03 18:40 belongs to the first fortnight.
    litDesde = db.LiteralFecha(desde);
    litHasta = db.LiteralFecha(DiaSiguiente(hasta));
    const std::string sql =
        SentenciaArba(litDesde, litHasta, db.ExisteCampoDB("MV_ASIENTOS", "SUCURSAL"));

    switch (job.Ejecuta(sql)) {
        case FinExportacion::SinFilas:
            if (opciones.modo != ModoRevision::Normal && !job.hallazgos().Vacio()) {
                return termina(opciones.modo == ModoRevision::Revisar ? Estado::Revisado
                                                                      : Estado::Descartado);
            }
            job.CierraProgreso();
            ui.mensajes.Mostrar("No hay percepciones en el período: no se generó el archivo.",
                                mb::kOk | mb::kInformacion, "Aviso al operador!!!");
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
    if (!job.Confirma([&] { archivo->Confirmar(); })) return termina(Estado::Abandonado);
    termina(Estado::Completo);
    if (opciones.totalesEnMensaje) {
        ui.mensajes.Mostrar("Se generó el archivo " + res.archivo + "\r\r" +
                                ReemplazaExacto(res.totales.Resumen(), "\n", "\r"),
                            mb::kOk | mb::kInformacion, "Aviso al operador!!!");
    }
    return res;
}

}  // namespace tamaris
