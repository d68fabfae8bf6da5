// The read-back of the two Libro de IVA Digital files. It reads the records through the layouts
// into typed values, walks both files together (each voucher record followed, in the aliquot
// file, by as many aliquot records of the same voucher as it says), and checks each voucher's
// balance; with a ledger it reads LIBROIVAVENTAS with a plain query of its own and compares
// voucher by voucher. It never runs the export's statement or formatter.

#include "app/Verificacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Texto.h"
#include "export_citi/ExportaCiti.h"
#include "export_libro_iva/ExportaLibroIva.h"

namespace tamaris {

namespace {

std::string Monto(Importe v) { return MontoConciliado(v); }

// A voucher of the files: its record and the aliquot records that follow it.
struct VoucherLibro {
    std::string comprobante;
    std::vector<std::string> alicuotas;
    long linea = 0;                // of the voucher record
    std::vector<long> lineasAlic;  // of each aliquot record
};

// Both files read together, a voucher at a time; what does not pair is told as it is met.
class VouchersLibro {
  public:
    VouchersLibro(const std::string& comprobantes, const std::string& alicuotas, Hallazgos* h)
        : c_(comprobantes), a_(alicuotas), h_(h) {}

    bool Siguiente(VoucherLibro& v) {
        const Disposicion& dc = DisposicionComprobanteLibro();
        std::string_view l;
        LectorLineas::Final fin;
        for (;;) {
            if (!c_.Siguiente(l, fin)) {
                Sobrantes();
                return false;
            }
            if (l.size() == static_cast<std::size_t>(dc.ancho)) break;
        }
        v.comprobante.assign(l);
        v.linea = c_.Numero();
        v.alicuotas.clear();
        v.lineasAlic.clear();
        const char c = dc.De(v.comprobante, 19)[0];
        const int cantidad = c >= '1' && c <= '9' ? c - '0' : 1;
        const std::string quien = ComprobanteDeRegistroLibro(v.comprobante);
        const std::string clave = std::string(dc.De(v.comprobante, 2)) +
                                  std::string(dc.De(v.comprobante, 3)) +
                                  std::string(dc.De(v.comprobante, 4));
        // Records of the previous voucher beyond what it said it has: told once each, so that
        // the vouchers after it still pair.
        for (std::string_view a; a_.Espia(a) && !anterior_.empty() && Clave(a) == anterior_;) {
            a_.Siguiente(a, fin);
            Agrega(
                {ComprobanteDeAlicuotaLibro(a),
                 "el registro de alícuota sobra: su comprobante dice menos alícuotas en el campo "
                 "19",
                 a_.Numero()});
        }
        anterior_ = clave;
        for (int k = 0; k < cantidad; ++k) {
            std::string_view a;
            if (!a_.Espia(a)) {
                Agrega({quien,
                        "campo 19 (cantidad de alícuotas) dice " + std::to_string(cantidad) +
                            " y el archivo de alícuotas termina después de " + std::to_string(k),
                        v.linea});
                break;
            }
            const bool propia = Clave(a) == clave;
            if (!propia) {
                Agrega({quien,
                        "campo 19 (cantidad de alícuotas) dice " + std::to_string(cantidad) +
                            " y el archivo de alícuotas trae " + std::to_string(k) +
                            " seguidos de este comprobante (la línea " +
                            std::to_string(a_.Numero() + 1) + " de alícuotas es de " +
                            ComprobanteDeAlicuotaLibro(a) + ")",
                        v.linea});
                break;
            }
            a_.Siguiente(a, fin);
            v.alicuotas.emplace_back(a);
            v.lineasAlic.push_back(a_.Numero());
        }
        return true;
    }

  private:
    static std::string Clave(std::string_view a) {
        const Disposicion& da = DisposicionAlicuotaLibro();
        if (a.size() != static_cast<std::size_t>(da.ancho)) return {};
        return std::string(da.De(a, 1)) + std::string(da.De(a, 2)) + std::string(da.De(a, 3));
    }
    void Agrega(Hallazgo h) {
        if (h_) h_->Agrega(std::move(h));
    }
    void Sobrantes() {
        std::string_view a;
        LectorLineas::Final fin;
        while (a_.Siguiente(a, fin)) {
            Agrega({ComprobanteDeAlicuotaLibro(a),
                    "el registro de alícuota no sigue a ningún comprobante del archivo de "
                    "comprobantes",
                    a_.Numero()});
        }
    }

