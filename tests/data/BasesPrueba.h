#pragma once
// Real SQLite files for the data-access tests, and the two ways of reaching them: the native
// backend (a Jet provider string) and the SQLite ODBC driver. The same test bodies run over
// both; where the backends differ, the table below says how.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "data/Conexion.h"
#include "data/Recordset.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris::prueba {

struct Acceso {
    const char* nombre;
    std::string (*cadena)(const std::string& archivo);
    // SQL states of the first provider error. The ODBC driver says HY000 for every failure.
    const char* estadoTablaInexistente;
    const char* estadoSintaxis;
    const char* estadoColumna;
    const char* estadoIntegridad;
    // ADO types of columns declared VARCHAR(30), TEXT, DATE and BIT.
    int tipoVarchar;
    int tipoTexto;
    int tipoDate;
    int tipoBit;
    // The ODBC driver, streaming, describes columns before the first row: an expression
    // without a declared type comes back as text.
    bool expresionesComoTexto;
};

inline std::string CadenaNativa(const std::string& archivo) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + archivo + ";";
}
// NoCreat: like the native backend, never make a file that is not there. StepAPI: rows stream
// instead of being read whole by SQLExecDirect.
inline std::string CadenaOdbc(const std::string& archivo) {
    return prueba_sistema::CadenaSqliteOdbc(archivo, "NoCreat=1;StepAPI=1;");
}

inline const Acceso kNativo{"Nativo", CadenaNativa, "42S02", "42000", "42S22", "23000",
                            202,      202,          135,     11,      false};
inline const Acceso kOdbc{"Odbc", CadenaOdbc, "HY000", "HY000", "HY000", "HY000",
                          200,    201,        133,     11,      true};

inline void PrintTo(const Acceso& a, std::ostream* os) { *os << a.nombre; }

inline std::string NombreAcceso(const ::testing::TestParamInfo<Acceso>& info) {
    return info.param.nombre;
}

// Runs SQL on the file directly, with nothing of ours in between.
inline void SqlDirecto(const std::string& archivo, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string error;
    if (rc == SQLITE_OK) {
        char* msg = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
            error = msg ? msg : "sqlite3_exec";
            sqlite3_free(msg);
        }
    } else {
        error = sqlite3_errstr(rc);
    }
    sqlite3_close(db);
    if (!error.empty()) throw std::runtime_error(error + " en: " + sql);
}

inline long long EnteroDirecto(const std::string& archivo, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    long long r = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        r = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return r;
}

// A path in the temporary folder that no other test uses.
inline std::string ArchivoTemporal(const std::string& sufijo) {
    static std::atomic<int> contador{0};
    auto ruta = std::filesystem::temp_directory_path() /
                ("tamaris_data_" + std::to_string(tamaris::plataforma::IdProceso()) + "_" +
                 std::to_string(contador++) + "_" + sufijo + ".db");
    std::filesystem::remove(ruta);
    return ruta.string();
}

inline const char* kEsquema =
    "CREATE TABLE T(ID INTEGER PRIMARY KEY, NOMBRE VARCHAR(30) COLLATE NOCASE UNIQUE, "
    "FECHA DATETIME, IMPORTE DECIMAL(15,2), ACTIVO BIT, NOTA TEXT, DIA DATE);"
    "INSERT INTO T VALUES(1, 'Ñandú Pérez', '2024-03-05 10:20:30', 12.5, 1, 'ácido', '2024-01-02');"
    "INSERT INTO T VALUES(2, 'Zorro', '2023-12-31 00:00:00', 100, 0, NULL, NULL);"
    "INSERT INTO T VALUES(3, 'Águila', NULL, NULL, NULL, 'x', NULL);"
    "CREATE VIEW V_T AS SELECT ID, NOMBRE FROM T;"
    "CREATE TABLE VACIA(ID INTEGER, DESCRIPCION VARCHAR(10));";

// A fresh database file with the schema above, and a connection open on it.
class PruebaAcceso : public ::testing::TestWithParam<Acceso> {
  protected:
    void SetUp() override {
        archivo = ArchivoTemporal(GetParam().nombre);
        SqlDirecto(archivo, kEsquema);
        cn.Open(GetParam().cadena(archivo));
    }
    void TearDown() override {
        if (cn.Abierta()) cn.Close();
        std::filesystem::remove(archivo);
    }

    long long Cuenta(const std::string& condicion = "1=1") {
        return EnteroDirecto(archivo, "SELECT count(*) FROM T WHERE " + condicion);
    }

    std::string archivo;
    Conexion cn;
};

using VariableEntorno = prueba_sistema::VariableEntorno;

// The ErrorBD that `f` throws; fails the test when it throws none.
inline ErrorBD ErrorDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErrorBD& e) {
        return e;
    }
    ADD_FAILURE() << "no se lanzó ErrorBD";
    return ErrorBD(0, "");
}

}  // namespace tamaris::prueba
