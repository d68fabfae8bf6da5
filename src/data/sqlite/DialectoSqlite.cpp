#include "data/sqlite/DialectoSqlite.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "components/Texto.h"
#include "components/Variant.h"

namespace tamaris {

namespace {

constexpr std::size_t npos = std::string::npos;

// ---- tokens ----

enum class Clase {
    Espacio,
    Comentario,   // -- … or /* … */
    Palabra,      // names, keywords and numbers
    Cadena,       // '…' with '' inside
    Nombre,       // [ … ] or " … "
    FechaAccess,  // #D/M/YYYY#
    Simbolo,      // any other single character
};

struct Token {
    Clase clase;
    std::string texto;
    bool fecha = false;  // a 'D/M/YYYY' literal where a date is expected: written year first
};

using Tokens = std::vector<Token>;

bool EsLetraDePalabra(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

bool EsBlanco(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Date written between '#', the Access form. Returns its length, 0 when there is none at `i`.
std::size_t LargoFechaAccess(std::string_view sql, std::size_t i) {
    const std::size_t cierre = sql.find('#', i + 1);
    if (cierre == npos || cierre - i > 24) return 0;
    Fecha f;
    const std::string_view dentro = sql.substr(i + 1, cierre - i - 1);
    return Fecha::DesdeDma(dentro, f) || Fecha::DesdeIso(dentro, f) ? cierre - i + 1 : 0;
}

// End of a quoted run that starts at `i` with `comilla`, a doubled quote standing for one.
std::size_t FinEntreComillas(std::string_view sql, std::size_t i, char comilla) {
    std::size_t j = i + 1;
    for (;;) {
        const std::size_t k = sql.find(comilla, j);
        if (k == npos) return sql.size();
        if (k + 1 < sql.size() && sql[k + 1] == comilla) {
            j = k + 2;
            continue;
        }
        return k + 1;
    }
}

std::size_t FinDeToken(std::string_view sql, std::size_t i, Clase& clase) {
    const char c = sql[i];
    const char sig = i + 1 < sql.size() ? sql[i + 1] : '\0';
    if (EsBlanco(c)) {
        clase = Clase::Espacio;
        std::size_t j = i;
        while (j < sql.size() && EsBlanco(sql[j])) ++j;
        return j;
    }
    if (c == '-' && sig == '-') {
        clase = Clase::Comentario;
        const std::size_t j = sql.find('\n', i);
        return j == npos ? sql.size() : j;
    }
    if (c == '/' && sig == '*') {
        clase = Clase::Comentario;
        const std::size_t j = sql.find("*/", i + 2);
        return j == npos ? sql.size() : j + 2;
    }
    if (c == '\'') {
        clase = Clase::Cadena;
        return FinEntreComillas(sql, i, '\'');
    }
    if (c == '"') {
        clase = Clase::Nombre;
        return FinEntreComillas(sql, i, '"');
    }
    if (c == '[') {
        clase = Clase::Nombre;
        const std::size_t j = sql.find(']', i + 1);
        return j == npos ? sql.size() : j + 1;
    }
    if (c == '#') {
        if (const std::size_t largo = LargoFechaAccess(sql, i); largo > 0) {
            clase = Clase::FechaAccess;
            return i + largo;
        }
    }
    if (EsLetraDePalabra(c)) {
        clase = Clase::Palabra;
        std::size_t j = i;
        while (j < sql.size() && EsLetraDePalabra(sql[j])) ++j;
        return j;
    }
    clase = Clase::Simbolo;
    return i + 1;
}

Tokens Tokeniza(std::string_view sql) {
    Tokens tokens;
    for (std::size_t i = 0; i < sql.size();) {
        Clase clase;
        const std::size_t fin = FinDeToken(sql, i, clase);
        tokens.push_back({clase, std::string(sql.substr(i, fin - i))});
        i = fin;
    }
    return tokens;
}

// ---- looking at tokens ----

bool EsPalabra(const Token& t, std::string_view palabra) {
    return t.clase == Clase::Palabra && IgualSinCaso(t.texto, palabra);
}

bool EsSimbolo(const Token& t, char c) {
    return t.clase == Clase::Simbolo && t.texto.size() == 1 && t.texto[0] == c;
}

bool EsRelleno(const Token& t) { return t.clase == Clase::Espacio || t.clase == Clase::Comentario; }

// First token after `i` that is not blank or comment; tokens.size() when none.
std::size_t Siguiente(const Tokens& t, std::size_t i) {
    std::size_t j = i + 1;
    while (j < t.size() && EsRelleno(t[j])) ++j;
    return j;
}

// Last token before `i` that is not blank or comment; npos when none.
std::size_t Anterior(const Tokens& t, std::size_t i) {
    while (i > 0) {
        --i;
        if (!EsRelleno(t[i])) return i;
    }
    return npos;
}

bool EsPalabraEn(const Tokens& t, std::size_t i, std::string_view palabra) {
    return i < t.size() && EsPalabra(t[i], palabra);
}

bool EsSimboloEn(const Tokens& t, std::size_t i, char c) {
    return i < t.size() && EsSimbolo(t[i], c);
}

// The ")" that closes the "(" at `abre`; npos when it is not closed.
std::size_t Cierre(const Tokens& t, std::size_t abre) {
    int nivel = 0;
    for (std::size_t j = abre; j < t.size(); ++j) {
        if (EsSimbolo(t[j], '('))
            ++nivel;
        else if (EsSimbolo(t[j], ')') && --nivel == 0)
            return j;
    }
    return npos;
}

using Rango = std::pair<std::size_t, std::size_t>;  // tokens [first, second)

// Token ranges of the arguments between `abre` and `cierra`, cut at the top-level commas.
std::vector<Rango> Argumentos(const Tokens& t, std::size_t abre, std::size_t cierra) {
    std::vector<Rango> args;
    int nivel = 0;
    std::size_t desde = abre + 1;
    for (std::size_t j = abre + 1; j < cierra; ++j) {
        if (EsSimbolo(t[j], '('))
            ++nivel;
        else if (EsSimbolo(t[j], ')'))
            --nivel;
        else if (nivel == 0 && EsSimbolo(t[j], ',')) {
            args.emplace_back(desde, j);
            desde = j + 1;
        }
    }
    args.emplace_back(desde, cierra);
    return args;
}

bool SoloRelleno(const Tokens& t, std::size_t desde, std::size_t hasta) {
    for (std::size_t j = desde; j < hasta; ++j)
        if (!EsRelleno(t[j])) return false;
    return true;
}

std::string TextoDe(const Tokens& t, std::size_t desde, std::size_t hasta) {
    std::string s;
    for (std::size_t j = desde; j < hasta; ++j) s += t[j].texto;
    return s;
}

void Borra(Tokens& t, std::size_t desde, std::size_t hasta) {
    t.erase(t.begin() + static_cast<std::ptrdiff_t>(desde),
            t.begin() + static_cast<std::ptrdiff_t>(hasta));
}

// Removes tokens [desde, hasta) together with the blank in front when a blank follows, so that
// the words around keep one separation and no more. Returns where the removed run began.
std::size_t QuitaConBlanco(Tokens& t, std::size_t desde, std::size_t hasta) {
    const bool blancoAntes = desde > 0 && t[desde - 1].clase == Clase::Espacio;
    const bool seguido = hasta >= t.size() || t[hasta].clase == Clase::Espacio ||
                         EsSimbolo(t[hasta], ')') || EsSimbolo(t[hasta], ';');
    if (blancoAntes && seguido) --desde;
    Borra(t, desde, hasta);
    return desde;
}

// ---- statement-level rewrites ----

// SET NOCOUNT only matters to SQL Server clients.
void QuitaNocount(Tokens& t) {
    for (std::size_t i = 0; i < t.size();) {
        const std::size_t a = Siguiente(t, i);
        const std::size_t b = Siguiente(t, a);
        if (!EsPalabra(t[i], "SET") || !EsPalabraEn(t, a, "NOCOUNT") ||
            !(EsPalabraEn(t, b, "ON") || EsPalabraEn(t, b, "OFF"))) {
            ++i;
            continue;
        }
        std::size_t fin = b + 1;
        if (const std::size_t c = Siguiente(t, b); EsSimboloEn(t, c, ';')) fin = c + 1;
        Borra(t, i, fin);
    }
}

constexpr std::array<std::string_view, 11> kSugerencias{
    "NOLOCK",  "READUNCOMMITTED", "READCOMMITTED", "ROWLOCK", "UPDLOCK", "HOLDLOCK",
    "TABLOCK", "TABLOCKX",        "PAGLOCK",       "XLOCK",   "READPAST"};

bool EsSugerencia(const Token& t) {
    if (t.clase != Clase::Palabra) return false;
    for (std::string_view s : kSugerencias)
        if (IgualSinCaso(t.texto, s)) return true;
    return false;
}

// When "(" at `abre` opens a list of table hints, the index of its ")"; npos otherwise.
std::size_t FinSugerencias(const Tokens& t, std::size_t abre) {
    if (!EsSimboloEn(t, abre, '(')) return npos;
    const std::size_t cierra = Cierre(t, abre);
    if (cierra == npos) return npos;
    bool alguna = false;
    for (std::size_t j = abre + 1; j < cierra; ++j) {
        if (EsSugerencia(t[j]))
            alguna = true;
        else if (!EsRelleno(t[j]) && !EsSimbolo(t[j], ','))
            return npos;
    }
    return alguna ? cierra : npos;
}

// Locking hints: SQLite locks the whole file and has no use for them.
void QuitaSugerencias(Tokens& t) {
    for (std::size_t i = 0; i < t.size();) {
        std::size_t cierra = npos;
        if (EsPalabra(t[i], "WITH"))
            cierra = FinSugerencias(t, Siguiente(t, i));
        else if (EsSimbolo(t[i], '('))
            cierra = FinSugerencias(t, i);
        if (cierra == npos)
            ++i;
        else
            i = QuitaConBlanco(t, i, cierra + 1);
    }
}

bool EsDbo(const Token& t) {
    return EsPalabra(t, "dbo") || (t.clase == Clase::Nombre && IgualSinCaso(t.texto, "[dbo]"));
}

void QuitaPropietario(Tokens& t) {
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (EsDbo(t[i]) && EsSimbolo(t[i + 1], '.')) Borra(t, i, i + 2);
    }
}

// Where a SELECT ends, looking from `desde` inside it: the parenthesis that closes it when it is a
// subquery, else the ";" or the end of the text.
std::size_t FinDeSelect(const Tokens& t, std::size_t desde) {
    int nivel = 0;
    for (std::size_t j = desde; j < t.size(); ++j) {
        if (EsSimbolo(t[j], '(')) {
            ++nivel;
        } else if (EsSimbolo(t[j], ')')) {
            if (nivel == 0) return j;
            --nivel;
        } else if (nivel == 0 && EsSimbolo(t[j], ';')) {
            return j;
        }
    }
    return t.size();
}

bool SoloDigitos(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The row count of "TOP n" or "TOP (n)" starting at `k`; sets `ultimo` to its last token.
std::optional<std::string> CuentaDeTop(const Tokens& t, std::size_t k, std::size_t& ultimo) {
    if (EsSimboloEn(t, k, '(')) {
        const std::size_t cierra = Cierre(t, k);
        if (cierra == npos) return std::nullopt;
        ultimo = cierra;
        const std::string dentro = Trim(TextoDe(t, k + 1, cierra));
        return SoloDigitos(dentro) ? dentro : "(" + dentro + ")";
    }
    // A number or a variable; a column called TOP is followed by anything else.
    if (k < t.size() && t[k].clase == Clase::Palabra &&
        (SoloDigitos(t[k].texto) || t[k].texto.starts_with('@'))) {
        ultimo = k;
        return t[k].texto;
    }
    return std::nullopt;
}

void TopALimit(Tokens& t) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!EsPalabra(t[i], "SELECT")) continue;
        std::size_t top = Siguiente(t, i);
        if (EsPalabraEn(t, top, "DISTINCT") || EsPalabraEn(t, top, "ALL")) top = Siguiente(t, top);
        if (!EsPalabraEn(t, top, "TOP")) continue;
        std::size_t ultimo = 0;
        const std::optional<std::string> n = CuentaDeTop(t, Siguiente(t, top), ultimo);
        if (!n) continue;
        const std::size_t despues = Siguiente(t, ultimo);
        // "TOP 100 PERCENT" (written so that a view or subquery may carry an ORDER BY) asks
        // for every row: it simply goes.
        if (EsPalabraEn(t, despues, "PERCENT") && *n == "100") {
            Borra(t, top, Siguiente(t, despues));
            continue;
        }
        // Other PERCENT and WITH TIES have no SQLite form; such a statement is left to fail as
        // written.
        if (EsPalabraEn(t, despues, "PERCENT") || EsPalabraEn(t, despues, "WITH")) continue;

        std::size_t donde = FinDeSelect(t, despues);
        while (donde > despues && EsRelleno(t[donde - 1])) --donde;
        const Tokens limite{{Clase::Espacio, " "},
                            {Clase::Palabra, "LIMIT"},
                            {Clase::Espacio, " "},
                            {Clase::Palabra, *n}};
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(donde), limite.begin(), limite.end());
        Borra(t, top, despues);
    }
}

