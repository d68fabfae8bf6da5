// Demonstration database: schema, sample data, determinism and safe replacement of the file.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "EsquemaSql.h"
#include "cli/Demo.h"
#include "components/Error.h"
#include "components/Plataforma.h"

namespace {

namespace fs = std::filesystem;
using tamaris::CreaDemo;
using tamaris::OpcionesDemo;
using tamaris::ResumenDemo;

constexpr long kFilas = 2000;

// A folder of its own for each test, removed at the end.
class Carpeta {
  public:
    Carpeta() {
        static int n = 0;
        ruta_ = fs::temp_directory_path() /
                ("tamaris_demo_" + std::to_string(tamaris::plataforma::IdProceso()) + "_" +
                 std::to_string(++n));
        fs::remove_all(ruta_);
        fs::create_directories(ruta_);
    }
    ~Carpeta() {
        std::error_code ec;
        fs::remove_all(ruta_, ec);
    }
    std::string operator/(const std::string& nombre) const { return (ruta_ / nombre).string(); }
    const fs::path& Ruta() const { return ruta_; }
    std::vector<std::string> Contenido() const {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(ruta_))
            v.push_back(e.path().filename().string());
        return v;
    }

  private:
    fs::path ruta_;
};

// A SQLite file opened for the checks.
class Base {
  public:
    explicit Base(const std::string& archivo, bool soloLectura = true) {
        const int modo = soloLectura ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (sqlite3_open_v2(archivo.c_str(), &db_, modo, nullptr) != SQLITE_OK)
            throw std::runtime_error("no se abre " + archivo);
    }
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
    ~Base() { sqlite3_close_v2(db_); }

    // Every row of a query, each column as text ("NULL" for a null).
    std::vector<std::vector<std::string>> Filas(const std::string& sql) const {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
        std::vector<std::vector<std::string>> filas;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> fila;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* t = sqlite3_column_text(st, i);
                fila.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
            }
            filas.push_back(std::move(fila));
        }
        const std::string error = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db_);
        sqlite3_finalize(st);
        if (!error.empty()) throw std::runtime_error(sql + ": " + error);
        return filas;
    }
    std::string Texto(const std::string& sql) const {
        const auto f = Filas(sql);
        return f.empty() || f[0].empty() ? std::string() : f[0][0];
    }
    long Entero(const std::string& sql) const { return std::stol(Texto(sql)); }
    void Ejecuta(const std::string& sql) {
        char* msg = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
            const std::string m = msg ? msg : "";
            sqlite3_free(msg);
            throw std::runtime_error(sql + ": " + m);
        }
    }

    // Every row of every table and view, in a fixed order: equal texts, equal databases.
    std::string Volcado() const {
        std::ostringstream o;
        for (const auto& t : Filas("SELECT type, name, sql FROM sqlite_master ORDER BY name")) {
            o << t[0] << ' ' << t[1] << '\n' << t[2] << '\n';
            if (t[0] != "table") continue;
            for (const auto& f : Filas("SELECT * FROM \"" + t[1] + "\" ORDER BY rowid")) {
                for (const auto& c : f) o << c << '|';
                o << '\n';
            }
        }
        return o.str();
    }

  private:
    sqlite3* db_ = nullptr;
};

std::string LeeArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

// CUIT check digit: weights 5,4,3,2,7,6,5,4,3,2 and 1 for the check digit; the weighted sum
// of a valid CUIT is a multiple of 11.
bool CuitValido(const std::string& texto) {
    std::string d;
    for (char c : texto)
        if (c != '-') d += c;
    if (d.size() != 11) return false;
    static constexpr int kPesos[11] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2, 1};
    int suma = 0;
    for (size_t i = 0; i < 11; ++i) {
        if (d[i] < '0' || d[i] > '9') return false;
        suma += (d[i] - '0') * kPesos[i];
    }
    return suma % 11 == 0;
}

