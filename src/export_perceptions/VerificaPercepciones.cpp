// The read-back of a perception file. It reads the file through the layout into typed values
// and the ledger through a plain query of its own, and compares voucher by voucher: it never
// runs the export's statement or formatter, so that what they get wrong shows here.

#include <exception>
#include <thread>

#include "app/Verificacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Texto.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace tamaris {

namespace {

constexpr const char* kPartes[] = {"el CUIT", "el neto gravado", "la percepción"};

// "FC", "ND", "NC" for the file's type codes 1, 5 and 6 (and back).
std::string_view NombreTipo(std::string_view codigo) {
    return codigo == "1" ? "FC" : codigo == "5" ? "ND" : codigo == "6" ? "NC" : codigo;
}

std::string Monto(Importe v) { return std::to_string(v.diezmilesimos); }

// A filed line as the reconciliation compares it.
RegistroConciliado DeLinea(std::string_view l, long linea) {
    const Disposicion& d = DisposicionPercepciones();
    RegistroConciliado r;
    r.linea = linea;
    ValorCampo v;
    const auto texto = [&](int n) { return ClaveTexto(v, LeeCampo(d.Campo(n), l, v)); };
    const std::string tipo = texto(3);
    const std::string letra = Cp1252AUtf8(d.De(l, 4));
    const std::string numero = texto(5);
    const bool fechaOk = LeeCampo(d.Campo(2), l, v);
    const std::string fecha = fechaOk ? v.fecha.Iso() : "?" + std::string(v.texto);
    r.clave = std::string(TrimVista(tipo)) + "|" + letra + "|" + numero + "|" + fecha;
    const std::string cuit = texto(6);
    const bool netoOk = LeeCampo(d.Campo(7), l, v);
    const std::string neto = netoOk ? Monto(v.importe) : "?" + std::string(v.texto);
    const bool percOk = LeeCampo(d.Campo(9), l, v);
    const std::string perc = percOk ? Monto(v.importe) : "?" + std::string(v.texto);
    r.resto = Cp1252AUtf8(cuit) + "|" + neto + "|" + perc;
    return r;
}

std::string NombraClave(const std::string& clave) {
    const auto partes = Divide(clave, '|');
    if (partes.size() < 4) return clave;
    Fecha f;
    const std::string fecha = Fecha::DesdeIso(partes[3], f) ? f.Dma() : partes[3];
    return std::string(NombreTipo(partes[0])) + " " + partes[1] + " " + partes[2] + " del " + fecha;
}

std::string Difiere(const RegistroConciliado& archivo, const RegistroConciliado& libro) {
    const auto a = Divide(archivo.resto, '|');
    const auto b = Divide(libro.resto, '|');
    std::string s;
    for (std::size_t i = 0; i < 3 && i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        const auto muestra = [&](const std::string& x) {
            if (i == 0 || x.empty() || x[0] == '?') return x;
            return TextoMonto(Importe{std::stoll(x)});
        };
        if (!s.empty()) s += "; ";
        s += std::string(kPartes[i]) + " del archivo (" + Recorta(muestra(a[i])) +
             ") no coincide con el del libro (" + Recorta(muestra(b[i])) + ")";
    }
    return s.empty() ? "no coincide con el libro" : s;
}

// A voucher of MV_ASIENTOS as the file should carry it; false when it is no voucher the file
// takes (another type, or a perception that is zero).
bool DeFila(const Recordset& rs, const Regional& reg, RegistroConciliado& r) {
    const std::string tc = Mayusculas(Trim(rs.Valor(0).Texto(reg)));
    const std::string tipo = tc == "FC" ? "1" : tc == "ND" ? "5" : tc == "NC" ? "6" : "";
    if (tipo.empty()) return false;
    const ImporteLeido perc = LeeImporte(rs.Valor(6), rs.TextoDecimal(6), 4);
    if (perc.estado == EstadoImporte::Nulo ||
        (perc.estado == EstadoImporte::Exacto && perc.valor.diezmilesimos == 0)) {
        return false;
    }
    const Variant& vf = rs.Valor(1);
    Fecha f;
    std::string fecha;
    if (vf.EsFecha()) {
        fecha = Fecha{vf.FechaCruda().anio, vf.FechaCruda().mes, vf.FechaCruda().dia}.Iso();
    } else if (Fecha::DesdeIso(Trim(vf.Texto(reg)), f) || Fecha::DesdeDma(Trim(vf.Texto(reg)), f)) {
        fecha = Fecha{f.anio, f.mes, f.dia}.Iso();
    } else {
        fecha = "?" + vf.Texto(reg);
    }
    const std::string letra = Trim(rs.Valor(2).Texto(reg));
    const std::string numero = Trim(rs.Valor(3).Texto(reg));
    r.clave = tipo + "|" +
              (letra.empty() ? std::string(" ") : Cp1252AUtf8(Utf8ACp1252(letra).substr(0, 1))) +
              "|" + numero + "|" + fecha;
    const std::string cuit = QuitaCaracteres(Trim(rs.Valor(4).Texto(reg)), '-');
    const auto monto = [&](int i) {
        const ImporteLeido x = LeeImporte(rs.Valor(i), rs.TextoDecimal(i), 4);
        if (!x.Valido()) return "?" + rs.Valor(i).Texto(reg);
        return Monto(
            Importe{x.valor.diezmilesimos < 0 ? -x.valor.diezmilesimos : x.valor.diezmilesimos});
    };
    r.resto = cuit + "|" + monto(5) + "|" + monto(6);
    r.linea = 0;
    return true;
}

}  // namespace

