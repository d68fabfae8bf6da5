// SQL Server to Oracle translation: each step on its own, then whole statements.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PuertosPrueba.h"
#include "data/DB_Dll.h"

namespace tamaris {
namespace {

constexpr const char* kCadenaOracle =
    "Provider=OraOLEDB.Oracle.1;Data Source=TAMARIS;User Id=ventas;Password=clave;";
constexpr const char* kCadenaSqlServer =
    "PROVIDER=SQLOLEDB;Server=SRV01;Database =TAMARIS;UId=ventas;Pwd=clave;";

struct Caso {
    std::string entrada;
    std::string esperado;
};

class DiccionarioOracle : public ::testing::Test {
protected:
    void SetUp() override { db.gConnString = kCadenaOracle; }
    void Verifica(const std::vector<Caso>& casos) {
        for (const Caso& c : casos) {
            SCOPED_TRACE(c.entrada);
            EXPECT_EQ(db.ORACLE_Dicc(c.entrada), c.esperado);
        }
    }
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

TEST_F(DiccionarioOracle, UnaSolaPalabra) {
    Verifica({
        {"LEN", "LENGTH"},
        {"len", "LENGTH"},
        {"CODIGO", "CODIGO"},
        {"", ""},
    });
}

TEST_F(DiccionarioOracle, TopARownum) {
    Verifica({
        // WHERE and ORDER BY: the condition goes between them
        {"SELECT TOP 5 CODIGO FROM MA_CUENTAS WHERE NIVEL = 1 ORDER BY CODIGO",
         "SELECT  CODIGO FROM MA_CUENTAS WHERE NIVEL = 1    AND ROWNUM <= 5  ORDER BY CODIGO"},
        // no WHERE: the condition brings its own
        {"SELECT TOP 1 * FROM Control_Acceso",
         "SELECT  * FROM Control_Acceso  WHERE ROWNUM <= 1  "},
        {"select top 10 * from t", "select  * from t  WHERE ROWNUM <= 10  "},
        // GROUP BY takes the rest of the text with it, ORDER BY included
        {"SELECT TOP 3 CUENTA, SUM(IMPORTE) FROM MV_ASIENTOS WHERE TC = 'FC' GROUP BY CUENTA "
         "ORDER BY CUENTA",
         "SELECT  CUENTA, SUM(IMPORTE) FROM MV_ASIENTOS WHERE TC = 'FC'    AND ROWNUM <= 3  "
         "GROUP BY CUENTA ORDER BY CUENTA "},
    });
}

TEST_F(DiccionarioOracle, FuncionLen) {
    Verifica({
        {"SELECT LEN(NOMBRE), LEN  (DOMICILIO) FROM T",
         "SELECT LENGTH(NOMBRE), LENGTH(DOMICILIO) FROM T"},
        {"SELECT A FROM T WHERE LEN (A) > 1 AND LEN    (B) > 2",
         "SELECT A FROM T WHERE LENGTH(A) > 1 AND LENGTH(B) > 2"},
        // only after a blank
        {"SELECT A,LEN(B) FROM T", "SELECT A,LEN(B) FROM T"},
    });
}

TEST_F(DiccionarioOracle, CorchetesAComillasDobles) {
    Verifica({
        {"SELECT [RAZON SOCIAL] FROM [MA CLIENTES]",
         "SELECT \"RAZON SOCIAL\" FROM \"MA CLIENTES\""},
    });
}

TEST_F(DiccionarioOracle, FechasEntreComillas) {
    Verifica({
        {"SELECT * FROM T WHERE FECHA >= '01/02/2013' AND X = 'HOLA'",
         "SELECT * FROM T WHERE FECHA >= TO_DATE('01/02/2013','DD/MM/YYYY') AND X = 'HOLA'"},
        {"SELECT * FROM T WHERE FECHA = '1/2/2013'",
         "SELECT * FROM T WHERE FECHA = TO_DATE('01/02/2013','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE FECHA = '1/2/2013 10:30'",
         "SELECT * FROM T WHERE FECHA = TO_DATE('01/02/2013','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE FECHA = '2013-02-01'",
         "SELECT * FROM T WHERE FECHA = TO_DATE('01/02/2013','DD/MM/YYYY')"},
        // not dates
        {"SELECT * FROM T WHERE FECHA = '31/02/2013' AND A = ' 1' AND B = '1.5'",
         "SELECT * FROM T WHERE FECHA = '31/02/2013' AND A = ' 1' AND B = '1.5'"},
        {"SELECT * FROM T WHERE TC IN ('fc', 'nc') AND A = 'O''BRIEN'",
         "SELECT * FROM T WHERE TC IN ('fc', 'nc') AND A = 'O''BRIEN'"},
        // an existing TO_DATE is not wrapped twice
        {"SELECT * FROM T WHERE FECHA = TO_DATE('01/02/2013','DD/MM/YYYY')",
         "SELECT * FROM T WHERE FECHA = TO_DATE('01/02/2013','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F BETWEEN '01/01/2013' AND '31/01/2013'",
         "SELECT * FROM T WHERE F BETWEEN TO_DATE('01/01/2013','DD/MM/YYYY') AND "
         "TO_DATE('31/01/2013','DD/MM/YYYY')"},
    });
}

TEST_F(DiccionarioOracle, CharindexYConvert) {
    Verifica({
        {"SELECT Charindex('-', CUIT) FROM T", "SELECT InStr('-', CUIT) FROM T"},
        {"SELECT CHARINDEX('-', CUIT) FROM T", "SELECT InStr('-', CUIT) FROM T"},
        {"SELECT CONVERT(INT, CODIGO) FROM T", "SELECT TO_NUMBER( CODIGO) FROM T"},
        {"SELECT CONVERT(NVARCHAR, NUMERO) FROM T", "SELECT TO_CHAR( NUMERO) FROM T"},
        {"SELECT CONVERT(nvarchar, FECHA, 103) AS F FROM T",
         "SELECT TO_CHAR( FECHA, 'DD/MM/YYYY') AS F FROM T"},
    });
}

TEST_F(DiccionarioOracle, EstiloFecha103SoloDentroDeToChar) {
    Verifica({
        {"SELECT CODIGO FROM T WHERE CODIGO = 103", "SELECT CODIGO FROM T WHERE CODIGO = 103"},
        {"SELECT CODIGO FROM T WHERE CODIGO IN (103)",
         "SELECT CODIGO FROM T WHERE CODIGO IN (103)"},
        {"SELECT TO_CHAR(FECHA, 103), TO_CHAR(ALTA, 103) FROM T",
         "SELECT TO_CHAR(FECHA, 'DD/MM/YYYY'), TO_CHAR(ALTA, 'DD/MM/YYYY') FROM T"},
    });
}

TEST_F(DiccionarioOracle, TextoVacioEsNuloDespuesDeWhere) {
    Verifica({
        {"SELECT * FROM T WHERE NOMBRE = '' AND X=''",
         "SELECT * FROM T WHERE NOMBRE  IS NULL  AND X IS NULL "},
        {"UPDATE T SET A='' WHERE B=''", "UPDATE T SET A='' WHERE B IS NULL "},
        {"UPDATE T SET A = ''", "UPDATE T SET A = ''"},
    });
}

TEST_F(DiccionarioOracle, SubstringEIsnull) {
    Verifica({
        {"SELECT SUBSTRING(A,1,2), ISNULL(B,0) FROM T", "SELECT SUBSTR(A,1,2), NVL(B,0) FROM T"},
        {"SELECT substring(A,1,2), isnull(B,0) FROM T", "SELECT SUBSTR(A,1,2), NVL(B,0) FROM T"},
    });
}

TEST_F(DiccionarioOracle, SentenciaDePercepciones) {
    const std::string sentencia =
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1,  "
        "FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' END AS "
        "C3, LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS C8,  "
        "LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
        "(LIVA_Ret_IBtos <> 0)  AND  (FECHA >='01/01/2013' AND FECHA<='31/01/2013') AND "
        "(CUENTA='112')";
    const std::string esperado =
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1,  "
        "FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' END AS "
        "C3, LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS C8,  "
        "LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
        "(LIVA_Ret_IBtos <> 0)  AND  (FECHA >=TO_DATE('01/01/2013','DD/MM/YYYY') AND "
        "FECHA<=TO_DATE('31/01/2013','DD/MM/YYYY')) AND (CUENTA='112')";
    EXPECT_EQ(db.ORACLE_Dicc(sentencia), esperado);
}

TEST_F(DiccionarioOracle, FueraDeOracleNoCambiaNada) {
    const std::vector<std::string> sentencias{
        "SELECT TOP 5 * FROM T WHERE F = '01/02/2013' ORDER BY A",
        "LEN",
        "SELECT [A B], ISNULL(C,0), CONVERT(NVARCHAR, F, 103) FROM T WHERE X = ''",
    };
    for (const char* cadena : {kCadenaSqlServer, "", "Provider=Microsoft.Jet.OLEDB.4.0;"}) {
        db.gConnString = cadena;
        for (const std::string& s : sentencias) {
            SCOPED_TRACE(std::string(cadena) + " | " + s);
            EXPECT_EQ(db.ORACLE_Dicc(s), s);
        }
    }
}

}  // namespace
}  // namespace tamaris