// A demonstration database of kFilas entries, made once for the read-only checks.
class DemoCompartida : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        carpeta_ = new Carpeta;
        archivo_ = new std::string(*carpeta_ / "demo.db");
        OpcionesDemo op;
        op.filas = kFilas;
        resumen_ = CreaDemo(*archivo_, op);
    }
    static void TearDownTestSuite() {
        delete archivo_;
        delete carpeta_;
        archivo_ = nullptr;
        carpeta_ = nullptr;
    }
    static Carpeta* carpeta_;
    static std::string* archivo_;
    static ResumenDemo resumen_;
};
Carpeta* DemoCompartida::carpeta_ = nullptr;
std::string* DemoCompartida::archivo_ = nullptr;
ResumenDemo DemoCompartida::resumen_;

// ---------------------------------------------------------------------------------------------

TEST(EsquemaDemo, CargaEnUnaBaseVaciaYEsElQueLlevaElPrograma) {
    const std::string texto = LeeArchivo(std::string(TAMARIS_SQL_DIR) + "/esquema.sql");
    ASSERT_FALSE(texto.empty());
    EXPECT_EQ(std::string(tamaris::EsquemaSql()), texto)
        << "el esquema incluido en el programa no es el de sql/esquema.sql";

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    char* msg = nullptr;
    const int rc = sqlite3_exec(db, texto.c_str(), nullptr, nullptr, &msg);
    EXPECT_EQ(rc, SQLITE_OK) << (msg ? msg : "");
    sqlite3_free(msg);
    sqlite3_close(db);

    // The program loads the rows between the tables and the indexes: past the marker there is
    // nothing but indexes.
    const size_t corte = texto.find("-- @indices");
    ASSERT_NE(corte, std::string::npos);
    std::istringstream resto(texto.substr(corte));
    std::string linea;
    while (std::getline(resto, linea)) {
        if (linea.empty() || linea.rfind("--", 0) == 0) continue;
        EXPECT_EQ(linea.rfind("CREATE INDEX ", 0), 0u) << linea;
    }
}

TEST_F(DemoCompartida, TieneLasTablasYColumnasQueUsaElPrograma) {
    struct Uso {
        const char* objeto;
        const char* tipo;  // "table" or "view"
        std::vector<const char*> columnas;
    };
    const std::vector<Uso> usos = {
        {"MV_ASIENTOS",
         "table",
         {"TC", "FECHA", "LETRA", "NUMERO", "cabcuit", "liva_impnetograv", "LIVA_Ret_IBtos",
          "CUENTA"}},
        {"SS_MV_ASIENTOS",
         "view",
         {"TC", "FECHA", "LETRA", "NUMERO", "cabcuit", "liva_impnetograv", "LIVA_Ret_IBtos",
          "CUENTA"}},
        {"LIBROIVAVENTAS",
         "table",
         {"Fecha", "TC", "Letra", "Sucursal", "Numero", "cabcuit", "CABCONDIVA", "CABNOMBRE",
          "Liva_Total", "LIVA_ImpNetoNGrav", "Liva_Exento", "Liva_ImpIva", "Liva_ImpIva2",
          "Liva_ImpIva3", "Liva_ImpIva4", "liva_aliciva", "liva_aliciva2", "liva_aliciva3"}},
        {"MA_CUENTAS", "table", {"Codigo", "Descripcion"}},
        {"SS_MA_CUENTAS", "view", {"Codigo", "Descripcion"}},
        {"TA_CONFIGURACION", "table", {"CLAVE", "VALOR", "valoraux", "Grupo", "PoliticaNegocio"}},
        {"TA_USUARIOS", "table", {"nombre", "Administrador"}},
        {"TA_TIPODOCUMENTO", "table", {"Codigo", "Descripcion"}},
        {"V_TA_FAMILIAS", "table", {"IdFamilia", "Descripcion"}},
        {"SS_V_TA_FAMILIAS", "view", {"IdFamilia", "Descripcion"}},
        {"V_TA_CAJAS", "table", {"IdCajas", "Descripcion"}},
        {"SS_V_TA_CAJAS", "view", {"IdCajas", "Descripcion"}},
        {"TA_CCOSTO", "table", {"Codigo", "Descripcion"}},
        {"TA_TAREAS", "table", {"USUARIO", "TAREA"}},
        {"TA_MENU", "table", {"Clave", "Proceso", "Nombre"}},
        {"Control_Acceso",
         "table",
         {"Maquina", "Usuario", "Formulario", "Tarea", "Ingreso", "NombreUsuario"}},
        {"AUX_ERR", "table", {"Proceso", "Fecha", "Error", "Descripcion", "SQL", "PC", "Usuario"}},
        {"V_MV_FALTANTES", "table", {"FechaHora", "IdArticulo", "Descripcion", "Usuario"}},
    };
    Base b(*archivo_);
    for (const Uso& u : usos) {
        EXPECT_EQ(b.Texto(std::string("SELECT type FROM sqlite_master WHERE name = '") + u.objeto +
                          "' COLLATE NOCASE"),
                  u.tipo)
            << u.objeto;
        std::set<std::string> columnas;
        for (const auto& f :
             b.Filas(std::string("SELECT upper(name) FROM pragma_table_info('") + u.objeto + "')"))
            columnas.insert(f[0]);
        for (const char* c : u.columnas) {
            std::string mayus = c;
            for (char& ch : mayus)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_TRUE(columnas.count(mayus)) << u.objeto << "." << c;
        }
    }
}