    LectorLineas c_, a_;
    Hallazgos* h_;
    std::string anterior_;  // key of the previous voucher
};

RegistroConciliado DeVoucher(const VoucherLibro& v) {
    const Disposicion& dc = DisposicionComprobanteLibro();
    const Disposicion& da = DisposicionAlicuotaLibro();
    RegistroConciliado r;
    r.linea = v.linea;
    ValorCampo x;
    const auto texto = [&](const Disposicion& d, std::string_view reg, int n) {
        return ClaveTexto(x, LeeCampo(d.Campo(n), reg, x));
    };
    const auto monto = [&](const Disposicion& d, std::string_view reg, int n) {
        return LeeCampo(d.Campo(n), reg, x) ? Monto(x.importe) : "?" + std::string(x.texto);
    };
    const std::string_view c = v.comprobante;
    const bool fechaOk = LeeCampo(dc.Campo(1), c, x);
    r.clave = Cp1252AUtf8(dc.De(c, 2)) + "|" + SinCeros(texto(dc, c, 3)) + "|" +
              SinCeros(texto(dc, c, 4)) + "|" +
              (fechaOk ? x.fecha.Iso() : "?" + std::string(x.texto));
    r.resto = monto(dc, c, 9) + "|" + monto(dc, c, 10) + "|" + monto(dc, c, 12);
    for (const std::string& a : v.alicuotas) {
        r.resto += ";" + monto(da, a, 4) + "/" + Cp1252AUtf8(da.De(a, 5)) + "/" + monto(da, a, 6);
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
    static const char* kPartes[] = {"el total", "el no gravado", "el exento"};
    const auto la = Divide(archivo.resto, ';'), lb = Divide(libro.resto, ';');
    const auto a = Divide(la[0], '|'), b = Divide(lb[0], '|');
    const auto muestra = [](const std::string& x) {
        if (x.empty() || x.find_first_not_of("0123456789") != std::string::npos) return Recorta(x);
        return TextoMonto(Importe{std::stoll(x)});
    };
    std::string s;
    const auto agrega = [&](const std::string& que, const std::string& x, const std::string& y,
                            bool monto) {
        if (!s.empty()) s += "; ";
        s += que + " del archivo (" + (monto ? muestra(x) : Recorta(x)) +
             ") no coincide con el del libro (" + (monto ? muestra(y) : Recorta(y)) + ")";
    };
    for (std::size_t i = 0; i < 3 && i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) agrega(kPartes[i], a[i], b[i], true);
    }
    if (la.size() != lb.size()) {
        if (!s.empty()) s += "; ";
        s += "el archivo tiene " + std::to_string(la.size() - 1) + " alícuotas y el libro " +
             std::to_string(lb.size() - 1);
    } else {
        static const char* kLinea[] = {"el neto gravado", "el código de alícuota", "el IVA"};
        for (std::size_t k = 1; k < la.size(); ++k) {
            const auto x = Divide(la[k], '/'), y = Divide(lb[k], '/');
            for (std::size_t i = 0; i < 3 && i < x.size() && i < y.size(); ++i) {
                if (x[i] != y[i]) {
                    agrega(std::string(kLinea[i]) + " de la alícuota " + std::to_string(k), x[i],
                           y[i], i != 1);
                }
            }
        }
    }
    return s.empty() ? "no coincide con el libro" : s;
}

// A voucher of LIBROIVAVENTAS as the files should carry it; false when they do not take it (a
// total of 0,01 or less, or a voucher key the book does not file).
bool DeFila(const Recordset& rs, const Regional& reg, int decimalesNeto, RegistroConciliado& r) {
    enum { kFecha, kTC, kLetra, kSucursal, kNumero, kTotal, kNoGravado, kExento, kIva1 };
    const auto dinero = [&](int i, int decimales = kDecimalesDinero) {
        return LeeImporte(rs.Valor(i), rs.TextoDecimal(i), decimales);
    };
    const auto texto = [&](int i) { return Trim(rs.Valor(i).Texto(reg)); };
    const ImporteLeido total = dinero(kTotal);
    const int64_t absTotal =
        total.valor.diezmilesimos < 0 ? -total.valor.diezmilesimos : total.valor.diezmilesimos;
    if (total.Valido() && absTotal <= 100) return false;
    const std::string_view tipo = TipoComprobanteLibro(texto(kTC), texto(kLetra));
    if (tipo.empty()) return false;
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
    r.clave = std::string(tipo) + "|" + SinCeros(texto(kSucursal)) + "|" +
              SinCeros(texto(kNumero)) + "|" + fecha;
    const auto monto = [&](const ImporteLeido& x, int i) {
        return x.Valido() || x.estado == EstadoImporte::Nulo ? Monto(x.valor) : "?" + texto(i);
    };
    r.resto = monto(total, kTotal) + "|" + monto(dinero(kNoGravado), kNoGravado) + "|" +
              monto(dinero(kExento), kExento);
    for (int c = 0; c < 4; ++c) {
        const ImporteLeido iva = dinero(kIva1 + c);
        if (c > 0 && iva.valor.diezmilesimos == 0) continue;
        Importe neto;
        std::string codigo = "0003";
        if (iva.valor.diezmilesimos != 0) {
            codigo = "0000";
            if (c < 3) {
                const ImporteLeido tasa = dinero(kIva1 + 4 + c, 4);
                if (tasa.valor.diezmilesimos != 0) {
                    const int64_t a = iva.valor.diezmilesimos < 0 ? -iva.valor.diezmilesimos
                                                                  : iva.valor.diezmilesimos;
                    neto = RedondeaImporte(DivideImportes(Importe{a * 100}, tasa.valor),
                                           decimalesNeto);
                    neto.diezmilesimos -= neto.diezmilesimos % 100;  // the file keeps two decimals
                    const std::string_view cod = CodigoAlicuotaLibro(tasa.valor);
                    if (!cod.empty()) codigo = cod;
                }
            }
        }
        r.resto += ";" + Monto(neto) + "/" + codigo + "/" + monto(iva, kIva1 + c);
    }
    return true;
}

}  // namespace

std::string SentenciaLibroDigital(std::string_view desde, std::string_view hastaExcluido) {
    return "SELECT Fecha, TC, Letra, Sucursal, Numero, Liva_Total, LIVA_ImpNetoNGrav, "
           "Liva_Exento, Liva_ImpIva, Liva_ImpIva2, Liva_ImpIva3, Liva_ImpIva4, liva_aliciva, "
           "liva_aliciva2, liva_aliciva3 FROM LIBROIVAVENTAS WHERE FECHA >= " +
           std::string(desde) + " AND FECHA < " + std::string(hastaExcluido) + " ORDER BY Fecha";
}

VerificacionLibroIva VerificaLibroIva(const std::string& comprobantes, const std::string& alicuotas,
                                      Sistema* sistema, int anio, int mes) {
    VerificacionLibroIva v;
    v.comprobantes =
        RevisaArchivoFiscal(comprobantes, kAnchoComprobanteLibro, v.hallazgos,
                            RevisaComprobanteLibro, ComprobanteDeRegistroLibro,
                            [&](std::string_view l, long) { v.totales.SumaComprobante(l); });
    v.alicuotas = RevisaArchivoFiscal(alicuotas, kAnchoAlicuotaLibro, v.hallazgos,
                                      RevisaAlicuotaLibro, ComprobanteDeAlicuotaLibro,
                                      [&](std::string_view l, long) { v.totales.SumaAlicuota(l); });
    {
        Repetidos repetidos;
        VouchersLibro vouchers(comprobantes, alicuotas, &v.hallazgos);
        VoucherLibro voucher;
        const Disposicion& dc = DisposicionComprobanteLibro();
        while (vouchers.Siguiente(voucher)) {
            std::vector<std::string_view> alic(voucher.alicuotas.begin(), voucher.alicuotas.end());
            const std::string cuadre = RevisaCuadreLibro(voucher.comprobante, alic);
            if (!cuadre.empty()) {
                v.hallazgos.Agrega(
                    {ComprobanteDeRegistroLibro(voucher.comprobante), cuadre, voucher.linea});
            }
            repetidos.Agrega(std::string(dc.De(voucher.comprobante, 2)) + "|" +
                                 std::string(dc.De(voucher.comprobante, 3)) + "|" +
                                 std::string(dc.De(voucher.comprobante, 4)),
                             voucher.linea);
        }
        repetidos.Termina(v.hallazgos);
    }
    if (!sistema) return v;

    DB_Dll& db = sistema->db;
    const FiltrosCiti periodo = PeriodoCiti(anio, mes);
    Fecha desde, hasta;
    if (!Fecha::DesdeDma(periodo.desde, desde) || !Fecha::DesdeDma(periodo.hasta, hasta)) {
        throw ErrorTamaris(err::kFalloGenerico, "El período indicado no es un mes válido.");
    }
    int decimalesNeto = static_cast<int>(ValorNumerico(sistema->CantidadDecimales));
    if (decimalesNeto <= 0) decimalesNeto = db.regional.digitosDecimales;

    VouchersLibro vouchers(comprobantes, alicuotas, nullptr);
    Conciliacion conciliacion([&](RegistroConciliado& r) {
        VoucherLibro voucher;
        if (!vouchers.Siguiente(voucher)) return false;
        r = DeVoucher(voucher);
        return true;
    });
    ConciliaConLibro(
        db, SentenciaLibroDigital(db.LiteralFecha(desde), db.LiteralFecha(DiaSiguiente(hasta))),
        "el libro de IVA ventas",
        [&](const Recordset& rs, RegistroConciliado& r) {
            return DeFila(rs, db.regional, decimalesNeto, r);
        },
        conciliacion, v, NombraClave, Difiere);
    return v;
}

}  // namespace tamaris
