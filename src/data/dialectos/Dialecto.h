#pragma once
// What differs between the database platforms in the SQL the program sends. The suite writes
// its statements in the SQL Server dialect; the dialect of the platform a connection reaches
// turns them into its own and writes values and names the way that platform reads them. One
// object per open connection, chosen by CreaDialecto when it opens. The base class is the SQL
// Server dialect; each other platform overrides only what it does differently.

#include <memory>
#include <string>
#include <string_view>

#include "components/Variant.h"
#include "data/Motor.h"
#include "data/sqlite/DialectoSqlite.h"

namespace tamaris {

class Dialecto {
  public:
    virtual ~Dialecto() = default;

    virtual Plataforma plataforma() const { return Plataforma::SqlServer; }

    // The statement in the platform's own dialect where the platform reads SQL differently
    // from SQL Server (SQLite, PostgreSQL); unchanged elsewhere. `esFecha` tells whether a
    // column holds dates, for a date-shaped text stored by INSERT or UPDATE.
    virtual std::string Reescribe(std::string_view sentencia, const EsColumnaFecha& esFecha) const;

    // The translation that a caller asks for explicitly on Oracle (TOP, LEN, brackets, date
    // texts, CONVERT, ISNULL, …); unchanged on every other platform.
    virtual std::string TraduceOracle(std::string_view sentencia) const;

    // The narrower translation of the value forms: "TOP n *" to ROWNUM and LEN to LENGTH on
    // Oracle; unchanged elsewhere.
    virtual std::string TraduceTop(std::string_view sentencia) const {
        return std::string(sentencia);
    }

    // Whether a script is sent one statement at a time, with its transaction commands run by
    // the connection (Oracle, whose driver takes one statement per call).
    virtual bool ScriptPorSentencias() const { return false; }

    // A date as a literal that the platform reads the same way whatever its date settings:
    // 'YYYYMMDD' on SQL Server ('YYYY-MM-DD' depends on the login's language there),
    // 'YYYY-MM-DD' elsewhere.
    virtual std::string LiteralFecha(const Fecha& fecha) const;

    // A stored date and time as a literal of an INSERT or UPDATE the program writes itself: the
    // ODBC escape {ts '…'}, or plain ISO text where dates are stored as text (SQLite).
    virtual std::string LiteralFechaHora(const Fecha& fecha) const;

    // Text literals start with this: the national N'…' on SQL Server, so that no character
    // depends on the collation.
    virtual std::string_view InicioTexto() const { return "N'"; }

    // The characters that enclose a name that is not a plain word.
    virtual char AbreNombre() const { return '['; }
    virtual char CierraNombre() const { return ']'; }

    // Whether a SQL Server batch has to be sent as its transaction's beginning and then one
    // statement per line, because the platform reads statements only where a ";" ends them
    // (SQLite, PostgreSQL).
    virtual bool TransaccionAparte() const { return false; }

    // Whether a failure's record says a duplicate key (SQL Server's native 2627), or a
    // conflict with a foreign key, check or not-null constraint (547), which a script may be
    // asked to keep silent.
    virtual bool EsClaveDuplicada(const ErrorProveedor& e) const;
    virtual bool EsConflictoRestriccion(const ErrorProveedor& e) const;

    // Whether the platform has no logins or users for the program to create (a database file).
    virtual bool SinUsuarios() const { return false; }

  protected:
    // 'YYYY-MM-DD': what every platform but SQL Server reads the same whatever its settings.
    static std::string LiteralIso(const Fecha& fecha);
};

// The dialect of `plataforma`. A value that names no known platform is refused: ErrorTamaris
// with kArgumentoInvalido.
std::unique_ptr<Dialecto> CreaDialecto(Plataforma plataforma);

}  // namespace tamaris