// ---- literals ----

std::string FechaIso(const Fecha& f, bool conHora) {
    char b[32];
    if (conHora)
        std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", f.anio, f.mes, f.dia, f.hora,
                      f.minuto, f.segundo);
    else
        std::snprintf(b, sizeof b, "%04d-%02d-%02d", f.anio, f.mes, f.dia);
    return b;
}

// 'D/M/YY[ HH:MM[:SS]]', the form the suite writes its own time stamps in ("dd/mm/yy hh:mm"),
// with the year completed as SQL Server completes two digits (up to 49 in the 2000s); nullopt
// for any other text.
std::optional<Fecha> FechaAnioCorto(std::string_view dentro) {
    const std::size_t barra = dentro.find('/');
    const std::size_t segunda = barra == npos ? npos : dentro.find('/', barra + 1);
    if (segunda == npos || segunda + 3 > dentro.size()) return std::nullopt;
    const std::string_view anio = dentro.substr(segunda + 1, 2);
    if (!SoloDigitos(anio) || (segunda + 3 < dentro.size() && dentro[segunda + 3] != ' '))
        return std::nullopt;
    const std::string siglo = (anio[0] - '0') * 10 + (anio[1] - '0') <= 49 ? "20" : "19";
    const std::string completa = std::string(dentro.substr(0, segunda + 1)) + siglo +
                                 std::string(dentro.substr(segunda + 1));
    Fecha f;
    if (!Fecha::DesdeDma(completa, f)) return std::nullopt;
    return f;
}