TEST_F(DemoCompartida, CuentaLasFilasYLasExportables) {
    Base b(*archivo_);
    EXPECT_EQ(resumen_.asientos, kFilas);
    EXPECT_EQ(b.Entero("SELECT count(*) FROM MV_ASIENTOS"), kFilas);
    EXPECT_EQ(resumen_.exportables,
              b.Entero("SELECT count(*) FROM MV_ASIENTOS WHERE (TC IN ('fc', 'nc', 'nd')) AND "
                       "(LIVA_Ret_IBtos <> 0)"));
    const double parte = static_cast<double>(resumen_.exportables) / static_cast<double>(kFilas);
    EXPECT_GE(parte, 0.60);
    EXPECT_LE(parte, 0.75);

    EXPECT_EQ(resumen_.libroIva, kFilas / 10);
    EXPECT_EQ(b.Entero("SELECT count(*) FROM LIBROIVAVENTAS"), resumen_.libroIva);

    // Every account used is in the chart.
    EXPECT_EQ(b.Entero("SELECT count(*) FROM MV_ASIENTOS a LEFT JOIN MA_CUENTAS c "
                       "ON c.Codigo = a.CUENTA WHERE c.ID IS NULL"),
              0);
    // The written tables start empty.
    for (const char* t : {"Control_Acceso", "AUX_ERR", "V_MV_FALTANTES"})
        EXPECT_EQ(b.Entero(std::string("SELECT count(*) FROM ") + t), 0) << t;
}

TEST_F(DemoCompartida, LaConsultaDePercepcionesDevuelveCadaComprobante) {
    Base b(*archivo_);
    const auto filas = b.Filas(
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1, "
        " FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' END "
        "AS C3, LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS C8, "
        " LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
        "(LIVA_Ret_IBtos <> 0) ");
    ASSERT_EQ(static_cast<long>(filas.size()), resumen_.exportables);
    std::map<std::string, long> porTipo;
    for (const auto& f : filas) {
        ASSERT_EQ(f[0], " 1");  // also for a type written in lower case
        ++porTipo[f[2]];
        EXPECT_TRUE(f[3] == "A" || f[3] == "B" || f[3] == "C") << f[3];
        EXPECT_LE(f[4].size(), 12u) << f[4];
        EXPECT_TRUE(CuitValido(f[5])) << f[5];
        const double neto = std::stod(f[6]), percepcion = std::stod(f[8]);
        EXPECT_NE(percepcion, 0.0);
        if (f[2] == " 6") {
            EXPECT_LT(neto, 0) << "nota de crédito " << f[4];
            EXPECT_LT(percepcion, 0) << "nota de crédito " << f[4];
        } else {
            EXPECT_GT(neto, 0);
            EXPECT_GT(percepcion, 0);
        }
    }
    EXPECT_GT(porTipo[" 1"], 0);
    EXPECT_GT(porTipo[" 5"], 0);
    EXPECT_GT(porTipo[" 6"], 0);

    // A date range and an account narrow it, through the indexes.
    const long enero = b.Entero(
        "SELECT count(*) FROM MV_ASIENTOS WHERE (TC IN ('fc', 'nc', 'nd')) AND (LIVA_Ret_IBtos <> "
        "0) "
        "AND  (FECHA >='2013-01-01' AND FECHA<='2013-01-31 23:59:59') AND (CUENTA='112')");
    EXPECT_GT(enero, 0);
    EXPECT_LT(enero, resumen_.exportables / 10);
}

