// SQL dialect and value formatting of the data-access object: the restricted-view synonyms,
// values written as SQL literals, ADO type groups and the small name operations, and what the
// connection's platform dialect says (the Oracle translation, date literals). Pure text
// functions; none of them touches the database.

#include <array>
#include <string>
#include <string_view>

#include "components/Numero.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/dialectos/Dialecto.h"

namespace tamaris {

namespace {

constexpr std::string_view kMarcaAdmin = "@Admin_";
constexpr std::size_t npos = std::string::npos;

// ---- synonyms ----

// A suite table and the restricted view that non-administrators read instead.
struct Sinonimo {
    std::string_view tabla;
    std::string_view gemela;
    int patrones;  // how many of the patterns below apply, in order
};

// Characters around the name that make a pattern: (before, after).
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kPatrones{{
    {" ", " "},
    {"(", " "},
    {" ", "."},
    {"(", "."},
    {",", "."},
    {"{", "."},
}};

// Order matters: each row works on the result of the rows before it.
constexpr std::array<Sinonimo, 7> kSinonimos{{
    {"MA_CUENTAS", "SS_MA_CUENTAS", 6},
    {"V_TA_DEPOSITO", "SS_V_TA_DEPOSITO", 5},
    {"MV_ASIENTOS", "SS_MV_ASIENTOS", 5},
    {"V_TA_FAMILIAS", "SS_V_TA_FAMILIAS", 5},
    {"V_TA_CAJAS", "SS_V_TA_CAJAS", 5},
    {"AC_CUENTASDIARIO", "SS_AC_CUENTASDIARIO", 5},
    {"AC_CUENTASDIARIO_CCOSTO", "SS_AC_CUENTAS_DIARIO_CCOSTO", 5},
}};

std::string QuitaMarcaAdmin(std::string_view texto) {
    return ReemplazaTexto(texto, kMarcaAdmin, "");
}

std::string Concatena(std::string_view a, std::string_view b, std::string_view c) {
    std::string r;
    r.reserve(a.size() + b.size() + c.size());
    r.append(a).append(b).append(c);
    return r;
}

std::string AplicaSinonimo(std::string texto, const Sinonimo& s) {
    for (int i = 0; i < s.patrones; ++i) {
        const auto& [antes, despues] = kPatrones[static_cast<std::size_t>(i)];
        texto = ReemplazaTexto(texto, Concatena(antes, s.tabla, despues),
                               Concatena(antes, s.gemela, despues));
    }
    return texto;
}

// ---- type groups ----

constexpr std::array<std::string_view, 6> kCodigosFecha{"7", "133", "134", "135", "137", "64"};
constexpr std::array<std::string_view, 7> kCodigosTexto{"8",   "129", "130", "200",
                                                        "201", "202", "203"};
constexpr std::array<std::string_view, 12> kCodigosNumero{"2",  "3",  "4",  "5",  "14", "16",
                                                          "17", "18", "19", "20", "21", "131"};
constexpr std::array<std::string_view, 1> kCodigosMoneda{"6"};
constexpr std::array<std::string_view, 1> kCodigosBooleano{"11"};

template <std::size_t N>
bool EnGrupo(const Variant& Qtype, const std::array<std::string_view, N>& grupo) {
    // The code is compared as text, so 7 and "7" are the same code.
    const std::string codigo = Trim(Qtype.Texto(Regional{}));
    for (std::string_view c : grupo)
        if (codigo == c) return true;
    return false;
}

[[noreturn]] void ArgumentoNoValido() {
    throw ErrorTamaris(err::kArgumentoInvalido, "Argumento o llamada a procedimiento no válida");
}

}  // namespace

std::string DB_Dll::SS_TSinonimos(std::string_view sentencia) const {
    if (gEsAdmin) return QuitaMarcaAdmin(sentencia);
    if (ContieneSinCaso(sentencia, "MV_ASIENTOS") && !Confidencialidad)
        return QuitaMarcaAdmin(sentencia);

    std::string texto(sentencia);
    for (const Sinonimo& s : kSinonimos) {
        texto = AplicaSinonimo(std::move(texto), s);
        if (s.tabla == "MA_CUENTAS")
            texto = ReemplazaTexto(texto, "@Admin_MA_CUENTAS", "MA_CUENTAS");
    }
    return QuitaMarcaAdmin(texto);
}

std::string DB_Dll::ORACLE_Dicc(std::string_view Valor) const {
    return dialecto().TraduceOracle(Valor);
}

std::string DB_Dll::SQLValue(const Variant& Valor, std::string_view marcador) const {
    if (marcador == "@") {
        // Numbers travel with a decimal point whatever the workstation writes.
        const std::string texto = TextoAImporte(Valor.Texto(regional), regional).Texto(regional);
        return ReemplazaTexto(texto, ",", ".");
    }
    if (Valor.EsNulo()) return "NULL";
    if (marcador == "'") {
        // Doubling the quotes keeps a typed value inside its literal.
        return "'" + ReemplazaExacto(Valor.Texto(regional), "'", "''") + "'";
    }
    return Valor.Texto(regional);
}

bool DB_Dll::adodate(const Variant& Qtype) { return EnGrupo(Qtype, kCodigosFecha); }
bool DB_Dll::ADOText(const Variant& Qtype) { return EnGrupo(Qtype, kCodigosTexto); }
bool DB_Dll::ADONumeric(const Variant& Qtype) { return EnGrupo(Qtype, kCodigosNumero); }
bool DB_Dll::ADOCurrency(const Variant& Qtype) { return EnGrupo(Qtype, kCodigosMoneda); }
bool DB_Dll::ADOBoolean(const Variant& Qtype) { return EnGrupo(Qtype, kCodigosBooleano); }

std::string DB_Dll::ADOComilla(const Variant& Qtype) {
    return adodate(Qtype) || ADOText(Qtype) ? "'" : "";
}

std::string DB_Dll::stSTF(std::string& rsName, bool rnPart) {
    const std::size_t a = rsName.find('.');
    const std::size_t desde = a == npos ? 0 : a + 1;
    if (rsName.find('.', desde) != npos) {
        rsName = StripOwner(rsName);
        return rsName;
    }
    if (rnPart) return rsName.substr(desde);
    if (a == npos) ArgumentoNoValido();
    return rsName.substr(0, a);
}

std::string DB_Dll::AddBrackets(std::string_view rObjName) {
    if (!rObjName.starts_with('[') && rObjName.find(' ') != npos)
        return "[" + std::string(rObjName) + "]";
    return std::string(rObjName);
}

std::string DB_Dll::StripBrackets(std::string_view rsObjName) {
    if (!rsObjName.starts_with('[')) return std::string(rsObjName);
    if (rsObjName.size() < 2) ArgumentoNoValido();
    return std::string(rsObjName.substr(1, rsObjName.size() - 2));
}

std::string DB_Dll::StripOwner(std::string& rsTblName) {
    const std::size_t punto = rsTblName.find('.');
    if (punto != npos) rsTblName = rsTblName.substr(punto + 1);
    return rsTblName;
}

std::string DB_Dll::StripFileName(std::string_view rsFileName) {
    // Paths come from Windows workstations and from Linux alike.
    const std::size_t barra = rsFileName.find_last_of("\\/");
    if (barra == npos) return {};
    return std::string(rsFileName.substr(0, barra));
}

std::string DB_Dll::LiteralFecha(const Fecha& fecha) const {
    return dialecto().LiteralFecha(fecha);
}

}  // namespace tamaris
