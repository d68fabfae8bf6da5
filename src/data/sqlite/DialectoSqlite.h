#pragma once
// The suite writes its SQL in the SQL Server dialect; this turns a statement (or a script of
// several) into SQLite's. What changes:
//  - table hints "WITH (NOLOCK)" / "(NOLOCK)" are dropped;
//  - "SELECT [DISTINCT] TOP n …" becomes "SELECT [DISTINCT] … LIMIT n" (also in subqueries);
//  - date literals 'D/M/YYYY[ HH:MM[:SS]]' and #D/M/YYYY# become 'YYYY-MM-DD[ HH:MM:SS]';
//  - LEN, ISNULL, SUBSTRING, GETDATE(), CHARINDEX and CONVERT become their SQLite forms;
//  - the owner prefix "dbo." and the N of N'…' are dropped; SET NOCOUNT ON/OFF is dropped.
// Text inside string literals (other than whole date literals), quoted names and comments is
// never touched. SQL already written for SQLite comes back unchanged.

#include <string>
#include <string_view>

namespace tamaris {

std::string ReescribeSqlite(std::string_view sql);

// The same rewriting for PostgreSQL, which shares SQLite's forms for TOP, hints, owners and
// date literals (ISO text reads the same under any DateStyle). What differs: ISNULL becomes
// COALESCE, CHARINDEX(a, b) STRPOS(b, a), GETDATE() LOCALTIMESTAMP, CONVERT a CAST to the
// PostgreSQL type or, with a date style, to_char; a bracketed name [x] is written bare (so that
// it folds to lower case as the schema's names do), or quoted when it is not a plain word.
std::string ReescribePostgres(std::string_view sql);

}  // namespace tamaris
