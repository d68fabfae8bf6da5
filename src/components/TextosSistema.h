#pragma once
// The system's and SQLite's failure texts in Spanish. The C library and SQLite word them in
// English (the C library in the process locale's language at best), and they end up inside
// the messages the operator reads. One table serves both: the errno values (on Windows the
// GetLastError codes the platform module maps to them) and SQLite's own texts. The error log
// keeps the original wording next to the Spanish, for whoever has to look it up.

#include <string>
#include <string_view>

namespace tamaris {

// The Spanish text of an errno value; the C library's own for one the table does not hold.
std::string TextoSistema(int error);

// The Spanish text of a SQLite failure text (sqlite3_errmsg or sqlite3_errstr), matched as a
// whole; the same text when the table does not hold it.
std::string TextoSqlite(std::string_view original);

// `mensaje` with the original wording of every Spanish system text it carries added after it
// in brackets, for the error log.
std::string ConTextosOriginales(std::string_view mensaje);

}  // namespace tamaris