// A day/month/year date as SQLite compares dates: 'YYYY-MM-DD', with the time when one is given.
std::optional<std::string> FechaDma(std::string_view dentro) {
    Fecha f;
    if (!Fecha::DesdeDma(dentro, f)) {
        const std::optional<Fecha> corta = FechaAnioCorto(dentro);
        if (!corta) return std::nullopt;
        f = *corta;
    }
    return "'" + FechaIso(f, dentro.find(':') != npos) + "'";
}

std::string Literal(const Token& t) {
    if (!t.fecha || t.texto.size() < 2 || t.texto.back() != '\'') return t.texto;
    const std::string_view dentro = std::string_view(t.texto).substr(1, t.texto.size() - 2);
    return FechaDma(dentro).value_or(t.texto);
}

std::string FechaDeAccess(const Token& t) {
    const std::string_view dentro = std::string_view(t.texto).substr(1, t.texto.size() - 2);
    if (auto iso = FechaDma(dentro)) return *iso;
    return "'" + std::string(dentro) + "'";  // already year first
}

// ---- functions ----

struct Renombre {
    std::string_view sqlServer;
    std::string_view destino;
};

constexpr std::array<Renombre, 3> kRenombres{{
    {"LEN", "LENGTH"},
    {"ISNULL", "IFNULL"},
    {"SUBSTRING", "SUBSTR"},
}};

