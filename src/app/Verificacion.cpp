#include "app/Verificacion.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "components/Plataforma.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

constexpr std::size_t kBloque = 1 << 20;

// Bytes Windows-1252 leaves without a character.
constexpr bool ByteIndefinido(unsigned char c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// Bytes a filed line may hold: printable ASCII and what Windows-1252 defines above it.
struct TablaValidos {
    bool v[256];
    constexpr TablaValidos() : v() {
        for (int c = 0; c < 256; ++c) {
            v[c] = c >= 0x20 && c != 0x7F && !ByteIndefinido(static_cast<unsigned char>(c));
        }
    }
    bool operator[](unsigned char c) const { return v[c]; }
};
constexpr TablaValidos kValido;

std::string Visible(unsigned char c) {
    if (c == '\r') return "CR";
    if (c == '\n') return "LF";
    return "byte " + std::to_string(c);
}

}  // namespace

LectorLineas::LectorLineas(const std::string& ruta) : ruta_(ruta) {
    f_ = plataforma::AbreFlujo(ruta, "rb");
    if (!f_) {
        throw ErrorTamaris(err::kArchivoNoEncontrado, "No se puede leer el archivo " + ruta + ": " +
                                                          plataforma::TextoError(errno));
    }
    buf_.resize(kBloque);
}

LectorLineas::~LectorLineas() {
    if (f_) std::fclose(f_);
}

int LectorLineas::Busca(int cuantas, std::size_t* lf) {
    for (;;) {
        int hay = 0;
        std::size_t desde = inicio_;
        while (hay < cuantas) {
            const void* p = std::memchr(buf_.data() + desde, '\n', fin_ - desde);
            if (!p) break;
            lf[hay] = static_cast<std::size_t>(static_cast<const char*>(p) - buf_.data());
            desde = lf[hay++] + 1;
        }
        if (hay == cuantas) return hay;
        if (agotado_) {
            // A last line without its end.
            if (desde < fin_) lf[hay++] = fin_;
            return hay;
        }
        // Move what is left to the front; lines longer than the buffer make it grow.
        if (inicio_ > 0) {
            std::memmove(buf_.data(), buf_.data() + inicio_, fin_ - inicio_);
            fin_ -= inicio_;
            inicio_ = 0;
        }
        if (fin_ == buf_.size()) buf_.resize(buf_.size() * 2);
        const std::size_t n = std::fread(buf_.data() + fin_, 1, buf_.size() - fin_, f_);
        if (n == 0) {
            if (std::ferror(f_)) {
                throw ErrorTamaris(err::kErrorEscritura, "No se puede leer el archivo " + ruta_);
            }
            agotado_ = true;
        }
        fin_ += n;
    }
}

