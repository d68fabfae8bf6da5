// The Oracle dialect: the suite's SQL Server statements translated when a caller asks for it
// (TOP to ROWNUM, LEN, brackets, date texts to TO_DATE, CONVERT, empty texts to NULL, …).

#include "data/dialectos/DialectoOracle.h"

#include <string>
#include <string_view>

#include "components/Texto.h"

namespace tamaris {

namespace {

// ---- Oracle translation ----

constexpr std::size_t npos = std::string::npos;

std::string TopARownum(std::string_view texto) {
    if (!ContieneSinCaso(texto, "top ")) return std::string(texto);
    const std::size_t p = BuscaSinCaso(texto, "top");
    const std::string cabeza(texto.substr(0, p));
    const std::string resto = Trim(texto.substr(p + 3));
    const std::size_t blanco = resto.find(' ');
    const std::string n = blanco == npos ? resto : resto.substr(0, blanco);
    std::string cuerpo = blanco == npos ? std::string() : resto.substr(blanco + 1);

    std::string colaGrupo, colaOrden;
    if (const std::size_t g = BuscaSinCaso(texto, " GROUP BY "); g != npos) {
        colaGrupo = std::string(texto.substr(g));
    } else if (const std::size_t o = BuscaSinCaso(texto, "ORDER BY "); o != npos) {
        colaOrden = std::string(texto.substr(o));
    }
    const std::string cola = Trim(colaGrupo + colaOrden);
    if (!cola.empty()) cuerpo = ReemplazaTexto(cuerpo, cola, " ");

    const std::string condicion =
        (ContieneSinCaso(texto, " WHERE ") ? " AND ROWNUM <= " : " WHERE ROWNUM <= ") + n;
    return cabeza + " " + cuerpo + " " + condicion + " " + colaGrupo + " " + colaOrden;
}

std::string LenALength(std::string texto) {
    for (std::string_view buscado : {" LEN(", " LEN (", " LEN  (", " LEN   (", " LEN    ("})
        texto = ReemplazaTexto(texto, buscado, " LENGTH(");
    return texto;
}

std::string CorchetesAComillas(std::string texto) {
    for (char& c : texto)
        if (c == '[' || c == ']') c = '"';
    return texto;
}

// A quoted text that a workstation reads as a date: day/month/year (with or without the time)
// or the ISO form.
bool EsFechaEntreComillas(std::string_view dentro, Fecha& fecha) {
    return Fecha::DesdeDma(dentro, fecha) || Fecha::DesdeIso(dentro, fecha);
}

std::string FechasAToDate(std::string texto) {
    std::size_t desde = 0;
    for (;;) {
        const std::size_t abre = texto.find('\'', desde);
        if (abre == npos) break;
        const std::size_t cierra = texto.find('\'', abre + 1);
        if (cierra == npos) break;
        Fecha fecha;
        const std::string_view dentro(texto.data() + abre + 1, cierra - abre - 1);
        if (EsFechaEntreComillas(dentro, fecha)) {
            const std::string llamada = "TO_DATE('" + fecha.Dma() + "','DD/MM/YYYY')";
            texto.replace(abre, cierra - abre + 1, llamada);
            desde = abre + llamada.size();
        } else {
            desde = cierra + 1;
        }
    }
    // A literal that was already a TO_DATE argument got wrapped a second time.
    while (ContieneSinCaso(texto, "TO_DATE(TO_DATE(")) {
        texto = ReemplazaTexto(texto, "TO_DATE(TO_DATE(", "TO_DATE(");
        texto = ReemplazaTexto(texto, "'DD/MM/YYYY'),'DD/MM/YYYY')", "'DD/MM/YYYY')");
    }
    return texto;
}

std::string VaciosANulos(std::string texto) {
    const std::size_t w = BuscaSinCaso(texto, "WHERE ");
    if (w == npos) return texto;
    std::string cola = texto.substr(w);
    cola = ReemplazaTexto(cola, "= ''", " IS NULL ");
    cola = ReemplazaTexto(cola, "=''", " IS NULL ");
    return texto.substr(0, w) + cola;
}

std::string Estilo103(std::string texto) {
    std::size_t k = BuscaSinCaso(texto, "103");
    while (k != npos) {
        const std::size_t parentesis = k == 0 ? npos : texto.rfind('(', k - 1);
        if (parentesis != npos &&
            TerminaSinCaso(std::string_view(texto).substr(0, parentesis + 1), "TO_CHAR("))
            texto.replace(k, 3, "'DD/MM/YYYY'");
        k = BuscaSinCaso(texto, "103", k + 3);
    }
    return texto;
}

class DialectoOracle final : public Dialecto {
  public:
    Plataforma plataforma() const override { return Plataforma::Oracle; }
    std::string TraduceOracle(std::string_view Valor) const override;
    std::string TraduceTop(std::string_view sentencia) const override;
    bool ScriptPorSentencias() const override { return true; }
    std::string LiteralFecha(const Fecha& fecha) const override { return LiteralIso(fecha); }
    std::string_view InicioTexto() const override { return "'"; }
    char AbreNombre() const override { return '"'; }
    char CierraNombre() const override { return '"'; }
};

std::string DialectoOracle::TraduceOracle(std::string_view Valor) const {
    if (CuentaPalabras(Valor) < 2) {
        if (IgualSinCaso(Trim(Valor), "LEN")) return "LENGTH";
        return std::string(Valor);
    }
    std::string texto = TopARownum(Valor);
    texto = LenALength(std::move(texto));
    texto = CorchetesAComillas(std::move(texto));
    texto = FechasAToDate(std::move(texto));
    texto = ReemplazaTexto(texto, "Charindex", "InStr");
    texto = ReemplazaTexto(texto, "CONVERT(NVARCHAR,", "TO_CHAR(");
    texto = ReemplazaTexto(texto, "CONVERT(INT,", "TO_NUMBER(");
    texto = VaciosANulos(std::move(texto));
    texto = Estilo103(std::move(texto));
    texto = ReemplazaTexto(texto, "SUBSTRING(", "SUBSTR(");
    texto = ReemplazaTexto(texto, "ISNULL(", "NVL(");
    return texto;
}

std::string DialectoOracle::TraduceTop(std::string_view sentencia) const {
    if (CuentaPalabras(sentencia) < 2) {
        if (IgualSinCaso(Trim(sentencia), "LEN")) return "LENGTH";
        return std::string(sentencia);
    }
    if (!ContieneSinCaso(sentencia, "top ")) return std::string(sentencia);
    const std::size_t top = BuscaSinCaso(sentencia, "top");
    const std::size_t asterisco = sentencia.find('*', top + 3);
    // Only the "TOP n *" form is known here.
    if (asterisco == std::string_view::npos) return std::string(sentencia);
    const std::string_view cabeza = sentencia.substr(0, top);
    const std::string_view n = sentencia.substr(top + 3, asterisco - top - 3);
    const std::string_view cola = sentencia.substr(asterisco + 1);
    std::string r;
    r.reserve(sentencia.size() + 24);
    r.append(cabeza).append(" * ").append(cola).append(" WHERE ROWNUM <= ").append(n);
    return r;
}

}  // namespace

std::unique_ptr<Dialecto> CreaDialectoOracle() { return std::make_unique<DialectoOracle>(); }

}  // namespace tamaris
