// The read-back of an ARBA perception file. It reads the records through the layout into typed
// values and checks what ARBA checks (widths, fields, perception = net × rate to the cent, no
// voucher twice); with a ledger it reads MV_ASIENTOS with a plain query of its own and compares
// voucher by voucher. It never runs the export's statement or record builder.

#include "app/Verificacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Texto.h"
#include "export_arba/ExportaArba.h"

namespace tamaris {

namespace {

// A whole number without its leading zeros ("0" for zeros); other text as it stands.
std::string SinCeros(std::string_view t) {
    t = TrimVista(t);
    if (t.empty() || t.find_first_not_of("0123456789") != std::string_view::npos) {
        return "?" + std::string(t);
    }
    const std::size_t i = t.find_first_not_of('0');
    return i == std::string_view::npos ? "0" : std::string(t.substr(i));
}

std::string Clave(std::string_view tipo, std::string_view letra, const std::string& pv,
                  const std::string& numero, const std::string& fecha) {
    return std::string(tipo) + "|" + std::string(letra) + "|" + pv + "|" + numero + "|" + fecha;
}

// A filed record as the reconciliation compares it.
RegistroConciliado DeRegistro(std::string_view r, long linea) {
    const Disposicion& d = DisposicionArba();
    RegistroConciliado c;
    c.linea = linea;
    ValorCampo v;
    const auto texto = [&](int n) { return ClaveTexto(v, LeeCampo(d.Campo(n), r, v)); };
    const auto monto = [&](int n) {
        return LeeCampo(d.Campo(n), r, v) ? std::to_string(v.importe.diezmilesimos)
                                          : "?" + std::string(v.texto);
    };
    const std::string fecha =
        LeeCampo(d.Campo(2), r, v) ? v.fecha.Iso() : "?" + std::string(v.texto);
    c.clave = Clave(Cp1252AUtf8(d.De(r, 3)), Cp1252AUtf8(d.De(r, 4)), SinCeros(texto(5)),
                    SinCeros(texto(6)), fecha);
    c.resto = QuitaCaracteres(Cp1252AUtf8(d.De(r, 1)), '-') + "|" + monto(7) + "|" + monto(9);
    return c;
}

// An entry of MV_ASIENTOS as the file should carry it; false when the file does not take it.
bool DeFila(const Recordset& rs, const Regional& reg, bool conSucursal, RegistroConciliado& c) {
    enum { kTC, kFecha, kLetra, kNumero, kCuit, kNeto, kPercepcion, kSucursal };
    const auto texto = [&](int i) { return Trim(rs.Valor(i).Texto(reg)); };
    const std::string tc = Mayusculas(texto(kTC));
    const std::string tipo = tc == "FC" ? "F" : tc == "ND" ? "D" : tc == "NC" ? "C" : "";
    if (tipo.empty()) return false;
    const auto dinero = [&](int i, int decimales) {
        return LeeImporte(rs.Valor(i), rs.TextoDecimal(i), decimales);
    };
    const auto entero = [&](int i, std::string& salida) {
        const ImporteLeido x = dinero(i, 0);
        salida = x.Valido() ? std::to_string(x.valor.diezmilesimos / 10000) : "?" + texto(i);
        return x.valor.diezmilesimos / 10000;
    };
    std::string numeroTexto, pv;
    const int64_t numero = entero(kNumero, numeroTexto);
    if (conSucursal) {
        entero(kSucursal, pv);
    } else {
        pv = std::to_string(numero / 100000000);
    }
    const std::string ocho =
        numeroTexto[0] == '?' ? numeroTexto : std::to_string(numero % 100000000);
    const Variant& vf = rs.Valor(kFecha);
    Fecha f;
    std::string fecha;
    if (vf.EsFecha()) {
        fecha = Fecha{vf.FechaCruda().anio, vf.FechaCruda().mes, vf.FechaCruda().dia}.Iso();
    } else if (Fecha::DesdeIso(texto(kFecha), f)) {
        fecha = Fecha{f.anio, f.mes, f.dia}.Iso();
    } else {
        fecha = "?" + texto(kFecha);
    }
    const std::string letraLibro = Mayusculas(texto(kLetra));
    const std::string letra =
        letraLibro == "A" || letraLibro == "B" || letraLibro == "C" ? letraLibro : " ";
    c.clave = Clave(tipo, letra, pv, ocho, fecha);
    const auto monto = [&](int i) {
        const ImporteLeido x = dinero(i, kDecimalesDinero);
        if (!x.Valido() && x.estado != EstadoImporte::Nulo) return "?" + texto(i);
        const int64_t a =
            x.valor.diezmilesimos < 0 ? -x.valor.diezmilesimos : x.valor.diezmilesimos;
        return std::to_string(tipo == "C" ? -a : a);
    };
    c.resto = QuitaCaracteres(texto(kCuit), '-', '/', ' ') + "|" + monto(kNeto) + "|" +
              monto(kPercepcion);
    return true;
}

std::string NombraClave(const std::string& clave) {
    const auto p = Divide(clave, '|');
    if (p.size() < 5) return clave;
    Fecha f;
    const std::string tipo = p[0] == "F" ? "FC" : p[0] == "D" ? "ND" : p[0] == "C" ? "NC" : p[0];
    return tipo + " " + p[1] + " " + p[2] + "-" + p[3] + " del " +
           (Fecha::DesdeIso(p[4], f) ? f.Dma() : p[4]);
}

std::string Difiere(const RegistroConciliado& archivo, const RegistroConciliado& libro) {
    static const char* kPartes[] = {"el CUIT", "el monto imponible", "la percepción"};
    const auto a = Divide(archivo.resto, '|'), b = Divide(libro.resto, '|');
    const auto muestra = [](const std::string& x, bool monto) {
        if (!monto || x.empty() || x.find_first_not_of("-0123456789") != std::string::npos) {
            return Recorta(x);
        }
        return TextoMonto(Importe{std::stoll(x)});
    };
    std::string s;
    for (std::size_t i = 0; i < 3 && i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        if (!s.empty()) s += "; ";
        s += std::string(kPartes[i]) + " difiere: " + muestra(a[i], i > 0) + " en el archivo, " +
             muestra(b[i], i > 0) + " en el libro";
    }
    return s.empty() ? "no coincide con el libro" : s;
}

}  // namespace

VerificacionArba VerificaArba(const std::string& archivo, DB_Dll* db, const FiltrosArba& periodo) {
    VerificacionArba v;
    const auto ancho = static_cast<std::size_t>(kAnchoRegistroArba);
    Repetidos repetidos;
    v.registros = RevisaArchivoFiscal(archivo, ancho, v.hallazgos, RevisaRegistroArba,
                                      ComprobanteDeRegistroArba, [&](std::string_view l, long n) {
                                          v.totales.Suma(l);
                                          repetidos.Agrega(DeRegistro(l, n).clave, n);
                                      });
    repetidos.Termina(v.hallazgos);
    if (!db) return v;

    Fecha desde, hasta;
    if (!PeriodoArba(periodo, desde, hasta)) {
        throw ErrorTamaris(err::kFalloGenerico, "El período indicado no es válido.");
    }
    const bool conSucursal = db->ExisteCampoDB("MV_ASIENTOS", "SUCURSAL");
    LectorLineas lector(archivo);
    Conciliacion conciliacion([&](RegistroConciliado& r) {
        std::string_view l;
        LectorLineas::Final fin;
        while (lector.Siguiente(l, fin)) {
            if (l.size() != ancho) continue;
            r = DeRegistro(l, lector.Numero());
            return true;
        }
        return false;
    });
    std::string sql =
        std::string("SELECT TC, FECHA, LETRA, NUMERO, cabcuit, liva_impnetograv, LIVA_Ret_IBtos") +
        (conSucursal ? ", SUCURSAL" : "") +
        " FROM MV_ASIENTOS WHERE LIVA_Ret_IBtos <> 0 AND FECHA >= " + db->LiteralFecha(desde) +
        " AND FECHA < " + db->LiteralFecha(DiaSiguiente(hasta)) +
        // In the file's order, so that the vouchers pair as they come and memory stays flat.
        " ORDER BY FECHA, TC, LETRA, " + (conSucursal ? "SUCURSAL, " : "") + "NUMERO";
    ConciliaConLibro(
        *db, sql, "MV_ASIENTOS",
        [&](const Recordset& rs, RegistroConciliado& r) {
            return DeFila(rs, db->regional, conSucursal, r);
        },
        conciliacion, v, NombraClave, Difiere);
    return v;
}

}  // namespace tamaris
