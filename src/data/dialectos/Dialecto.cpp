#include "data/dialectos/Dialecto.h"

#include <array>
#include <cstdio>
#include <span>

#include "components/Texto.h"
#include "data/dialectos/DialectoOracle.h"

namespace tamaris {

namespace {

// Native errors of SQL Server.
constexpr long kClaveDuplicada = 2627;
constexpr long kConflictoRestriccion = 547;
// Their SQLite counterparts: extended result codes as the native backend reports them, and the
// driver's wording when it reports only the primary code (19, SQLITE_CONSTRAINT).
constexpr long kSqliteRestriccion = 19;
constexpr std::array<long, 2> kSqliteDuplicada = {1555, 2067};      // PRIMARYKEY, UNIQUE
constexpr std::array<long, 3> kSqliteConflicto = {787, 275, 1299};  // FOREIGNKEY, CHECK, NOTNULL

bool EnLista(long n, std::span<const long> lista) {
    for (long x : lista)
        if (x == n) return true;
    return false;
}

// SQLite stores dates as ISO text and reads them back from the same form.
class DialectoSqlite final : public Dialecto {
  public:
    Plataforma plataforma() const override { return Plataforma::SQLite; }
    std::string Reescribe(std::string_view sentencia,
                          const EsColumnaFecha& esFecha) const override {
        // Texts are compared as SQL Server compares them, without their trailing blanks. Not
        // by replacing the NOCASE collation: the files' NOCASE indexes were built with SQLite's
        // own, and another order would make them look damaged to every other program.
        return ReescribeSqlite(sentencia, esFecha, true);
    }
    std::string LiteralFechaHora(const Fecha& f) const override {
        char buf[64];
        std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d %02d:%02d:%02d'", f.anio, f.mes, f.dia,
                      f.hora, f.minuto, f.segundo);
        return buf;
    }
    std::string LiteralFecha(const Fecha& fecha) const override { return LiteralIso(fecha); }
    std::string_view InicioTexto() const override { return "'"; }
    bool EsClaveDuplicada(const ErrorProveedor& e) const override {
        if (Dialecto::EsClaveDuplicada(e) || EnLista(e.NativeError, kSqliteDuplicada)) return true;
        return e.NativeError == kSqliteRestriccion &&
               (ContieneSinCaso(e.Description, "UNIQUE constraint failed") ||
                ContieneSinCaso(e.Description, "PRIMARY KEY must be unique") ||
                ContieneSinCaso(e.Description, "is not unique"));
    }
    bool EsConflictoRestriccion(const ErrorProveedor& e) const override {
        if (Dialecto::EsConflictoRestriccion(e) || EnLista(e.NativeError, kSqliteConflicto))
            return true;
        return e.NativeError == kSqliteRestriccion &&
               (ContieneSinCaso(e.Description, "FOREIGN KEY constraint failed") ||
                ContieneSinCaso(e.Description, "CHECK constraint failed") ||
                ContieneSinCaso(e.Description, "NOT NULL constraint failed"));
    }
    bool TransaccionAparte() const override { return true; }
    bool SinUsuarios() const override { return true; }
};

class DialectoPostgres final : public Dialecto {
  public:
    Plataforma plataforma() const override { return Plataforma::PostgreSQL; }
    std::string Reescribe(std::string_view sentencia,
                          const EsColumnaFecha& esFecha) const override {
        return ReescribePostgres(sentencia, esFecha, true);
    }
    std::string LiteralFecha(const Fecha& fecha) const override { return LiteralIso(fecha); }
    std::string_view InicioTexto() const override { return "'"; }
    bool TransaccionAparte() const override { return true; }
};

}  // namespace

std::string Dialecto::Reescribe(std::string_view sentencia, const EsColumnaFecha&) const {
    return std::string(sentencia);
}

bool Dialecto::EsClaveDuplicada(const ErrorProveedor& e) const {
    return e.NativeError == kClaveDuplicada;
}

bool Dialecto::EsConflictoRestriccion(const ErrorProveedor& e) const {
    return e.NativeError == kConflictoRestriccion;
}

std::string Dialecto::TraduceOracle(std::string_view sentencia) const {
    return std::string(sentencia);
}

std::string Dialecto::LiteralFecha(const Fecha& fecha) const {
    // SQL Server reads 'YYYY-MM-DD' by the login's language; 'YYYYMMDD' never.
    const std::string iso = Fecha{fecha.anio, fecha.mes, fecha.dia}.Iso();
    return "'" + iso.substr(0, 4) + iso.substr(5, 2) + iso.substr(8, 2) + "'";
}

std::string Dialecto::LiteralIso(const Fecha& fecha) {
    return "'" + Fecha{fecha.anio, fecha.mes, fecha.dia}.Iso() + "'";
}

std::string Dialecto::LiteralFechaHora(const Fecha& f) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "{ts '%04d-%02d-%02d %02d:%02d:%02d'}", f.anio, f.mes, f.dia,
                  f.hora, f.minuto, f.segundo);
    return buf;
}

std::unique_ptr<Dialecto> CreaDialecto(Plataforma plataforma) {
    switch (plataforma) {
        case Plataforma::SqlServer:
            return std::make_unique<Dialecto>();
        case Plataforma::Oracle:
            return CreaDialectoOracle();
        case Plataforma::SQLite:
            return std::make_unique<DialectoSqlite>();
        case Plataforma::PostgreSQL:
            return std::make_unique<DialectoPostgres>();
    }
    throw ErrorTamaris(err::kArgumentoInvalido, "Plataforma de base de datos desconocida (" +
                                                    std::to_string(static_cast<int>(plataforma)) +
                                                    ")");
}

}  // namespace tamaris