constexpr std::array<Renombre, 3> kRenombresPostgres{{
    {"LEN", "LENGTH"},
    {"ISNULL", "COALESCE"},
    {"SUBSTRING", "SUBSTR"},
}};

struct Reglas;
using Llamada = std::optional<std::string> (*)(const Tokens&, std::string_view funcion,
                                               const std::vector<Rango>&, const Reglas&);

// What differs between the target dialects; the rest of the rewriting is shared.
struct Reglas {
    const Renombre* renombres;
    std::size_t cuantos;
    Llamada llamada;           // calls whose arguments change
    bool nombresSinCorchetes;  // [name] is not understood: it becomes name or "name"
    bool fechasSinTexto;       // a date column cannot hold a date as typed ('dd/mm/yy')
};

std::optional<std::string_view> Renombrada(std::string_view nombre, const Reglas& r) {
    for (std::size_t i = 0; i < r.cuantos; ++i)
        if (IgualSinCaso(nombre, r.renombres[i].sqlServer)) return r.renombres[i].destino;
    return std::nullopt;
}

// SQLite type affinity of a CONVERT target type; empty when the value is kept as it is.
struct Afinidad {
    std::string_view tipo;
    std::string_view afinidad;
};

constexpr std::array<Afinidad, 20> kAfinidades{{
    {"INT", "INTEGER"},     {"INTEGER", "INTEGER"}, {"BIGINT", "INTEGER"}, {"SMALLINT", "INTEGER"},
    {"TINYINT", "INTEGER"}, {"BIT", "INTEGER"},     {"VARCHAR", "TEXT"},   {"NVARCHAR", "TEXT"},
    {"CHAR", "TEXT"},       {"NCHAR", "TEXT"},      {"TEXT", "TEXT"},      {"NTEXT", "TEXT"},
    {"FLOAT", "REAL"},      {"REAL", "REAL"},       {"DECIMAL", "REAL"},   {"NUMERIC", "REAL"},
    {"MONEY", "REAL"},      {"DATETIME", ""},       {"SMALLDATETIME", ""}, {"DATE", ""},
}};

// Date styles of CONVERT to text, as strftime formats.
struct Estilo {
    std::string_view codigo;
    std::string_view formato;
};

constexpr std::array<Estilo, 6> kEstilos{{
    {"103", "%d/%m/%Y"},
    {"101", "%m/%d/%Y"},
    {"112", "%Y%m%d"},
    {"120", "%Y-%m-%d %H:%M:%S"},
    {"108", "%H:%M:%S"},
    {"23", "%Y-%m-%d"},
}};

std::string Emite(const Tokens& t, std::size_t desde, std::size_t hasta, const Reglas& reglas);

std::string Argumento(const Tokens& t, const Rango& r, const Reglas& reglas) {
    return Trim(Emite(t, r.first, r.second, reglas));
}

std::optional<std::string> Convert(const Tokens& t, const std::vector<Rango>& args,
                                   const Reglas& reglas) {
    if (args.size() != 2 && args.size() != 3) return std::nullopt;
    const std::size_t k = Siguiente(t, args[0].first - 1);
    if (k >= args[0].second || t[k].clase != Clase::Palabra) return std::nullopt;
    const Afinidad* destino = nullptr;
    for (const Afinidad& a : kAfinidades)
        if (IgualSinCaso(t[k].texto, a.tipo)) destino = &a;
    if (!destino) return std::nullopt;

    const std::string valor = Argumento(t, args[1], reglas);
    if (destino->afinidad.empty()) return valor;  // dates are kept as ISO text
    if (destino->afinidad == "TEXT" && args.size() == 3) {
        const std::string estilo = Argumento(t, args[2], reglas);
        for (const Estilo& e : kEstilos)
            if (estilo == e.codigo)
                return "strftime('" + std::string(e.formato) + "', " + valor + ")";
    }
    return "CAST(" + valor + " AS " + std::string(destino->afinidad) + ")";
}

// SQLite calls whose arguments change; nullopt when the call stays as written.
std::optional<std::string> LlamadaSqlite(const Tokens& t, std::string_view funcion,
                                         const std::vector<Rango>& args, const Reglas& reglas) {
    if (IgualSinCaso(funcion, "GETDATE") && args.size() == 1 &&
        SoloRelleno(t, args[0].first, args[0].second))
        return "datetime('now','localtime')";
    if (IgualSinCaso(funcion, "CHARINDEX") && args.size() == 2)
        return "INSTR(" + Argumento(t, args[1], reglas) + ", " + Argumento(t, args[0], reglas) +
               ")";
    if (IgualSinCaso(funcion, "CONVERT")) return Convert(t, args, reglas);
    return std::nullopt;
}

// PostgreSQL types of the CONVERT target types.
constexpr std::array<Afinidad, 20> kTiposPostgres{{
    {"INT", "INTEGER"},
    {"INTEGER", "INTEGER"},
    {"BIGINT", "BIGINT"},
    {"SMALLINT", "INTEGER"},
    {"TINYINT", "INTEGER"},
    {"BIT", "INTEGER"},
    {"VARCHAR", "TEXT"},
    {"NVARCHAR", "TEXT"},
    {"CHAR", "TEXT"},
    {"NCHAR", "TEXT"},
    {"TEXT", "TEXT"},
    {"NTEXT", "TEXT"},
    {"FLOAT", "DOUBLE PRECISION"},
    {"REAL", "DOUBLE PRECISION"},
    {"DECIMAL", "NUMERIC"},
    {"NUMERIC", "NUMERIC"},
    {"MONEY", "NUMERIC"},
    {"DATETIME", "TIMESTAMP"},
    {"SMALLDATETIME", "TIMESTAMP"},
    {"DATE", "DATE"},
}};