TEST_F(DemoCompartida, LosCuitTienenDigitoVerificadorValido) {
    Base b(*archivo_);
    long conGuiones = 0, sinGuiones = 0;
    for (const auto& f : b.Filas("SELECT DISTINCT cabcuit FROM MV_ASIENTOS WHERE cabcuit <> ''")) {
        EXPECT_TRUE(CuitValido(f[0])) << f[0];
        if (f[0].find('-') != std::string::npos) {
            ++conGuiones;
            EXPECT_EQ(f[0].size(), 13u) << f[0];
            EXPECT_EQ(f[0][2], '-') << f[0];
            EXPECT_EQ(f[0][11], '-') << f[0];
        } else {
            ++sinGuiones;
        }
    }
    EXPECT_GT(conGuiones, 0);
    EXPECT_GT(sinGuiones, 0);
    for (const auto& f :
         b.Filas("SELECT DISTINCT cabcuit FROM LIBROIVAVENTAS WHERE CABCONDIVA = '80'"))
        EXPECT_TRUE(CuitValido(f[0])) << f[0];
    // Manual entries have no customer; everything else does.
    EXPECT_EQ(b.Entero("SELECT count(*) FROM MV_ASIENTOS WHERE cabcuit = '' AND upper(TC) <> 'AS'"),
              0);
}

