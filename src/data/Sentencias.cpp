#include "data/Sentencias.h"

#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/dialectos/Dialecto.h"

namespace tamaris {

std::string TraduceTop(const DB_Dll& db, std::string_view sentencia) {
    return db.dialecto().TraduceTop(sentencia);
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