// Date styles of CONVERT to text, as to_char patterns.
constexpr std::array<Estilo, 6> kEstilosPostgres{{
    {"103", "DD/MM/YYYY"},
    {"101", "MM/DD/YYYY"},
    {"112", "YYYYMMDD"},
    {"120", "YYYY-MM-DD HH24:MI:SS"},
    {"108", "HH24:MI:SS"},
    {"23", "YYYY-MM-DD"},
}};

std::optional<std::string> LlamadaPostgres(const Tokens& t, std::string_view funcion,
                                           const std::vector<Rango>& args, const Reglas& reglas) {
    if (IgualSinCaso(funcion, "GETDATE") && args.size() == 1 &&
        SoloRelleno(t, args[0].first, args[0].second))
        return "LOCALTIMESTAMP";
    if (IgualSinCaso(funcion, "CHARINDEX") && args.size() == 2)
        return "STRPOS(" + Argumento(t, args[1], reglas) + ", " + Argumento(t, args[0], reglas) +
               ")";
    if (!IgualSinCaso(funcion, "CONVERT") || (args.size() != 2 && args.size() != 3))
        return std::nullopt;
    const std::size_t k = Siguiente(t, args[0].first - 1);
    if (k >= args[0].second || t[k].clase != Clase::Palabra) return std::nullopt;
    const Afinidad* destino = nullptr;
    for (const Afinidad& a : kTiposPostgres)
        if (IgualSinCaso(t[k].texto, a.tipo)) destino = &a;
    if (!destino) return std::nullopt;
    const std::string valor = Argumento(t, args[1], reglas);
    if (destino->afinidad == "TEXT" && args.size() == 3) {
        const std::string estilo = Argumento(t, args[2], reglas);
        for (const Estilo& e : kEstilosPostgres)
            if (estilo == e.codigo)
                return "to_char(" + valor + ", '" + std::string(e.formato) + "')";
    }
    return "CAST(" + valor + " AS " + std::string(destino->afinidad) + ")";
}

constexpr Reglas kReglasSqlite{kRenombres.data(), kRenombres.size(), LlamadaSqlite, false, false};
constexpr Reglas kReglasPostgres{kRenombresPostgres.data(), kRenombresPostgres.size(),
                                 LlamadaPostgres, true, true};

// A bracketed name for a server that does not know brackets: bare when it is a plain word, so
// that it folds to lower case like the unquoted names of the schema; quoted otherwise.
std::string SinCorchetes(const std::string& nombre) {
    if (nombre.size() < 2 || nombre.front() != '[') return nombre;
    const std::string dentro = nombre.substr(1, nombre.size() - 2);
    bool simple = !dentro.empty() && !std::isdigit(static_cast<unsigned char>(dentro[0]));
    for (char c : dentro)
        simple = simple && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    return simple ? dentro : "\"" + ReemplazaExacto(dentro, "\"", "\"\"") + "\"";
}

// A word that names a function: followed by "(" and not the member of a qualified name.
bool EsLlamada(const Tokens& t, std::size_t i, std::size_t hasta, std::size_t& abre) {
    abre = Siguiente(t, i);
    if (abre >= hasta || !EsSimbolo(t[abre], '(')) return false;
    const std::size_t antes = Anterior(t, i);
    return antes == npos || !EsSimbolo(t[antes], '.');
}

// N'…' is SQL Server's Unicode literal; SQLite text is Unicode already.
bool EsPrefijoUnicode(const Tokens& t, std::size_t i, std::size_t hasta) {
    return (t[i].texto == "N" || t[i].texto == "n") && i + 1 < hasta &&
           t[i + 1].clase == Clase::Cadena;
}

std::string Emite(const Tokens& t, std::size_t desde, std::size_t hasta, const Reglas& reglas) {
    std::string s;
    for (std::size_t i = desde; i < hasta; ++i) {
        const Token& tk = t[i];
        switch (tk.clase) {
            case Clase::Cadena:
                s += Literal(tk);
                break;
            case Clase::FechaAccess:
                s += FechaDeAccess(tk);
                break;
            case Clase::Palabra: {
                std::size_t abre = 0;
                if (EsLlamada(t, i, hasta, abre)) {
                    const std::size_t cierra = Cierre(t, abre);
                    if (cierra != npos && cierra < hasta) {
                        if (auto llamada =
                                reglas.llamada(t, tk.texto, Argumentos(t, abre, cierra), reglas)) {
                            s += *llamada;
                            i = cierra;
                            break;
                        }
                    }
                    if (auto nuevo = Renombrada(tk.texto, reglas)) {
                        s += *nuevo;
                        break;
                    }
                }
                if (!EsPrefijoUnicode(t, i, hasta)) s += tk.texto;
                break;
            }
            case Clase::Nombre:
                s += reglas.nombresSinCorchetes ? SinCorchetes(tk.texto) : tk.texto;
                break;
            default:
                s += tk.texto;
        }
    }
    return s;
}

// ---- where a date is expected ----