TEST_F(DemoCompartida, LosAsientosVarianComoEnUnaEmpresaReal) {
    Base b(*archivo_);
    auto cuenta = [&](const std::string& condicion) {
        return b.Entero("SELECT count(*) FROM MV_ASIENTOS WHERE " + condicion);
    };
    // Voucher types, in both cases, and those that are not exported.
    EXPECT_GT(cuenta("TC GLOB 'fc'"), 0);
    EXPECT_GT(cuenta("TC GLOB 'n[cd]'"), 0);
    for (const char* tc : {"FC", "ND", "NC", "RC", "OP", "AS"})
        EXPECT_GT(cuenta(std::string("TC = '") + tc + "'"), 0) << tc;
    EXPECT_GT(cuenta("TC IN ('FC','ND','NC') AND LIVA_Ret_IBtos = 0"), 0);
    EXPECT_GT(cuenta("TC NOT IN ('FC','ND','NC') AND LIVA_Ret_IBtos <> 0"), 0);
    for (const char* letra : {"A", "B", "C"})
        EXPECT_GT(cuenta(std::string("TC IN ('FC','ND','NC') AND LETRA = '") + letra + "'"), 0)
            << letra;

    // Credit notes carry negative amounts; the others positive ones.
    EXPECT_EQ(cuenta("TC = 'NC' AND (liva_impnetograv >= 0 OR LIVA_Ret_IBtos > 0)"), 0);
    EXPECT_EQ(cuenta("TC IN ('FC','ND') AND (liva_impnetograv <= 0 OR LIVA_Ret_IBtos < 0)"), 0);

    // Amounts with no, one and two decimals.
    const std::string centavos = "(CAST(round(abs(liva_impnetograv) * 100) AS INTEGER) % 100)";
    EXPECT_GT(cuenta("TC IN ('FC','ND','NC') AND " + centavos + " = 0"), 0);
    EXPECT_GT(
        cuenta("TC IN ('FC','ND','NC') AND " + centavos + " <> 0 AND " + centavos + " % 10 = 0"),
        0);
    EXPECT_GT(cuenta("TC IN ('FC','ND','NC') AND " + centavos + " % 10 <> 0"), 0);
    EXPECT_EQ(cuenta("typeof(liva_impnetograv) NOT IN ('integer', 'real')"), 0);

    // Perceptions at 1.5% of the net, mostly.
    const long al15 = cuenta(
        "TC IN ('FC','ND','NC') AND LIVA_Ret_IBtos <> 0 AND "
        "abs(LIVA_Ret_IBtos - round(liva_impnetograv * 0.015, 2)) < 0.006");
    EXPECT_GT(al15, resumen_.exportables * 7 / 10);
    EXPECT_LT(al15, resumen_.exportables);

    // Accounts, one of them with an apostrophe.
    EXPECT_GT(cuenta("CUENTA = 'O''BRIEN'"), 0);
    EXPECT_GE(b.Entero("SELECT count(DISTINCT CUENTA) FROM MV_ASIENTOS"), 8);

    // Dates: ISO text, months of 2013 and 2014, sometimes with the time.
    EXPECT_EQ(cuenta("FECHA NOT GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND "
                     "FECHA NOT GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] "
                     "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]'"),
              0);
    EXPECT_GT(cuenta("length(FECHA) = 19"), 0);
    EXPECT_GE(b.Entero("SELECT count(DISTINCT substr(FECHA, 1, 7)) FROM MV_ASIENTOS WHERE FECHA < "
                       "'2014-01-01'"),
              6);
    EXPECT_GE(b.Entero("SELECT count(DISTINCT substr(FECHA, 1, 7)) FROM MV_ASIENTOS WHERE FECHA >= "
                       "'2014-01-01'"),
              3);

    // Voucher numbers are integers of at most 12 digits.
    EXPECT_EQ(cuenta("typeof(NUMERO) <> 'integer' OR NUMERO < 0 OR NUMERO > 999999999999"), 0);

    // Names with Ñ and accents.
    EXPECT_GT(cuenta("instr(CABNOMBRE, 'Ñ') > 0 OR instr(CABNOMBRE, 'ñ') > 0"), 0);
    EXPECT_GT(
        cuenta(
            "instr(CABNOMBRE, 'á') > 0 OR instr(CABNOMBRE, 'é') > 0 OR instr(CABNOMBRE, 'í') > 0"),
        0);

    // Confidential entries, hidden by the restricted view.
    const long confidenciales = cuenta("CONFIDENCIAL <> 0");
    EXPECT_GT(confidenciales, 0);
    EXPECT_EQ(b.Entero("SELECT count(*) FROM SS_MV_ASIENTOS"), kFilas - confidenciales);
    EXPECT_EQ(b.Entero("SELECT count(*) FROM SS_MV_ASIENTOS WHERE TC IN ('fc', 'nc', 'nd') AND "
                       "LIVA_Ret_IBtos <> 0"),
              b.Entero("SELECT count(*) FROM MV_ASIENTOS WHERE TC IN ('fc', 'nc', 'nd') AND "
                       "LIVA_Ret_IBtos <> 0 AND CONFIDENCIAL = 0"));
}

