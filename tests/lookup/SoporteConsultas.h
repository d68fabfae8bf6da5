#pragma once
// What the lookup tests share: a real SQLite file with the suite's schema and a few lookup
// tables, reached either through the native backend or through the SQLite ODBC driver; scripted
// presenters that act on a form while it is shown; and a configuration held in a map.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "components/CarpetaTemporal.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/PuertosPrueba.h"
#include "lookup/EntornoConsulta.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "soporte/BaseDePrueba.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris::prueba {

// How the test database is reached.
struct AccesoConsulta {
    const char* nombre;
    std::string (*cadena)(const std::string& archivo);
};

inline std::string CadenaNativaConsulta(const std::string& archivo) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + archivo + ";";
}
// StepAPI: rows stream instead of being read whole; NoCreat: a missing file is an error.
inline std::string CadenaOdbcConsulta(const std::string& archivo) {
    return prueba_sistema::CadenaSqliteOdbc(archivo, "NoCreat=1;StepAPI=1;");
}

inline const AccesoConsulta kNativoConsulta{"Nativo", CadenaNativaConsulta};
inline const AccesoConsulta kOdbcConsulta{"Odbc", CadenaOdbcConsulta};

inline void PrintTo(const AccesoConsulta& a, std::ostream* os) { *os << a.nombre; }
inline std::string NombreAccesoConsulta(const ::testing::TestParamInfo<AccesoConsulta>& info) {
    return info.param.nombre;
}

// The lookup tables the tests read, besides the suite's schema.
inline const char* kTablasConsulta = R"SQL(
INSERT INTO MA_CUENTAS (Codigo, Descripcion) VALUES
  ('1', 'Activo'), ('11', 'caja'), ('111', 'Caja chica'), ('112', 'Banco Nacion'),
  ('113', 'O''Brien Proveedores'), ('2', 'Pasivo'), ('21', 'Deudas');
INSERT INTO TA_CCOSTO (Codigo, Descripcion) VALUES ('cc1', 'Centro uno');
CREATE TABLE PRODUCTOS (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(40), PRECIO DECIMAL(12,2));
INSERT INTO PRODUCTOS VALUES ('P1', 'Tornillo', 10.5), ('P2', 'Arandela', 2);
CREATE TABLE SOLO_CONTROL (ID INTEGER, FECHAHORA_MODIFICACION DATETIME,
                           FECHAHORA_GRABACION DATETIME);
CREATE TABLE V_MA_ARTICULOS (IdArticulo VARCHAR(25), Descripcion VARCHAR(60),
                             PRECIO1 DECIMAL(12,2), PUNTOPEDIDO DECIMAL(12,2),
                             Stock DECIMAL(12,2), SUSPENDIDO INTEGER);
INSERT INTO V_MA_ARTICULOS VALUES
  ('A1', 'Sin punto con stock', 1, 0, 5, 0),
  ('A2', 'Sobre el punto', 1, 3, 5, 0),
  ('A3', 'Bajo el punto', 1, 3, 1, 0),
  ('A4', 'En el punto', 1, 3, 3, 0),
  ('A5', 'Sin punto sin stock', 1, 0, 0, 0),
  ('A6', 'Punto negativo', 1, -1, 5, 0),
  ('A7', 'Clavo D''Angelo', 1, 0, 2, 1);
)SQL";

// A database file in a temporary folder with the suite's schema and the tables above, and a
// connection object open on it.
class BaseConsultas {
  public:
    explicit BaseConsultas(const AccesoConsulta& acceso = kNativoConsulta) {
        // One transaction: the file is written once instead of once per statement.
        ::prueba::EjecutaSqlite(
            archivo, "BEGIN;" +
                         ::prueba::LeeArchivo(std::string(TAMARIS_SQL_DIR) + "/esquema.sql") +
                         kTablasConsulta + "COMMIT;");
        db.gUsuario = "OPERADOR";
        db.OpenServerADODB(false, adUseClient, acceso.cadena(archivo), false, false);
    }
    void Sql(const std::string& sql) { ::prueba::EjecutaSqlite(archivo, sql); }

    CarpetaTemporal carpeta;
    std::string archivo = carpeta / "suite.db";
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

// A presenter that runs a script on the form while it is shown, records what it saw and, when
// the script leaves the form up, closes it as the window's close box would.
class VistaListaGuion : public VistaConsulta {
  public:
    std::function<void(Lib_FrmCons3&)> guion;
    int mostrada = 0;
    std::string sentencia;  // the form's statement when it was shown
    bool ordenarPorLwv = false;
    std::vector<AvisoConsulta> avisos;

    void MostrarModal(Lib_FrmCons3& form) override {
        ++mostrada;
        sentencia = form.SentenciaInicial();
        ordenarPorLwv = form.OrdenarPorLwv;
        if (guion) guion(form);
    }
    void Avisar(Lib_FrmCons3&, AvisoConsulta aviso) override { avisos.push_back(aviso); }
};

class VistaArbolGuion : public VistaConsultaArbol {
  public:
    std::function<void(Lib_FrmCons3Tree&)> guion;
    int mostrada = 0;
    std::string sentencia;
    std::string campoDevuelto;

    void MostrarModal(Lib_FrmCons3Tree& form) override {
        ++mostrada;
        sentencia = form.SQL;
        campoDevuelto = form.CampoDevuelto;
        if (guion) guion(form);
    }
};

// Configuration keys held in a map; a missing or blank key reads as the default.
class ConfiguracionPrueba {
  public:
    std::map<std::string, std::string> valores;
    LeeConfiguracion Lector() {
        return [this](std::string_view clave, std::string_view defecto) {
            const auto it = valores.find(Mayusculas(clave));
            if (it == valores.end() || Trim(it->second).empty()) return std::string(defecto);
            return it->second;
        };
    }
    void Pon(const std::string& clave, const std::string& valor) {
        valores[Mayusculas(clave)] = valor;
    }
};

// Key presses as the front end hands them on.
inline void Tecla(Lib_FrmCons3& form, int codigo, int shift = 0) {
    form.ListView1_KeyDown(codigo, shift);
}
inline void TeclaBusqueda(Lib_FrmCons3& form, int caja, int codigo) {
    form.CmbSearch_KeyDown(caja, codigo, 0);
}
inline void TeclaForm(Lib_FrmCons3& form, int codigo) { form.Form_KeyDown(codigo, 0); }

// The texts of one column of the list, in display order.
inline std::vector<std::string> Columna(const Lib_FrmCons3& form, int columna) {
    std::vector<std::string> r;
    for (int f = 0; f < form.Filas(); ++f) r.emplace_back(form.Celda(f, columna));
    return r;
}

}  // namespace tamaris::prueba