// The "(" that encloses token `i`; npos at the top level.
std::size_t Apertura(const Tokens& t, std::size_t i) {
    int nivel = 0;
    for (std::size_t j = i; j-- > 0;) {
        if (EsSimbolo(t[j], ')')) {
            ++nivel;
        } else if (EsSimbolo(t[j], '(')) {
            if (nivel == 0) return j;
            --nivel;
        }
    }
    return npos;
}

// The nearest of `palabras` before token `i` at the same depth; npos when the enclosing "(",
// a ";" or the start comes first.
std::size_t PalabraAnterior(const Tokens& t, std::size_t i,
                            std::initializer_list<std::string_view> palabras) {
    int nivel = 0;
    for (std::size_t j = i; j-- > 0;) {
        if (EsSimbolo(t[j], ')')) {
            ++nivel;
        } else if (EsSimbolo(t[j], '(')) {
            if (nivel-- == 0) return npos;
        } else if (nivel == 0 && EsSimbolo(t[j], ';')) {
            return npos;
        } else if (nivel == 0 && t[j].clase == Clase::Palabra) {
            for (std::string_view p : palabras)
                if (IgualSinCaso(t[j].texto, p)) return j;
        }
    }
    return npos;
}

// A table or column name without its brackets or quotes.
std::string NombreSimple(const Token& tk) {
    if (tk.clase == Clase::Nombre && tk.texto.size() >= 2)
        return tk.texto.substr(1, tk.texto.size() - 2);
    return tk.texto;
}

// The literal at `i` is assigned in "UPDATE tabla SET columna = …".
bool AsignacionAFecha(const Tokens& t, std::size_t igual, const EsColumnaFecha& esFecha) {
    const std::size_t set = PalabraAnterior(t, igual, {"SET", "WHERE", "ON", "HAVING", "SELECT"});
    if (set == npos || !EsPalabra(t[set], "SET")) return false;
    const std::size_t update = PalabraAnterior(t, set, {"UPDATE"});
    const std::size_t tabla = update == npos ? npos : Siguiente(t, update);
    const std::size_t columna = Anterior(t, igual);
    if (tabla >= set || columna == npos || !esFecha) return false;
    return esFecha(NombreSimple(t[tabla]), NombreSimple(t[columna]), npos);
}

// The literal at `i` is a value of "INSERT INTO tabla [(columnas)] VALUES (…)[, (…)]".
bool ValorAFecha(const Tokens& t, std::size_t i, std::size_t abre, const EsColumnaFecha& esFecha) {
    std::size_t antes = Anterior(t, abre);
    // Further rows: "VALUES (…), (…)".
    while (antes != npos && EsSimbolo(t[antes], ',')) {
        const std::size_t cierra = Anterior(t, antes);
        if (cierra == npos || !EsSimbolo(t[cierra], ')')) return false;
        const std::size_t fila = Apertura(t, cierra);
        if (fila == npos) return false;
        antes = Anterior(t, fila);
    }
    if (antes == npos || !EsPalabra(t[antes], "VALUES") || !esFecha) return false;
    const std::size_t cierra = Cierre(t, abre);
    if (cierra == npos) return false;
    const std::vector<Rango> valores = Argumentos(t, abre, cierra);
    std::size_t k = 0;
    while (k < valores.size() && !(i >= valores[k].first && i < valores[k].second)) ++k;
    std::size_t tabla = Anterior(t, antes);
    std::string columna;
    if (tabla != npos && EsSimbolo(t[tabla], ')')) {
        const std::size_t lista = Apertura(t, tabla);
        if (lista == npos) return false;
        const std::vector<Rango> columnas = Argumentos(t, lista, tabla);
        if (k >= columnas.size()) return false;
        const std::size_t c = Siguiente(t, columnas[k].first - 1);
        if (c >= columnas[k].second) return false;
        columna = NombreSimple(t[c]);
        tabla = Anterior(t, lista);
    }
    if (tabla == npos) return false;
    return esFecha(NombreSimple(t[tabla]), columna, k);
}

