#pragma once
// Statement builders of the global module: the narrow TOP translation for Oracle, and the
// column-value list that becomes INSERT and UPDATE statements.

#include <string>
#include <string_view>
#include <vector>

namespace tamaris {

class DB_Dll;

// One column of a statement being built and its value, already written as SQL text.
struct ColumnaValor {
    std::string columna;
    std::string valor;
    bool operator==(const ColumnaValor&) const = default;
};

// On Oracle, a "SELECT TOP n * …" statement with ROWNUM instead of TOP (a WHERE already present
// is not looked for); a single word "LEN" becomes "LENGTH". Elsewhere the text as it is.
std::string TraduceTop(const DB_Dll& db, std::string_view sentencia);

// Adds a column to the list (or starts the list again with it when `nuevo`). Single quotes are
// taken out of `valor`, also in the caller's variable; "NULL" is written as Null, anything else
// as db.SQLValue(valor, marcador).
void AgregaValor(std::vector<ColumnaValor>& lista, const DB_Dll& db, std::string_view columna,
                 std::string& valor, std::string_view marcador, bool nuevo);

// Builds the UPDATE (`actualiza`) or INSERT of the list on `tabla` and appends it to
// `sentencias`, followed by an empty entry. An UPDATE condition without "WHERE" gets it in front,
// also in the caller's variable. Unless `mantieneLista`, the list is left with one empty entry.
void ArmaSentencia(std::vector<ColumnaValor>& lista, std::vector<std::string>& sentencias,
                   std::string_view tabla, bool actualiza, std::string& condicion,
                   bool mantieneLista);

}  // namespace tamaris
