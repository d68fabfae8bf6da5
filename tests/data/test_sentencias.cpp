// Global module statement builders: TraduceTop, AgregaValor and ArmaSentencia.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PuertosPrueba.h"
#include "data/DB_Dll.h"
#include "data/Sentencias.h"

namespace tamaris {
namespace {

class Sentencias : public ::testing::Test {
protected:
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

TEST_F(Sentencias, TraduceTopEnOracle) {
    db.gConnString = "Provider=OraOLEDB.Oracle.1;Data Source=TAMARIS;User Id=u;Password=p;";
    const struct {
        std::string entrada, esperado;
    } casos[] = {
        {"Select TOP 1 * from Control_Acceso  with(nolock) ",
         "Select  *  from Control_Acceso  with(nolock)  WHERE ROWNUM <=  1 "},
        {"select top 5 * from T", "select  *  from T WHERE ROWNUM <=  5 "},
        {"LEN", "LENGTH"},
        {"len", "LENGTH"},
        {"CODIGO", "CODIGO"},
        {"SELECT * FROM T", "SELECT * FROM T"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.entrada);
        EXPECT_EQ(TraduceTop(db, c.entrada), c.esperado);
    }
}

TEST_F(Sentencias, TraduceTopFueraDeOracle) {
    for (const char* cadena : {"", "PROVIDER=SQLOLEDB;Server=S;Database =D;UId=u;Pwd=p;"}) {
        db.gConnString = cadena;
        for (const char* s : {"Select TOP 1 * from Control_Acceso  with(nolock) ", "LEN"}) {
            SCOPED_TRACE(s);
            EXPECT_EQ(TraduceTop(db, s), s);
        }
    }
}

TEST_F(Sentencias, AgregaValorEscribeCadaValor) {
    std::vector<ColumnaValor> lista;
    const struct {
        std::string columna, valor, marcador, valorQueda, sql;
    } casos[] = {
        {"Maquina", "PC01", "'", "PC01", "'PC01'"},
        {"Usuario", "O'BRIEN", "'", "OBRIEN", "'OBRIEN'"},
        {"Tarea", "null", "'", "null", "Null"},
        {"Cantidad", "NULL", "@", "NULL", "Null"},
        {"Importe", "12,5", "@", "12,5", "12.5"},
        {"Vacio", "", "@", "", "0"},
        {"Ingreso", "01/02/13 10:00", "'", "01/02/13 10:00", "'01/02/13 10:00'"},
        {"Crudo", "GETDATE()", "", "GETDATE()", "GETDATE()"},
    };
    bool nuevo = true;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.columna);
        std::string valor = c.valor;
        AgregaValor(lista, db, c.columna, valor, c.marcador, nuevo);
        nuevo = false;
        EXPECT_EQ(valor, c.valorQueda);
        EXPECT_EQ(lista.back(), (ColumnaValor{c.columna, c.sql}));
    }
    EXPECT_EQ(lista.size(), std::size(casos));

    std::string valor = "X";
    AgregaValor(lista, db, "Otra", valor, "'", true);
    EXPECT_EQ(lista, (std::vector<ColumnaValor>{{"Otra", "'X'"}}));
}

TEST_F(Sentencias, ArmaSentenciaInsert) {
    std::vector<ColumnaValor> lista;
    std::vector<std::string> sentencias;
    std::string maquina = "PC01", usuario = "O'BRIEN", tarea = "NULL", importe = "1234,56";
    AgregaValor(lista, db, "Maquina", maquina, "'", true);
    AgregaValor(lista, db, "Usuario", usuario, "'", false);
    AgregaValor(lista, db, "Tarea", tarea, "'", false);
    AgregaValor(lista, db, "Importe", importe, "@", false);
    std::string condicion;
    ArmaSentencia(lista, sentencias, "Control_Acceso", false, condicion, false);

    EXPECT_EQ(sentencias, (std::vector<std::string>{
                              "INSERT INTO Control_Acceso (Maquina,Usuario,Tarea,Importe) VALUES "
                              "('PC01','OBRIEN',Null,1234.56)",
                              ""}));
    EXPECT_EQ(condicion, "");
    EXPECT_EQ(lista, (std::vector<ColumnaValor>{ColumnaValor{}}));
}

TEST_F(Sentencias, ArmaSentenciaUpdate) {
    std::vector<ColumnaValor> lista;
    std::vector<std::string> sentencias;
    std::string valor = "SI", aux = "null";
    AgregaValor(lista, db, "VALOR", valor, "'", true);
    AgregaValor(lista, db, "ValorAux", aux, "'", false);

    std::string condicion = "CLAVE = 'SS_CONFIDENCIALIDAD'";
    ArmaSentencia(lista, sentencias, "TA_CONFIGURACION", true, condicion, true);
    EXPECT_EQ(condicion, " WHERE CLAVE = 'SS_CONFIDENCIALIDAD'");

    std::string conWhere = "where CLAVE = 'THEME'";
    ArmaSentencia(lista, sentencias, "TA_CONFIGURACION", true, conWhere, false);
    EXPECT_EQ(conWhere, "where CLAVE = 'THEME'");

    EXPECT_EQ(
        sentencias,
        (std::vector<std::string>{
            "UPDATE TA_CONFIGURACION SET VALOR = 'SI',ValorAux = Null  WHERE CLAVE = "
            "'SS_CONFIDENCIALIDAD'",
            "", "UPDATE TA_CONFIGURACION SET VALOR = 'SI',ValorAux = Null where CLAVE = 'THEME'",
            ""}));
    EXPECT_EQ(lista, (std::vector<ColumnaValor>{ColumnaValor{}}));
}

TEST_F(Sentencias, ArmaSentenciaUsaElSeparadorDelPuesto) {
    db.regional = Regional::PuntoDecimal();
    std::vector<ColumnaValor> lista;
    std::vector<std::string> sentencias;
    std::string importe = "1234.5", texto = "1.5";
    AgregaValor(lista, db, "IMPORTE", importe, "@", true);
    AgregaValor(lista, db, "TEXTO", texto, "'", false);
    std::string condicion;
    ArmaSentencia(lista, sentencias, "T", false, condicion, true);
    EXPECT_EQ(sentencias.front(), "INSERT INTO T (IMPORTE,TEXTO) VALUES (1234.5,'1.5')");
    EXPECT_EQ(lista.size(), 2u);
}

}  // namespace
}  // namespace tamaris
