#pragma once
// A real SQLite file holding the suite's schema, for tests.

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "soporte/Proceso.h"

namespace prueba {

inline void EjecutaSqlite(const std::string& archivo, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("no se puede abrir " + archivo);
    }
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string texto = error ? error : "error";
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error(texto + " en: " + sql.substr(0, 200));
    }
    sqlite3_close(db);
}

// Creates `archivo` with the suite's schema (replacing any file there).
inline void CreaBaseConEsquema(const std::string& archivo) {
    std::filesystem::remove(archivo);
    EjecutaSqlite(archivo, LeeArchivo(std::string(TAMARIS_SQL_DIR) + "/esquema.sql"));
}

// One accounting entry of MV_ASIENTOS as the perception export reads it.
struct Asiento {
    std::string tc, fecha, letra, numero, cuit, neto, percepcion, cuenta;
};

inline std::string Literal(const std::string& v) {
    if (v == "NULL") return v;
    std::string r = "'";
    for (char c : v) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r + "'";
}

inline void InsertaAsientos(const std::string& archivo, const std::vector<Asiento>& asientos) {
    std::string sql = "BEGIN;";
    for (const auto& a : asientos) {
        sql += "INSERT INTO MV_ASIENTOS (TC, FECHA, LETRA, NUMERO, cabcuit, liva_impnetograv, "
               "LIVA_Ret_IBtos, CUENTA) VALUES (" +
               Literal(a.tc) + "," + Literal(a.fecha) + "," + Literal(a.letra) + "," + a.numero +
               "," + Literal(a.cuit) + "," + a.neto + "," + a.percepcion + "," +
               Literal(a.cuenta) + ");";
    }
    EjecutaSqlite(archivo, sql + "COMMIT;");
}

}  // namespace prueba