TEST_F(DemoCompartida, ElLibroIvaTieneComprobantesDeUnaACuatroAlicuotas) {
    Base b(*archivo_);
    auto cuenta = [&](const std::string& condicion) {
        return b.Entero("SELECT count(*) FROM LIBROIVAVENTAS WHERE " + condicion);
    };
    EXPECT_GT(
        cuenta("Liva_ImpIva <> 0 AND Liva_ImpIva2 = 0 AND Liva_ImpIva3 = 0 AND Liva_ImpIva4 = 0"),
        0);
    EXPECT_GT(cuenta("Liva_ImpIva2 > 0"), 0);
    EXPECT_GT(cuenta("Liva_ImpIva3 > 0"), 0);
    EXPECT_GT(cuenta("Liva_ImpIva4 > 0"), 0);
    EXPECT_GT(cuenta("Liva_Exento <> 0 AND Liva_ImpIva = 0"), 0);
    EXPECT_GT(cuenta("TC = 'NC' AND Liva_Total < 0"), 0);
    EXPECT_EQ(cuenta("TC = 'NC' AND Liva_Total > 0"), 0);
    EXPECT_GT(cuenta("abs(Liva_Total) <= 0.01"), 0);
    EXPECT_GT(cuenta("Letra = 'B' AND cabcuit = ''"), 0);
    EXPECT_GT(cuenta("TC GLOB 'fc'"), 0);
    // The VAT rates are never zero: the net is the VAT amount over the rate.
    EXPECT_EQ(cuenta("liva_aliciva = 0 OR liva_aliciva2 = 0 OR liva_aliciva3 = 0"), 0);
    EXPECT_GT(cuenta("liva_aliciva = 10.5"), 0);
    // The total adds up.
    EXPECT_EQ(
        cuenta(
            "abs(Liva_Total - (LIVA_ImpNetoGrav + LIVA_ImpNetoNGrav + Liva_Exento + Liva_ImpIva + "
            "Liva_ImpIva2 + Liva_ImpIva3 + Liva_ImpIva4 + LIVA_Ret_IBtos)) > 0.005"),
        0);
    // A couple of months.
    EXPECT_EQ(b.Entero("SELECT count(DISTINCT substr(Fecha, 1, 7)) FROM LIBROIVAVENTAS"), 2);
    // Document types the voucher rows name are in the table, and code 1 is the CUIT.
    EXPECT_EQ(b.Entero("SELECT count(*) FROM LIBROIVAVENTAS l LEFT JOIN TA_TIPODOCUMENTO t "
                       "ON t.Codigo = l.CABCONDIVA WHERE t.ID IS NULL"),
              0);
}

TEST_F(DemoCompartida, TablasDeReferencia) {
    Base b(*archivo_);
    EXPECT_EQ(b.Texto("SELECT VALOR FROM ta_configuracion WHERE CLAVE = 'CantidadDecimales'"), "2");
    EXPECT_EQ(b.Texto("SELECT VALOR FROM ta_configuracion WHERE CLAVE = 'SS_CONFIDENCIALIDAD'"),
              "NO");
    EXPECT_EQ(b.Texto("SELECT Administrador FROM ta_usuarios WHERE trim(nombre) = 'Tamaris'"), "1");
    EXPECT_EQ(b.Texto("SELECT Administrador FROM ta_usuarios WHERE nombre = 'OPERADOR'"), "0");
    EXPECT_EQ(b.Texto("SELECT Descripcion FROM TA_TIPODOCUMENTO WHERE Codigo = '80'"), "CUIT");
    EXPECT_EQ(b.Texto("SELECT Descripcion FROM TA_TIPODOCUMENTO WHERE Codigo = '86'"), "CUIL");
    EXPECT_EQ(b.Texto("SELECT Descripcion FROM TA_TIPODOCUMENTO WHERE Codigo = '96'"), "DNI");
    EXPECT_EQ(b.Texto("SELECT Descripcion FROM TA_TIPODOCUMENTO WHERE Codigo = '1'"), "C.U.I.T.");
    EXPECT_NE(b.Texto("SELECT Descripcion FROM TA_TIPODOCUMENTO WHERE Codigo = '99'"), "");

    // The account lookup, and its restricted twin without the confidential accounts.
    const auto cuentas = b.Filas("SELECT Descripcion,Codigo FROM MA_CUENTAS order by codigo");
    ASSERT_GE(cuentas.size(), 10u);
    EXPECT_LT(b.Filas("SELECT Descripcion,Codigo FROM SS_MA_CUENTAS order by codigo").size(),
              cuentas.size());

    // Families: every code hangs from the longest shorter code that sorts before it, which is
    // its prefix; the first level has no parent.
    const auto familias = b.Filas(
        "SELECT IdFamilia, Descripcion, (SELECT idfamilia FROM v_ta_familias a "
        "WHERE a.IdFamilia < b.IdFamilia AND length(trim(a.IdFamilia)) < length(trim(b.IdFamilia)) "
        "ORDER BY idfamilia DESC LIMIT 1) AS relative FROM V_TA_FAMILIAS b ORDER BY IdFamilia");
    ASSERT_GE(familias.size(), 10u);
    long nivel3 = 0;
    for (const auto& f : familias) {
        if (f[0].size() == 2) {
            EXPECT_EQ(f[2], "NULL") << f[0];
        } else {
            EXPECT_EQ(f[0].rfind(f[2], 0), 0u) << f[0] << " cuelga de " << f[2];
            EXPECT_EQ(f[2].size() + 2, f[0].size()) << f[0];
        }
        if (f[0].size() == 6) ++nivel3;
    }
    EXPECT_GT(nivel3, 0);
    EXPECT_LT(b.Entero("SELECT count(*) FROM SS_V_TA_FAMILIAS"),
              static_cast<long>(familias.size()));
}

