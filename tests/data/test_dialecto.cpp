// Values as SQL literals, ADO type groups and name operations of the data-access object.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PuertosPrueba.h"
#include "data/DB_Dll.h"

namespace tamaris {
namespace {

class Dialecto : public ::testing::Test {
protected:
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

struct CasoValor {
    Regional regional;
    Variant valor;
    std::string marcador;
    std::string esperado;
};

TEST_F(Dialecto, SQLValue) {
    const Regional coma = Regional::Suite();
    const Regional punto = Regional::PuntoDecimal();
    const std::vector<CasoValor> casos{
        // null with each marker
        {coma, Variant::Null(), "'", "NULL"},
        {coma, Variant::Null(), "@", "0"},
        {coma, Variant::Null(), "", "NULL"},
        {coma, Variant::Null(), "#", "NULL"},
        // text
        {coma, Variant("HOLA"), "'", "'HOLA'"},
        {coma, Variant(""), "'", "''"},
        {coma, Variant("O'BRIEN"), "'", "'O''BRIEN'"},
        {coma, Variant("x' OR '1'='1"), "'", "'x'' OR ''1''=''1'"},
        {coma, Variant("HOLA"), "", "HOLA"},
        // numbers always leave with a decimal point
        {coma, Variant("1234,5"), "@", "1234.5"},
        {coma, Variant(1234.5), "@", "1234.5"},
        {coma, Variant("-3,25"), "@", "-3.25"},
        {coma, Variant(2), "@", "2"},
        {coma, Variant(""), "@", "0"},
        {coma, Variant("1,23456"), "@", "1.2346"},
        {punto, Variant("1234.5"), "@", "1234.5"},
        {punto, Variant(0.1), "@", "0.1"},
        {punto, Variant("-7"), "@", "-7"},
        // other markers write the value as the workstation does
        {coma, Variant(1.5), "'", "'1,5'"},
        {punto, Variant(1.5), "'", "'1.5'"},
        {coma, Variant(10), "", "10"},
        {coma, Variant(Fecha{2013, 1, 31}), "'", "'31/01/2013'"},
    };
    for (const CasoValor& c : casos) {
        SCOPED_TRACE(c.valor.Texto(c.regional) + " " + c.marcador);
        db.regional = c.regional;
        EXPECT_EQ(db.SQLValue(c.valor, c.marcador), c.esperado);
    }
}

TEST_F(Dialecto, SQLValueDeUnTextoQueNoEsNumero) {
    EXPECT_THROW(db.SQLValue(Variant("ABC"), "@"), ErrorTamaris);
}

struct CasoTipo {
    int codigo;
    bool fecha, texto, numero, moneda, booleano;
};

TEST(TiposAdo, GruposYComilla) {
    const std::vector<CasoTipo> casos{
        {7, true, false, false, false, false},   {133, true, false, false, false, false},
        {134, true, false, false, false, false}, {135, true, false, false, false, false},
        {137, true, false, false, false, false}, {64, true, false, false, false, false},
        {8, false, true, false, false, false},   {129, false, true, false, false, false},
        {130, false, true, false, false, false}, {200, false, true, false, false, false},
        {201, false, true, false, false, false}, {202, false, true, false, false, false},
        {203, false, true, false, false, false}, {2, false, false, true, false, false},
        {3, false, false, true, false, false},   {4, false, false, true, false, false},
        {5, false, false, true, false, false},   {14, false, false, true, false, false},
        {16, false, false, true, false, false},  {17, false, false, true, false, false},
        {18, false, false, true, false, false},  {19, false, false, true, false, false},
        {20, false, false, true, false, false},  {21, false, false, true, false, false},
        {131, false, false, true, false, false}, {6, false, false, false, true, false},
        {11, false, false, false, false, true},  {0, false, false, false, false, false},
        {72, false, false, false, false, false}, {205, false, false, false, false, false},
        {1, false, false, false, false, false},
    };
    for (const CasoTipo& c : casos) {
        // the code may come as a number or as its text
        for (const Variant& v : {Variant(c.codigo), Variant(std::to_string(c.codigo)),
                                 Variant(static_cast<double>(c.codigo))}) {
            SCOPED_TRACE(v.Texto());
            EXPECT_EQ(DB_Dll::adodate(v), c.fecha);
            EXPECT_EQ(DB_Dll::ADOText(v), c.texto);
            EXPECT_EQ(DB_Dll::ADONumeric(v), c.numero);
            EXPECT_EQ(DB_Dll::ADOCurrency(v), c.moneda);
            EXPECT_EQ(DB_Dll::ADOBoolean(v), c.booleano);
            EXPECT_EQ(DB_Dll::ADOComilla(v), c.fecha || c.texto ? "'" : "");
        }
    }
    EXPECT_FALSE(DB_Dll::ADOText(Variant("TEXTO")));
    EXPECT_FALSE(DB_Dll::adodate(Variant()));
}

TEST(NombresBD, StSTF) {
    const struct {
        std::string nombre;
        bool parte;
        std::string esperado, nombreQueda;
    } casos[] = {
        {"dbo.MA_CUENTAS", true, "MA_CUENTAS", "dbo.MA_CUENTAS"},
        {"dbo.MA_CUENTAS", false, "dbo", "dbo.MA_CUENTAS"},
        {"TAMARIS.dbo.MA_CUENTAS", true, "dbo.MA_CUENTAS", "dbo.MA_CUENTAS"},
        {"TAMARIS.dbo.MA_CUENTAS", false, "dbo.MA_CUENTAS", "dbo.MA_CUENTAS"},
        {"MA_CUENTAS", true, "MA_CUENTAS", "MA_CUENTAS"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        std::string nombre = c.nombre;
        EXPECT_EQ(DB_Dll::stSTF(nombre, c.parte), c.esperado);
        EXPECT_EQ(nombre, c.nombreQueda);
    }
    std::string sinPunto = "MA_CUENTAS";
    EXPECT_THROW(DB_Dll::stSTF(sinPunto, false), ErrorTamaris);
}

TEST(NombresBD, Corchetes) {
    const struct {
        std::string nombre, conCorchetes, sinCorchetes;
    } casos[] = {
        {"MA CUENTAS", "[MA CUENTAS]", "MA CUENTAS"},
        {"MA_CUENTAS", "MA_CUENTAS", "MA_CUENTAS"},
        {"[MA CUENTAS]", "[MA CUENTAS]", "MA CUENTAS"},
        {"[MA_CUENTAS]", "[MA_CUENTAS]", "MA_CUENTAS"},
        {"", "", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(DB_Dll::AddBrackets(c.nombre), c.conCorchetes);
        EXPECT_EQ(DB_Dll::StripBrackets(c.nombre), c.sinCorchetes);
    }
}

TEST(NombresBD, StripOwner) {
    const struct {
        std::string nombre, esperado;
    } casos[] = {
        {"dbo.MA_CUENTAS", "MA_CUENTAS"},
        {"MA_CUENTAS", "MA_CUENTAS"},
        {"TAMARIS.dbo.MA_CUENTAS", "dbo.MA_CUENTAS"},
    };
    for (const auto& c : casos) {
        std::string nombre = c.nombre;
        EXPECT_EQ(DB_Dll::StripOwner(nombre), c.esperado);
        EXPECT_EQ(nombre, c.esperado);
    }
}

TEST(NombresBD, StripFileName) {
    const struct {
        std::string ruta, esperado;
    } casos[] = {
        {"C:\\TAMARIS\\DATOS\\base.mdb", "C:\\TAMARIS\\DATOS"},
        {"C:\\base.mdb", "C:"},
        {"/home/tamaris/datos/base.db", "/home/tamaris/datos"},
        {"C:\\TAMARIS/DATOS\\base.mdb", "C:\\TAMARIS/DATOS"},
        {"datos/", "datos"},
        {"base.mdb", ""},
        {"", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.ruta);
        EXPECT_EQ(DB_Dll::StripFileName(c.ruta), c.esperado);
    }
}

TEST(NombresBD, StripConnect) {
    const struct {
        std::string nombre, esperado;
    } casos[] = {
        {"MA_CLIENTES ->SERVIDOR01", "MA_CLIENTES"},
        {"MA_CLIENTES", "MA_CLIENTES"},
        {"AB->C", "A"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(DB_Dll::StripConnect(c.nombre), c.esperado);
    }
}

}  // namespace
}  // namespace tamaris