// Marks the 'D/M/YYYY' literals that stand where a date is expected: compared (=, <>, <, >,
// BETWEEN … AND …, IN (…)), the date argument of CONVERT, or stored into a date column by
// INSERT … VALUES or UPDATE … SET. Anywhere else (a text column, a select list) a literal is
// text, kept as typed.
void MarcaFechas(Tokens& t, const EsColumnaFecha& esFecha, bool anioCorto) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        Token& tk = t[i];
        if (tk.clase != Clase::Cadena || tk.texto.size() < 2) continue;
        Fecha f;
        const std::string_view dentro = std::string_view(tk.texto).substr(1, tk.texto.size() - 2);
        // A two-digit year is read only where it is stored into a date column, which cannot
        // hold it as text (PostgreSQL); compared, it stays a text as elsewhere.
        const bool corta = !Fecha::DesdeDma(dentro, f);
        if (corta && !(anioCorto && FechaAnioCorto(dentro))) continue;
        const std::size_t p = Anterior(t, i);
        if (p == npos) continue;
        const Token& previo = t[p];
        if (corta) {
            if (EsSimbolo(previo, '=')) {
                tk.fecha = AsignacionAFecha(t, p, esFecha);
            } else if (EsSimbolo(previo, '(') || EsSimbolo(previo, ',')) {
                const std::size_t abre = Apertura(t, i);
                tk.fecha = abre != npos && ValorAFecha(t, i, abre, esFecha);
            }
            continue;
        }
        if (EsSimbolo(previo, '=')) {
            const std::size_t pp = Anterior(t, p);
            const bool compuesto = pp != npos && (EsSimbolo(t[pp], '<') || EsSimbolo(t[pp], '>') ||
                                                  EsSimbolo(t[pp], '!'));
            const std::size_t set =
                PalabraAnterior(t, p, {"SET", "WHERE", "ON", "HAVING", "SELECT", "WHEN"});
            const bool asignacion = !compuesto && set != npos && EsPalabra(t[set], "SET");
            tk.fecha = asignacion ? AsignacionAFecha(t, p, esFecha) : true;
        } else if (EsSimbolo(previo, '<') || EsSimbolo(previo, '>') ||
                   EsPalabra(previo, "BETWEEN")) {
            tk.fecha = true;
        } else if (EsPalabra(previo, "AND")) {
            const std::size_t b = PalabraAnterior(t, p, {"BETWEEN", "AND", "OR", "WHERE", "ON"});
            tk.fecha = b != npos && EsPalabra(t[b], "BETWEEN");
        } else if (EsSimbolo(previo, '(') || EsSimbolo(previo, ',')) {
            const std::size_t abre = Apertura(t, i);
            const std::size_t funcion = abre == npos ? npos : Anterior(t, abre);
            if (funcion == npos) continue;
            if (EsPalabra(t[funcion], "IN")) {
                tk.fecha = true;
            } else if (EsPalabra(t[funcion], "CONVERT")) {
                const std::size_t tipo = Siguiente(t, abre);
                tk.fecha = tipo < t.size() &&
                           (EsPalabra(t[tipo], "DATETIME") || EsPalabra(t[tipo], "SMALLDATETIME") ||
                            EsPalabra(t[tipo], "DATE"));
            } else {
                tk.fecha = ValorAFecha(t, i, abre, esFecha);
            }
        }
    }
}

// ---- trailing blanks ----

// A text literal that is no date: the kind of value a code column ('FC ', 'A ') is compared
// with.
bool EsTextoComparable(const Token& tk) {
    if (tk.clase != Clase::Cadena || tk.fecha || tk.texto.size() < 2) return false;
    const std::string_view dentro = std::string_view(tk.texto).substr(1, tk.texto.size() - 2);
    Fecha f;
    return !Fecha::DesdeDma(dentro, f) && !Fecha::DesdeIso(dentro, f);
}

bool EsPalabraReservada(const Token& tk) {
    for (std::string_view p : {"AND", "OR", "NOT", "WHERE", "THEN", "ELSE", "END", "WHEN", "CASE",
                               "ON", "SELECT", "SET", "NULL", "IS", "LIKE", "BY", "FROM"})
        if (IgualSinCaso(tk.texto, p)) return true;
    return false;
}

// First token of the column name that ends at `fin` ("TC", "A.TC", "[dbo].[A].[TC]"); npos
// when the token there is no column name.
std::size_t InicioDeColumna(const Tokens& t, std::size_t fin) {
    const auto esNombre = [&](std::size_t k) {
        return (t[k].clase == Clase::Palabra && !SoloDigitos(t[k].texto) &&
                !EsPalabraReservada(t[k])) ||
               t[k].clase == Clase::Nombre;
    };
    if (fin == npos || !esNombre(fin)) return npos;
    std::size_t inicio = fin;
    while (inicio >= 2 && EsSimbolo(t[inicio - 1], '.') && esNombre(inicio - 2)) inicio -= 2;
    return inicio;
}

// Whether the tokens from `k` on are "IN (" or "NOT IN (" followed by text literals only.
bool ListaDeTextos(const Tokens& t, std::size_t k) {
    if (k < t.size() && EsPalabra(t[k], "NOT")) k = Siguiente(t, k);
    if (k >= t.size() || !EsPalabra(t[k], "IN")) return false;
    const std::size_t abre = Siguiente(t, k);
    if (abre >= t.size() || !EsSimbolo(t[abre], '(')) return false;
    const std::size_t cierra = Cierre(t, abre);
    if (cierra == npos) return false;
    for (const Rango& r : Argumentos(t, abre, cierra)) {
        const std::size_t v = Siguiente(t, r.first - 1);
        if (v >= r.second || !EsTextoComparable(t[v]) || Siguiente(t, v) < r.second) return false;
    }
    return true;
}

// Whether the column ending at `fin` is compared with text literals: "col = 'x'",
// "col <> 'x'", "col [NOT] IN ('x', …)" (not the target of "SET col = 'x'"), or the operand of
// "CASE col WHEN 'x'".
bool ComparadaConTexto(const Tokens& t, std::size_t inicio, std::size_t fin) {
    const std::size_t sig = Siguiente(t, fin);
    if (sig >= t.size()) return false;
    const std::size_t antes = Anterior(t, inicio);
    if (antes != npos && EsPalabra(t[antes], "CASE")) {
        const std::size_t valor = Siguiente(t, sig);
        return EsPalabra(t[sig], "WHEN") && valor < t.size() && EsTextoComparable(t[valor]);
    }
    if (ListaDeTextos(t, sig)) return true;
    std::size_t op = sig;
    if (EsSimbolo(t[op], '<') && op + 1 < t.size() && EsSimbolo(t[op + 1], '>'))
        ++op;
    else if (!EsSimbolo(t[op], '=') || (op + 1 < t.size() && EsSimbolo(t[op + 1], '=')))
        return false;
    const std::size_t valor = Siguiente(t, op);
    if (valor >= t.size() || !EsTextoComparable(t[valor])) return false;
    if (antes != npos && (EsSimbolo(t[antes], '.') || EsSimbolo(t[antes], ':'))) return false;
    const std::size_t set =
        PalabraAnterior(t, sig, {"SET", "WHERE", "ON", "HAVING", "SELECT", "WHEN"});
    return set == npos || !EsPalabra(t[set], "SET");
}

