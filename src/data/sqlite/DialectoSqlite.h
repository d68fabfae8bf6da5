#pragma once
// The suite writes its SQL in the SQL Server dialect; this turns a statement (or a script of
// several) into SQLite's. What changes:
//  - table hints "WITH (NOLOCK)" / "(NOLOCK)" are dropped;
//  - "SELECT [DISTINCT] TOP n …" becomes "SELECT [DISTINCT] … LIMIT n" (also in subqueries);
//  - date literals #D/M/YYYY# become 'YYYY-MM-DD', and so do 'D/M/YYYY[ HH:MM[:SS]]' texts
//    where a date is expected: compared (=, <>, <, >, BETWEEN … AND …, IN (…)), the date
//    argument of CONVERT, or stored by INSERT … VALUES or UPDATE … SET into a column that
//    `esFecha` says holds dates. Elsewhere (a text column, a select list) such a text is a text
//    and stays as typed;
//  - LEN, ISNULL, SUBSTRING, GETDATE(), CHARINDEX and CONVERT become their SQLite forms;
//  - the owner prefix "dbo." and the N of N'…' are dropped; SET NOCOUNT ON/OFF is dropped.
// Text inside string literals (other than whole date literals), quoted names and comments is
// never touched. SQL already written for SQLite comes back unchanged.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tamaris {

// Whether column `columna` of `tabla` holds dates; with no column name (an INSERT without a
// column list) the column at 0-based `posicion`.
using EsColumnaFecha =
    std::function<bool(std::string_view tabla, std::string_view columna, std::size_t posicion)>;

// With `sinBlancosFinales` (always, through the platform's dialect), a column compared with
// text literals ("col = 'x'", "col IN ('x', …)", "CASE col WHEN 'x'") is compared without its
// trailing blanks and without regard to case, as SQL Server compares: "RTRIM(col) COLLATE
// NOCASE", and the literals lose theirs.
std::string ReescribeSqlite(std::string_view sql, const EsColumnaFecha& esFecha = {},
                            bool sinBlancosFinales = false);

// The same rewriting for PostgreSQL, which shares SQLite's forms for TOP, hints, owners and
// date literals (ISO text reads the same under any DateStyle). What differs: ISNULL becomes
// COALESCE, CHARINDEX(a, b) STRPOS(b, a), GETDATE() LOCALTIMESTAMP, CONVERT a CAST to the
// PostgreSQL type or, with a date style, to_char; a bracketed name [x] is written bare (so that
// it folds to lower case as the schema's names do), or quoted when it is not a plain word.
// With `sinBlancosFinales` (always, through the platform's dialect) the compared column becomes
// "RTRIM(CAST(col AS TEXT))::citext".
std::string ReescribePostgres(std::string_view sql, const EsColumnaFecha& esFecha = {},
                              bool sinBlancosFinales = false);

}  // namespace tamaris
