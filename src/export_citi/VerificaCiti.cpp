// The read-back of a CITI Ventas file. It reads the records through the layout into typed
// values, groups them into vouchers and checks what the file itself must satisfy (the count of
// aliquot lines, the voucher amounts on the last line, no voucher twice); with a ledger it reads
// LIBROIVAVENTAS with a plain query of its own and compares voucher by voucher. It never runs
// the export's statement or formatter.

#include "app/Verificacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Texto.h"
#include "export_citi/ExportaCiti.h"
#include "export_citi/Formatos.h"

namespace tamaris {

namespace {

std::string Monto(Importe v) { return MontoConciliado(v); }

// The vouchers of a file, one at a time: consecutive records of the same key make a voucher.
class VouchersDeArchivo {
  public:
    explicit VouchersDeArchivo(const std::string& ruta) : lector_(ruta) {}

    // The next voucher's records (398 bytes each) and the line of its first; false at the end.
    bool Siguiente(std::vector<std::string>& registros, long& linea) {
        registros.clear();
        for (;;) {
            if (!pendiente_.empty()) {
                if (!registros.empty() && Clave(pendiente_) != Clave(registros.front()))
                    return true;
                if (registros.empty()) linea = lineaPendiente_;
                registros.push_back(std::move(pendiente_));
                pendiente_.clear();
            }
            std::string_view l;
            LectorLineas::Final fin;
            if (!lector_.Siguiente(l, fin)) return !registros.empty();
            if (l.size() != static_cast<std::size_t>(DisposicionCiti().ancho)) continue;
            pendiente_.assign(l);
            lineaPendiente_ = lector_.Numero();
        }
    }

    static std::string Clave(std::string_view r) {
        const Disposicion& d = DisposicionCiti();
        return std::string(d.De(r, 3)) + "|" + std::string(d.De(r, 5)) + "|" +
               std::string(d.De(r, 6)) + "|" + std::string(d.De(r, 2));
    }