TEST_F(DemoCompartida, AceptaLasFilasQueEscribeElPrograma) {
    Carpeta c;
    const std::string copia = c / "copia.db";
    fs::copy_file(*archivo_, copia);
    Base b(copia, false);
    b.Ejecuta(
        "INSERT INTO Control_Acceso (Maquina,Usuario,Formulario,Tarea,Ingreso,NombreUsuario) "
        "VALUES ('PC-VENTAS','TAMARIS','PERCEPCIONES-CLI','','08/12/13 17:05','Tamaris')");
    b.Ejecuta(
        "INSERT INTO AUX_ERR (Proceso,Fecha,Error,Descripcion,SQL,PC,Usuario) "
        "VALUES ('percepciones','08/12/13 17:05',-2147217900,'Sintaxis incorrecta','SELECT 1',"
        "'PC-VENTAS','Tamaris')");
    b.Ejecuta(
        "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) "
        "values('08/12/13 17:05','A001','Queso Cremoso','Tamaris')");
    b.Ejecuta("INSERT INTO V_TA_Cajas (IDCAJAS,DESCRIPCION) VALUES('7','CAJA 7')");
    b.Ejecuta(
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, Grupo, PoliticaNegocio) "
        "VALUES ('TIEMPOESPERA', '0', 'BaseDeDatos', 0)");
    EXPECT_EQ(b.Entero("SELECT count(*) FROM Control_Acceso"), 1);
    EXPECT_EQ(b.Entero("SELECT count(*) FROM AUX_ERR"), 1);
    EXPECT_EQ(b.Entero("SELECT count(*) FROM V_MV_FALTANTES"), 1);
    EXPECT_EQ(b.Texto("SELECT Descripcion FROM SS_V_TA_CAJAS WHERE IdCajas = '7'"), "CAJA 7");
    // Keys are unique whatever their case.
    EXPECT_THROW(
        b.Ejecuta("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('cantidaddecimales', '4')"),
        std::runtime_error);
}

// ---------------------------------------------------------------------------------------------

TEST(Demo, LaMismaSemillaDaLaMismaBase) {
    Carpeta c;
    OpcionesDemo op;
    op.filas = kFilas;
    const ResumenDemo r1 = CreaDemo(c / "uno.db", op);
    const ResumenDemo r2 = CreaDemo(c / "dos.db", op);
    EXPECT_EQ(r1.asientos, r2.asientos);
    EXPECT_EQ(r1.exportables, r2.exportables);
    const std::string v1 = Base(c / "uno.db").Volcado();
    EXPECT_EQ(v1, Base(c / "dos.db").Volcado());

    op.semilla += 1;
    CreaDemo(c / "tres.db", op);
    EXPECT_NE(v1, Base(c / "tres.db").Volcado());
}