// A text literal without its trailing blanks ('ana ' → 'ana').
void SinBlancosAlFinal(Token& tk) {
    std::size_t fin = tk.texto.size() - 1;  // the closing quote
    while (fin > 1 && tk.texto[fin - 1] == ' ') --fin;
    tk.texto.erase(fin, tk.texto.size() - 1 - fin);
}

// The literals the column ending at `fin` is compared with, without their trailing blanks:
// the one after "=" or "<>", those of the IN list, or those after each WHEN of the CASE.
void RecortaComparados(Tokens& t, std::size_t fin) {
    std::size_t k = Siguiente(t, fin);
    if (EsPalabra(t[k], "WHEN")) {
        int nivel = 0;
        for (; k < t.size(); ++k) {
            if (EsSimbolo(t[k], '(')) ++nivel;
            if (EsSimbolo(t[k], ')')) --nivel;
            if (nivel < 0 || (nivel == 0 && EsPalabra(t[k], "END"))) return;
            if (nivel != 0 || !EsPalabra(t[k], "WHEN")) continue;
            const std::size_t v = Siguiente(t, k);
            if (v < t.size() && EsTextoComparable(t[v])) SinBlancosAlFinal(t[v]);
        }
        return;
    }
    if (EsPalabra(t[k], "NOT")) k = Siguiente(t, k);
    if (EsPalabra(t[k], "IN")) {
        const std::size_t abre = Siguiente(t, k);
        const std::size_t cierra = Cierre(t, abre);
        for (std::size_t j = abre; j < cierra; ++j)
            if (EsTextoComparable(t[j])) SinBlancosAlFinal(t[j]);
        return;
    }
    const std::size_t v = Siguiente(t, EsSimbolo(t[k], '<') ? k + 1 : k);
    if (v < t.size() && EsTextoComparable(t[v])) SinBlancosAlFinal(t[v]);
}

// SQL Server ignores trailing blanks when it compares texts ('FC ' = 'FC'); SQLite and
// PostgreSQL do not. A column compared with text literals is compared without them:
// `antes` + column + `despues` ("RTRIM(" … ") COLLATE NOCASE" on SQLite).
void ComparaSinBlancosFinales(Tokens& t, std::string_view antes, std::string_view despues) {
    Tokens r;
    r.reserve(t.size() + 8);
    std::size_t copiado = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].clase != Clase::Palabra && t[i].clase != Clase::Nombre) continue;
        // The last name of a qualified column, or a plain one.
        if (i + 1 < t.size() && EsSimbolo(t[i + 1], '.')) continue;
        const std::size_t inicio = InicioDeColumna(t, i);
        if (inicio == npos || inicio < copiado || !ComparadaConTexto(t, inicio, i)) continue;
        RecortaComparados(t, i);
        r.insert(r.end(), t.begin() + static_cast<std::ptrdiff_t>(copiado),
                 t.begin() + static_cast<std::ptrdiff_t>(inicio));
        r.push_back({Clase::Simbolo, std::string(antes)});
        r.insert(r.end(), t.begin() + static_cast<std::ptrdiff_t>(inicio),
                 t.begin() + static_cast<std::ptrdiff_t>(i + 1));
        r.push_back({Clase::Simbolo, std::string(despues)});
        copiado = i + 1;
    }
    if (copiado == 0) return;
    r.insert(r.end(), t.begin() + static_cast<std::ptrdiff_t>(copiado), t.end());
    t = std::move(r);
}

// How a column compared with text literals is written so that its trailing blanks do not
// count; empty where they are left as they are.
struct SinBlancos {
    std::string_view antes, despues;
};

std::string Reescribe(std::string_view sql, const Reglas& reglas, const EsColumnaFecha& esFecha,
                      SinBlancos sinBlancos) {
    Tokens t = Tokeniza(sql);
    QuitaNocount(t);
    QuitaSugerencias(t);
    QuitaPropietario(t);
    TopALimit(t);
    MarcaFechas(t, esFecha, reglas.fechasSinTexto);
    if (!sinBlancos.antes.empty())
        ComparaSinBlancosFinales(t, sinBlancos.antes, sinBlancos.despues);
    return Emite(t, 0, t.size(), reglas);
}

}  // namespace

std::string ReescribeSqlite(std::string_view sql, const EsColumnaFecha& esFecha,
                            bool sinBlancosFinales) {
    return Reescribe(sql, kReglasSqlite, esFecha,
                     sinBlancosFinales ? SinBlancos{"RTRIM(", ") COLLATE NOCASE"} : SinBlancos{});
}

std::string ReescribePostgres(std::string_view sql, const EsColumnaFecha& esFecha,
                              bool sinBlancosFinales) {
    return Reescribe(
        sql, kReglasPostgres, esFecha,
        sinBlancosFinales ? SinBlancos{"RTRIM(CAST(", " AS TEXT))::citext"} : SinBlancos{});
}

}  // namespace tamaris
