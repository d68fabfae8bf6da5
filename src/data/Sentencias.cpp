#include "data/Sentencias.h"

#include "components/Texto.h"
#include "data/DB_Dll.h"

namespace tamaris {

std::string TraduceTop(const DB_Dll& db, std::string_view sentencia) {
    if (!db.EsOracle()) return std::string(sentencia);
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

void AgregaValor(std::vector<ColumnaValor>& lista, const DB_Dll& db, std::string_view columna,
                 std::string& valor, std::string_view marcador, bool nuevo) {
    if (nuevo)
        lista.assign(1, ColumnaValor{});
    else
        lista.emplace_back();
    valor = QuitaCaracteres(valor, '\'');
    ColumnaValor& ultima = lista.back();
    ultima.columna = std::string(columna);
    ultima.valor = IgualSinCaso(valor, "NULL") ? "Null" : db.SQLValue(Variant(valor), marcador);
}

void ArmaSentencia(std::vector<ColumnaValor>& lista, std::vector<std::string>& sentencias,
                   std::string_view tabla, bool actualiza, std::string& condicion,
                   bool mantieneLista) {
    std::string sentencia;
    if (actualiza) {
        std::string asignaciones;
        for (std::size_t i = 0; i < lista.size(); ++i) {
            if (i > 0) asignaciones += ",";
            asignaciones += lista[i].columna + " = " + lista[i].valor;
        }
        if (!ContieneSinCaso(condicion, "WHERE")) condicion = " WHERE " + condicion;
        sentencia = "UPDATE " + std::string(tabla) + " SET " + asignaciones + " " + condicion;
    } else {
        std::string columnas, valores;
        for (std::size_t i = 0; i < lista.size(); ++i) {
            if (i > 0) {
                columnas += ",";
                valores += ",";
            }
            columnas += lista[i].columna;
            valores += lista[i].valor;
        }
        sentencia =
            "INSERT INTO " + std::string(tabla) + " (" + columnas + ") VALUES (" + valores + ")";
    }
    sentencias.push_back(std::move(sentencia));
    sentencias.emplace_back();
    if (!mantieneLista) lista.assign(1, ColumnaValor{});
}

}  // namespace tamaris