TEST(Demo, ReemplazaUnArchivoExistente) {
    Carpeta c;
    const std::string archivo = c / "demo.db";
    {
        std::ofstream f(archivo, std::ios::binary);
        f << "no es una base de datos";
    }
    OpcionesDemo op;
    op.filas = 300;
    const ResumenDemo r = CreaDemo(archivo, op);
    {
        // Closed before the next run: Windows replaces no file another program holds open.
        Base b(archivo);
        EXPECT_EQ(b.Texto("PRAGMA integrity_check"), "ok");
        EXPECT_EQ(b.Entero("SELECT count(*) FROM MV_ASIENTOS"), 300);
    }
    EXPECT_EQ(r.libroIva, 30);
    EXPECT_EQ(c.Contenido(), std::vector<std::string>{"demo.db"});  // no temporary file left

    // A second run over a good database replaces it too.
    op.filas = 100;
    CreaDemo(archivo, op);
    EXPECT_EQ(Base(archivo).Entero("SELECT count(*) FROM MV_ASIENTOS"), 100);
    EXPECT_EQ(c.Contenido(), std::vector<std::string>{"demo.db"});
}

TEST(Demo, UnaCarpetaInexistenteNoDejaArchivoYAvisa) {
    Carpeta c;
    const std::string archivo = c / "no_existe/demo.db";
    OpcionesDemo op;
    op.filas = 100;
    try {
        CreaDemo(archivo, op);
        FAIL() << "no falló";
    } catch (const tamaris::ErrorTamaris& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("No se puede crear la base de datos " + archivo + ": ", 0),
            0u)
            << e.what();
    }
    EXPECT_FALSE(fs::exists(c / "no_existe"));
    EXPECT_TRUE(c.Contenido().empty());
}

TEST(Demo, UnaCarpetaConElMismoNombreNoSeToca) {
    Carpeta c;
    const std::string archivo = c / "demo.db";
    fs::create_directory(archivo);
    OpcionesDemo op;
    op.filas = 100;
    EXPECT_THROW(CreaDemo(archivo, op), tamaris::ErrorTamaris);
    EXPECT_TRUE(fs::is_directory(archivo));
    EXPECT_EQ(c.Contenido(), std::vector<std::string>{"demo.db"});
}

TEST(Demo, UnaCreacionInterrumpidaConservaLaBaseAnterior) {
    Carpeta c;
    const std::string archivo = c / "demo.db";
    OpcionesDemo op;
    op.filas = 100;
    CreaDemo(archivo, op);
    const std::string antes = LeeArchivo(archivo);

    struct Interrupcion {};
    op.filas = 25000;
    EXPECT_THROW(CreaDemo(archivo, op, [](long, long) { throw Interrupcion{}; }), Interrupcion);
    EXPECT_EQ(LeeArchivo(archivo), antes);
    EXPECT_EQ(c.Contenido(), std::vector<std::string>{"demo.db"});
}

TEST(Demo, InformaElAvanceCadaDiezMilAsientos) {
    Carpeta c;
    OpcionesDemo op;
    op.filas = 25000;
    std::vector<std::pair<long, long>> llamadas;
    const ResumenDemo r = CreaDemo(
        c / "demo.db", op, [&](long hechos, long total) { llamadas.emplace_back(hechos, total); });
    const std::vector<std::pair<long, long>> esperadas = {
        {10000, 25000}, {20000, 25000}, {25000, 25000}};
    EXPECT_EQ(llamadas, esperadas);
    EXPECT_EQ(r.asientos, 25000);
    EXPECT_EQ(r.libroIva, 2500);
    const double parte = static_cast<double>(r.exportables) / 25000.0;
    EXPECT_GE(parte, 0.65);
    EXPECT_LE(parte, 0.71);
}

TEST(Demo, SinFilasCreaSoloLasTablas) {
    Carpeta c;
    OpcionesDemo op;
    op.filas = 0;
    const ResumenDemo r = CreaDemo(c / "vacia.db", op);
    EXPECT_EQ(r.asientos, 0);
    EXPECT_EQ(r.exportables, 0);
    EXPECT_EQ(r.libroIva, 0);
    Base b(c / "vacia.db");
    EXPECT_EQ(b.Entero("SELECT count(*) FROM MV_ASIENTOS"), 0);
    EXPECT_GT(b.Entero("SELECT count(*) FROM MA_CUENTAS"), 0);
}

}  // namespace