  private:
    LectorLineas lector_;
    std::string pendiente_;
    long lineaPendiente_ = 0;
};

// A filed voucher as the reconciliation compares it.
RegistroConciliado DeVoucher(const std::vector<std::string>& registros, long linea) {
    const Disposicion& d = DisposicionCiti();
    RegistroConciliado r;
    r.linea = linea;
    const std::string_view ultimo = registros.back();
    ValorCampo v;
    const auto texto = [&](std::string_view reg, int n) {
        return ClaveTexto(v, LeeCampo(d.Campo(n), reg, v));
    };
    const auto monto = [&](std::string_view reg, int n) {
        return LeeCampo(d.Campo(n), reg, v) ? Monto(v.importe) : "?" + std::string(v.texto);
    };
    const bool fechaOk = LeeCampo(d.Campo(2), ultimo, v);
    r.clave = Cp1252AUtf8(d.De(ultimo, 3)) + "|" + SinCeros(texto(ultimo, 5)) + "|" +
              SinCeros(texto(ultimo, 6)) + "|" +
              (fechaOk ? v.fecha.Iso() : "?" + std::string(v.texto));
    r.resto = Cp1252AUtf8(TrimVista(d.De(ultimo, 9))) + "|" + monto(ultimo, 11) + "|" +
              monto(ultimo, 12) + "|" + monto(ultimo, 17);
    for (const std::string& reg : registros) {
        r.resto += ";" + monto(reg, 13) + "/" + Cp1252AUtf8(d.De(reg, 14)) + "/" + monto(reg, 15);
    }
    return r;
}

std::string NombraClave(const std::string& clave) {
    const auto p = Divide(clave, '|');
    if (p.size() < 4) return clave;
    Fecha f;
    return p[0] + " " + p[1] + "-" + p[2] + " del " + (Fecha::DesdeIso(p[3], f) ? f.Dma() : p[3]);
}

std::string Difiere(const RegistroConciliado& archivo, const RegistroConciliado& libro) {
    static const char* kPartes[] = {"el CUIT del cliente", "el total", "el no gravado",
                                    "el exento"};
    const auto lineas = [](const std::string& resto) { return Divide(resto, ';'); };
    const auto la = lineas(archivo.resto), lb = lineas(libro.resto);
    const auto a = Divide(la[0], '|'), b = Divide(lb[0], '|');
    const auto muestra = [](const std::string& x) {
        if (x.empty() || x[0] == '?' || x.find_first_not_of("0123456789") != std::string::npos)
            return Recorta(x);
        return TextoMonto(Importe{std::stoll(x)});
    };
    std::string s;
    const auto agrega = [&](const std::string& que, const std::string& x, const std::string& y,
                            bool monto) {
        if (!s.empty()) s += "; ";
        s += que + " del archivo (" + (monto ? muestra(x) : Recorta(x)) +
             ") no coincide con el del libro (" + (monto ? muestra(y) : Recorta(y)) + ")";
    };
    for (std::size_t i = 0; i < 4 && i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) agrega(kPartes[i], a[i], b[i], i > 0);
    }
    if (la.size() != lb.size()) {
        if (!s.empty()) s += "; ";
        s += "el archivo tiene " + std::to_string(la.size() - 1) +
             " líneas de alícuota y el libro " + std::to_string(lb.size() - 1);
    } else {
        for (std::size_t k = 1; k < la.size(); ++k) {
            const auto x = Divide(la[k], '/'), y = Divide(lb[k], '/');
            static const char* kLinea[] = {"el neto gravado", "el código de alícuota", "el IVA"};
            for (std::size_t i = 0; i < 3 && i < x.size() && i < y.size(); ++i) {
                if (x[i] != y[i]) {
                    agrega(std::string(kLinea[i]) + " de la línea de alícuota " + std::to_string(k),
                           x[i], y[i], i != 1);
                }
            }
        }
    }
    return s.empty() ? "no coincide con el libro" : s;
}

// A voucher of LIBROIVAVENTAS as the file should carry it; false when the file does not take
// it (a total of 0,01 or less).
bool DeFila(const Recordset& rs, const Regional& reg, int decimalesNeto, RegistroConciliado& r) {
    enum { kFecha, kTC, kLetra, kSucursal, kNumero, kCuit, kTotal, kNoGravado, kExento, kIva1 };
    const auto dinero = [&](int i, int decimales = kDecimalesDinero) {
        return LeeImporte(rs.Valor(i), rs.TextoDecimal(i), decimales);
    };
    const ImporteLeido total = dinero(kTotal);
    const int64_t absTotal =
        total.valor.diezmilesimos < 0 ? -total.valor.diezmilesimos : total.valor.diezmilesimos;
    if (total.Valido() && absTotal <= 100) return false;
    const auto texto = [&](int i) { return Trim(rs.Valor(i).Texto(reg)); };
    const Variant& vf = rs.Valor(kFecha);
    Fecha f;
    std::string fecha;
    if (vf.EsFecha()) {
        fecha = Fecha{vf.FechaCruda().anio, vf.FechaCruda().mes, vf.FechaCruda().dia}.Iso();
    } else if (Fecha::DesdeIso(texto(kFecha), f) || Fecha::DesdeDma(texto(kFecha), f)) {
        fecha = Fecha{f.anio, f.mes, f.dia}.Iso();
    } else {
        fecha = "?" + texto(kFecha);
    }
    const CodigosComprobante codigos = CodigosDeClave(texto(kTC), texto(kLetra));
    r.clave = std::string(codigos.tipo) + "|" + SinCeros(texto(kSucursal)) + "|" +
              SinCeros(texto(kNumero)) + "|" + fecha;
    std::string cuit = QuitaCaracteres(texto(kCuit), '-', '/', ' ');
    if (!cuit.empty() && cuit.size() < 11 &&
        cuit.find_first_not_of("0123456789") == std::string::npos) {
        cuit.insert(0, 11 - cuit.size(), '0');
    }
    const auto monto = [&](const ImporteLeido& x, int i) {
        return x.Valido() || x.estado == EstadoImporte::Nulo ? Monto(x.valor) : "?" + texto(i);
    };
    r.resto = cuit + "|" + monto(total, kTotal) + "|" + monto(dinero(kNoGravado), kNoGravado) +
              "|" + monto(dinero(kExento), kExento);
    // Column 1, then each of columns 2 to 4 that is not zero.
    for (int c = 0; c < 4; ++c) {
        const ImporteLeido iva = dinero(kIva1 + c);
        if (c > 0 && iva.valor.diezmilesimos == 0) continue;
        Importe neto;
        std::string codigo = "0000";
        if (c < 3 && iva.valor.diezmilesimos != 0) {
            const ImporteLeido tasa = dinero(kIva1 + 4 + c, 4);
            if (tasa.valor.diezmilesimos != 0) {
                const int64_t a = iva.valor.diezmilesimos < 0 ? -iva.valor.diezmilesimos
                                                              : iva.valor.diezmilesimos;
                neto = RedondeaImporte(DivideImportes(Importe{a * 100}, tasa.valor), decimalesNeto);
                neto.diezmilesimos -= neto.diezmilesimos % 100;  // the file keeps two decimals
                codigo = tasa.valor.diezmilesimos == 210000   ? "2100"
                         : tasa.valor.diezmilesimos == 105000 ? "1050"
                                                              : "2700";
            }
        }
        r.resto += ";" + Monto(neto) + "/" + codigo + "/" + monto(iva, kIva1 + c);
    }
    return true;
}

// What the file itself must satisfy, voucher by voucher.
void RevisaVoucher(const std::vector<std::string>& registros, long linea, Hallazgos& h) {
    const Disposicion& d = DisposicionCiti();
    const std::string quien = ComprobanteDeRegistro(registros.front());
    const std::size_t n = registros.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::string_view reg = registros[k];
        const char c = d.De(reg, 25)[0];
        if (c >= '1' && c <= '4' && static_cast<std::size_t>(c - '0') != n) {
            h.Agrega({quien,
                      "campo 25 (cantidad de alícuotas) dice " + std::string(1, c) +
                          " y el comprobante tiene " + std::to_string(n) +
                          " líneas seguidas de alícuota",
                      linea + static_cast<long>(k)});
            break;
        }
    }
    for (std::size_t k = 0; k + 1 < n; ++k) {
        for (int campo : {11, 12, 17}) {
            const std::string_view valor = d.De(registros[k], campo);
            if (valor.find_first_not_of('0') != std::string_view::npos) {
                h.Agrega({quien,
                          "campo " + std::to_string(campo) + " (" +
                              std::string(d.Campo(campo).nombre) +
                              ") va solo en la última línea del comprobante",
                          linea + static_cast<long>(k)});
            }
        }
    }
}

}  // namespace

