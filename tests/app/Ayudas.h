#pragma once
// What the start-up tests share: a data folder of their own (TAMARIS_HOME, restored afterwards),
// a suite database in a temporary folder, rows read straight from a SQLite file, and a scripted
// database access dialog.

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/AccesoDialogo.h"
#include "data/PuertosPrueba.h"
#include "soporte/BaseDePrueba.h"
#include "soporte/Percepciones.h"
#include "soporte/Proceso.h"
#include "soporte/SistemaPrueba.h"

namespace prueba {

using VariableEntorno = prueba_sistema::VariableEntorno;

// Creates `archivo` with the suite's schema, copied from one made once per test program (making
// each anew costs a disk sync per statement).
inline void BaseConEsquema(const std::string& archivo) {
    static const std::string modelo = [] {
        static CarpetaTemporal carpeta;
        const std::string ruta = carpeta / "modelo.db";
        CreaBaseConEsquema(ruta);
        return ruta;
    }();
    std::filesystem::copy_file(modelo, archivo, std::filesystem::copy_options::overwrite_existing);
}

// The same with the perception fixture's entries.
inline void BasePercepciones(const std::string& archivo) {
    BaseConEsquema(archivo);
    InsertaAsientos(archivo, AsientosFijos());
}

using Filas = std::vector<std::vector<std::string>>;

// Every row of `sql` on the SQLite file, each value as text ("NULL" for null).
inline Filas LeeFilas(const std::string& archivo, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("no se puede abrir " + archivo);
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        const std::string error = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(error + " en: " + sql);
    }
    Filas filas;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> fila;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const unsigned char* t = sqlite3_column_text(st, i);
            fila.emplace_back(t ? reinterpret_cast<const char*>(t) : "NULL");
        }
        filas.push_back(std::move(fila));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return filas;
}

inline long Cuenta(const std::string& archivo, const std::string& tabla) {
    return std::stol(LeeFilas(archivo, "SELECT count(*) FROM " + tabla).at(0).at(0));
}

// The database access dialog, scripted: records what it was shown and answers as told.
class DialogoAccesoPrueba : public tamaris::AccesoDialogo {
  public:
    struct Visto {
        std::string base, servidor, usuario, clave;
    };
    std::vector<Visto> vistos;
    bool acepta = false;

    void MostrarModal() override {
        vistos.push_back({BaseDatos, Servidor, Usuario, Password});
        Aceptado = acepta;
    }
};

}  // namespace prueba