std::string SentenciaLibroPercepciones(std::string_view desde, std::string_view hastaExcluido,
                                       std::string_view cuenta) {
    std::string sql =
        "SELECT TC, FECHA, LETRA, NUMERO, cabcuit, liva_impnetograv, LIVA_Ret_IBtos FROM "
        "MV_ASIENTOS WHERE LIVA_Ret_IBtos <> 0";
    if (!desde.empty()) sql += " AND FECHA >= " + std::string(desde);
    if (!hastaExcluido.empty()) sql += " AND FECHA < " + std::string(hastaExcluido);
    if (!cuenta.empty()) sql += " AND CUENTA = '" + ReemplazaExacto(cuenta, "'", "''") + "'";
    return sql;
}

VerificacionPercepciones VerificaPercepciones(const std::string& archivo, DB_Dll* db, Ui* ui,
                                              const FiltrosPercepcion& filtros) {
    VerificacionPercepciones v;
    Repetidos repetidos;
    const auto revisaArchivo = [&] {
        v.lineas =
            RevisaArchivoFiscal(archivo, kAnchoLineaPercepcion, v.hallazgos, RevisaLineaPercepcion,
                                ComprobanteDeLinea, [&](std::string_view l, long linea) {
                                    v.totales.Suma(l);
                                    const Disposicion& d = DisposicionPercepciones();
                                    std::string clave(d.De(l, 3));
                                    for (int n : {2, 4, 5, 6})
                                        clave += "|" + std::string(d.De(l, n));
                                    repetidos.Agrega(clave, linea);
                                });
        repetidos.Termina(v.hallazgos);
    };
    if (!db || !ui) {
        revisaArchivo();
        return v;
    }
    Fecha desde, hasta;
    const std::string tDesde = Trim(filtros.desde), tHasta = Trim(filtros.hasta);
    if ((!tDesde.empty() && !Fecha::DesdeDma(tDesde, desde)) ||
        (!tHasta.empty() && !Fecha::DesdeDma(tHasta, hasta))) {
        throw ErrorTamaris(err::kFalloGenerico, "El período indicado no es una fecha DD/MM/AAAA.");
    }
    // The file is opened here first, so that a missing one is told before the ledger is read.
    LectorLineas lector(archivo);
    Conciliacion conciliacion([&](RegistroConciliado& r) {
        std::string_view l;
        LectorLineas::Final fin;
        while (lector.Siguiente(l, fin)) {
            if (l.size() != static_cast<std::size_t>(kAnchoLineaPercepcion)) continue;
            r = DeLinea(l, lector.Numero());
            return true;
        }
        return false;
    });
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

    const std::string sql = SentenciaLibroPercepciones(
        tDesde.empty() ? "" : db->LiteralFecha(desde),
        tHasta.empty() ? "" : db->LiteralFecha(DiaSiguiente(hasta)), Trim(filtros.cuenta));
    Recordset rs;
    std::string consulta = sql;
    db->AbrirRecordset(consulta, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
    if (rs.State() == adStateClosed) {
        throw ErrorTamaris(err::kFalloGenerico,
                           "No se pudo leer el libro para conciliar el archivo con él.");
    }
    {
        CierraAlSalir cierra(rs);
        RegistroConciliado r;
        while (!rs.Eof()) {
            if (DeFila(rs, db->regional, r)) conciliacion.Libro(std::move(r));
            rs.MoveNext();
        }
    }
    revision.join();
    if (fallo) std::rethrow_exception(fallo);
    Hallazgos propios;
    conciliacion.Termina(propios, NombraClave, Difiere);
    for (Hallazgo& h : propios.lista) v.hallazgos.Agrega(std::move(h));
    v.conciliado = true;
    v.faltantes = conciliacion.Faltantes();
    v.sobrantes = conciliacion.Sobrantes();
    v.distintos = conciliacion.Distintos();
    return v;
}

}  // namespace tamaris