std::string SentenciaLibroCiti(std::string_view desde, std::string_view hastaExcluido) {
    return "SELECT Fecha, TC, Letra, Sucursal, Numero, cabcuit, Liva_Total, LIVA_ImpNetoNGrav, "
           "Liva_Exento, Liva_ImpIva, Liva_ImpIva2, Liva_ImpIva3, Liva_ImpIva4, liva_aliciva, "
           "liva_aliciva2, liva_aliciva3 FROM LIBROIVAVENTAS WHERE FECHA >= " +
           std::string(desde) + " AND FECHA < " + std::string(hastaExcluido) + " ORDER BY Fecha";
}

VerificacionCiti VerificaCiti(const std::string& archivo, Sistema* sistema,
                              const FiltrosCiti& filtros) {
    VerificacionCiti v;
    constexpr std::size_t kAncho = kAnchoRegistroCiti - 2;
    v.registros =
        RevisaArchivoFiscal(archivo, kAncho, v.hallazgos, RevisaRegistroCiti, ComprobanteDeRegistro,
                            [&](std::string_view l, long) { v.totales.Suma(l); });
    {
        Repetidos repetidos;
        VouchersDeArchivo vouchers(archivo);
        std::vector<std::string> registros;
        long linea = 0;
        while (vouchers.Siguiente(registros, linea)) {
            RevisaVoucher(registros, linea, v.hallazgos);
            repetidos.Agrega(VouchersDeArchivo::Clave(registros.front()), linea);
        }
        repetidos.Termina(v.hallazgos);
    }
    if (!sistema) return v;

    DB_Dll& db = sistema->db;
    Fecha desde, hasta;
    if (!Fecha::DesdeDma(filtros.desde, desde) || !Fecha::DesdeDma(filtros.hasta, hasta)) {
        throw ErrorTamaris(err::kFalloGenerico, "El período indicado no es una fecha DD/MM/AAAA.");
    }
    int decimalesNeto = static_cast<int>(ValorNumerico(sistema->CantidadDecimales));
    if (decimalesNeto <= 0) decimalesNeto = db.regional.digitosDecimales;

    VouchersDeArchivo vouchers(archivo);
    Conciliacion conciliacion([&](RegistroConciliado& r) {
        std::vector<std::string> registros;
        long linea = 0;
        if (!vouchers.Siguiente(registros, linea)) return false;
        r = DeVoucher(registros, linea);
        return true;
    });
    ConciliaConLibro(
        db, SentenciaLibroCiti(db.LiteralFecha(desde), db.LiteralFecha(DiaSiguiente(hasta))),
        "el libro de IVA ventas",
        [&](const Recordset& rs, RegistroConciliado& r) {
            return DeFila(rs, db.regional, decimalesNeto, r);
        },
        conciliacion, v, NombraClave, Difiere);
    return v;
}

}  // namespace tamaris