std::string_view LectorLineas::Linea(std::size_t desde, std::size_t lf) const {
    std::string_view l(buf_.data() + desde, lf - desde);
    if (lf < fin_ && !l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
}

bool LectorLineas::Espia(std::string_view& linea, int cual) {
    std::size_t lf[2];
    if (Busca(cual + 1, lf) <= cual) return false;
    linea = Linea(cual == 0 ? inicio_ : lf[0] + 1, lf[cual]);
    return true;
}

bool LectorLineas::Siguiente(std::string_view& linea, Final& fin) {
    std::size_t lf[1];
    if (Busca(1, lf) == 0) return false;
    linea = Linea(inicio_, lf[0]);
    if (lf[0] == fin_) {
        fin = kSinFin;
        inicio_ = fin_;
    } else {
        fin = linea.size() < lf[0] - inicio_ ? kCrLf : kSoloLf;
        inicio_ = lf[0] + 1;
    }
    ++numero_;
    return true;
}

long RevisaArchivoFiscal(
    const std::string& ruta, std::size_t ancho, Hallazgos& h,
    const std::function<void(std::string_view, std::vector<std::string>&)>& revisaCampos,
    const std::function<std::string(std::string_view)>& comprobante,
    const std::function<void(std::string_view, long)>& cadaLinea) {
    LectorLineas lector(ruta);
    std::vector<std::string> problemas;
    std::string_view l;
    LectorLineas::Final fin;
    while (lector.Siguiente(l, fin)) {
        problemas.clear();
        if (fin == LectorLineas::kSoloLf) problemas.push_back("la línea termina en LF sin CR");
        if (fin == LectorLineas::kSinFin) problemas.push_back("la línea no tiene fin de línea");
        if (l.size() != ancho) {
            problemas.push_back("la línea tiene " + std::to_string(l.size()) +
                                " caracteres y debe tener " + std::to_string(ancho));
        }
        for (std::size_t k = 0; k < l.size(); ++k) {
            const auto c = static_cast<unsigned char>(l[k]);
            if (kValido[c]) continue;
            {
                problemas.push_back("carácter no válido (" + Visible(c) + ") en la posición " +
                                    std::to_string(k + 1));
                break;
            }
        }
        if (l.size() == ancho) {
            revisaCampos(l, problemas);
            cadaLinea(l, lector.Numero());
        }
        if (problemas.empty()) continue;
        const std::string quien = l.size() == ancho ? comprobante(l) : std::string();
        for (std::string& p : problemas) h.Agrega({quien, std::move(p), lector.Numero()});
    }
    if (lector.Numero() == 0)
        h.Agrega({"", "el archivo está vacío: no informa ningún comprobante", 0});
    return lector.Numero();
}

void Repetidos::Agrega(std::string_view clave, long linea) {
    vistos_.emplace_back(std::hash<std::string_view>{}(clave), linea);
}

void Repetidos::Termina(Hallazgos& h) {
    std::sort(vistos_.begin(), vistos_.end());
    for (std::size_t i = 1; i < vistos_.size(); ++i) {
        if (vistos_[i].first != vistos_[i - 1].first) continue;
        std::size_t primero = i - 1;
        while (primero > 0 && vistos_[primero - 1].first == vistos_[i].first) --primero;
        h.Agrega({"",
                  "el comprobante ya está en la línea " + std::to_string(vistos_[primero].second) +
                      " (se informaría dos veces)",
                  vistos_[i].second});
    }
    vistos_.clear();
    vistos_.shrink_to_fit();
}

std::string MontoConciliado(Importe v) {
    return std::to_string(v.diezmilesimos < 0 ? -v.diezmilesimos : v.diezmilesimos);
}

std::string SinCeros(std::string_view t) {
    t = TrimVista(t);
    if (t.empty() || t.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::string(t);
    }
    const std::size_t i = t.find_first_not_of('0');
    return i == std::string_view::npos ? "0" : std::string(t.substr(i));
}

std::string ClaveTexto(const ValorCampo& v, bool ok) {
    return ok ? std::string(v.texto) : "?" + std::string(v.texto);
}

bool Conciliacion::Espia(std::size_t cual) {
    while (adelante_.size() <= cual && !agotado_) {
        RegistroConciliado r;
        if (!archivo_(r)) {
            agotado_ = true;
            break;
        }
        adelante_.push_back(std::move(r));
    }
    return adelante_.size() > cual;
}

void Conciliacion::Libro(RegistroConciliado registro) {
    const auto igual = [&](const RegistroConciliado& a) {
        return a.clave == registro.clave && a.resto == registro.resto;
    };
    if (Espia(0) && igual(adelante_[0])) {
        adelante_.erase(adelante_.begin());
        return;
    }
    // One voucher of the file that is no voucher of the ledger: step over it.
    if (Espia(1) && igual(adelante_[1])) {
        sobran_.push_back(std::move(adelante_[0]));
        adelante_.erase(adelante_.begin(), adelante_.begin() + 2);
        return;
    }
    // Otherwise the voucher is missing here; the file's record waits for the next one.
    faltan_.push_back(std::move(registro));
}

void Conciliacion::Termina(Hallazgos& h,
                           const std::function<std::string(const std::string&)>& nombra,
                           const std::function<std::string(const RegistroConciliado&,
                                                           const RegistroConciliado&)>& difiere) {
    while (Espia(0)) {
        sobran_.push_back(std::move(adelante_[0]));
        adelante_.erase(adelante_.begin());
    }
    // What did not agree in order may still be there in another order, whole or by key.
    std::unordered_multimap<std::string, std::size_t> porClave;
    porClave.reserve(sobran_.size());
    for (std::size_t i = 0; i < sobran_.size(); ++i) porClave.emplace(sobran_[i].clave, i);
    std::vector<bool> usada(sobran_.size(), false);
    std::vector<const RegistroConciliado*> sinPar;
    for (const RegistroConciliado& r : faltan_) {
        auto [desde, hasta] = porClave.equal_range(r.clave);
        auto elegido = porClave.end();
        for (auto it = desde; it != hasta; ++it) {
            if (sobran_[it->second].resto == r.resto) {
                elegido = it;
                break;
            }
        }
        if (elegido != porClave.end()) {
            usada[elegido->second] = true;
            porClave.erase(elegido);
            continue;
        }
        sinPar.push_back(&r);
    }
    for (const RegistroConciliado* r : sinPar) {
        const auto it = porClave.find(r->clave);
        if (it != porClave.end()) {
            const RegistroConciliado& a = sobran_[it->second];
            usada[it->second] = true;
            porClave.erase(it);
            ++distintos_;
            h.Agrega({nombra(r->clave), difiere(a, *r), a.linea});
            continue;
        }
        ++faltantes_;
        h.Agrega({nombra(r->clave), "falta en el archivo (está en el libro del período)", 0});
    }
    for (std::size_t i = 0; i < sobran_.size(); ++i) {
        if (usada[i]) continue;
        ++sobrantes_;
        h.Agrega({nombra(sobran_[i].clave),
                  "no corresponde a ningún comprobante del libro del período", sobran_[i].linea});
    }
}

void ConciliaConLibro(DB_Dll& db, std::string sql, std::string_view que,
                      const std::function<bool(const Recordset&, RegistroConciliado&)>& deFila,
                      Conciliacion& c, Verificacion& v,
                      const std::function<std::string(const std::string&)>& nombra,
                      const std::function<std::string(const RegistroConciliado&,
                                                      const RegistroConciliado&)>& difiere) {
    Recordset rs;
    db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
    if (rs.State() == adStateClosed) {
        throw ErrorTamaris(err::kFalloGenerico,
                           "No se pudo leer " + std::string(que) + " para conciliar el archivo.");
    }
    {
        CierraAlSalir cierra(rs);
        RegistroConciliado r;
        for (; !rs.Eof(); rs.MoveNext()) {
            if (deFila(rs, r)) c.Libro(std::move(r));
        }
    }
    Hallazgos propios;
    c.Termina(propios, nombra, difiere);
    for (Hallazgo& h : propios.lista) v.hallazgos.Agrega(std::move(h));
    v.conciliado = true;
    v.faltantes = c.Faltantes();
    v.sobrantes = c.Sobrantes();
    v.distintos = c.Distintos();
}

}  // namespace tamaris
