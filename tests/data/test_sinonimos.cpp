// Restricted-view synonyms: which users read the "SS_" twins and which patterns are rewritten.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PuertosPrueba.h"
#include "data/DB_Dll.h"

namespace tamaris {
namespace {

struct CasoSinonimo {
    bool admin;
    bool confidencialidad;
    std::string entrada;
    std::string esperado;
};

class SinonimosTabla : public ::testing::Test {
protected:
    void Verifica(const std::vector<CasoSinonimo>& casos) {
        for (const CasoSinonimo& c : casos) {
            SCOPED_TRACE(c.entrada);
            db.gEsAdmin = c.admin;
            db.Confidencialidad = c.confidencialidad;
            EXPECT_EQ(db.SS_TSinonimos(c.entrada), c.esperado);
        }
    }
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

TEST_F(SinonimosTabla, UsuarioComunLeeLasVistasRestringidas) {
    const std::vector<CasoSinonimo> casos{
        // the six patterns of MA_CUENTAS
        {false, false, "SELECT * FROM MA_CUENTAS WHERE NIVEL = 1",
         "SELECT * FROM SS_MA_CUENTAS WHERE NIVEL = 1"},
        {false, false, "SELECT * FROM (MA_CUENTAS INNER JOIN X ON X.A = 1)",
         "SELECT * FROM (SS_MA_CUENTAS INNER JOIN X ON X.A = 1)"},
        {false, false, "SELECT MA_CUENTAS.CODIGO FROM X", "SELECT SS_MA_CUENTAS.CODIGO FROM X"},
        {false, false, "SELECT COUNT(MA_CUENTAS.CODIGO) FROM X",
         "SELECT COUNT(SS_MA_CUENTAS.CODIGO) FROM X"},
        {false, false, "SELECT A,MA_CUENTAS.CODIGO FROM X", "SELECT A,SS_MA_CUENTAS.CODIGO FROM X"},
        {false, false, "SELECT {MA_CUENTAS.CODIGO} FROM X", "SELECT {SS_MA_CUENTAS.CODIGO} FROM X"},
        // the first five patterns of the other rows
        {false, false, "SELECT * FROM V_TA_DEPOSITO WHERE A = 1",
         "SELECT * FROM SS_V_TA_DEPOSITO WHERE A = 1"},
        {false, false, "SELECT * FROM (V_TA_DEPOSITO INNER JOIN Y ON 1=1)",
         "SELECT * FROM (SS_V_TA_DEPOSITO INNER JOIN Y ON 1=1)"},
        {false, false, "SELECT V_TA_FAMILIAS.NOMBRE FROM Z",
         "SELECT SS_V_TA_FAMILIAS.NOMBRE FROM Z"},
        {false, false, "SELECT MAX(V_TA_CAJAS.NUMERO) FROM Z",
         "SELECT MAX(SS_V_TA_CAJAS.NUMERO) FROM Z"},
        {false, false, "SELECT A,AC_CUENTASDIARIO.CUENTA FROM Z",
         "SELECT A,SS_AC_CUENTASDIARIO.CUENTA FROM Z"},
        {false, false, "SELECT * FROM AC_CUENTASDIARIO_CCOSTO WHERE A = 1",
         "SELECT * FROM SS_AC_CUENTAS_DIARIO_CCOSTO WHERE A = 1"},
        // the brace pattern belongs to MA_CUENTAS alone
        {false, false, "SELECT {V_TA_CAJAS.NUMERO} FROM Z", "SELECT {V_TA_CAJAS.NUMERO} FROM Z"},
        // names in lower case are found; the twin is written as in the table
        {false, false, "select * from ma_cuentas where nivel = 1",
         "select * from SS_MA_CUENTAS where nivel = 1"},
    };
    Verifica(casos);
}

TEST_F(SinonimosTabla, BordesDelTextoYSignosNoSeReescriben) {
    const std::vector<CasoSinonimo> casos{
        {false, false, "MA_CUENTAS WHERE A = 1", "MA_CUENTAS WHERE A = 1"},
        {false, false, "SELECT * FROM MA_CUENTAS", "SELECT * FROM MA_CUENTAS"},
        {false, false, "SELECT * FROM MA_CUENTAS, X", "SELECT * FROM MA_CUENTAS, X"},
        {false, false, "SELECT * FROM (SELECT * FROM MA_CUENTAS) Q",
         "SELECT * FROM (SELECT * FROM MA_CUENTAS) Q"},
        {false, false, "SELECT * FROM V_TA_CAJAS", "SELECT * FROM V_TA_CAJAS"},
        {false, false, "SELECT * FROM SS_MA_CUENTAS WHERE A = 1",
         "SELECT * FROM SS_MA_CUENTAS WHERE A = 1"},
    };
    Verifica(casos);
}

TEST_F(SinonimosTabla, MarcaDeAdministradorEligeLaTablaReal) {
    const std::vector<CasoSinonimo> casos{
        {false, false, "SELECT * FROM @Admin_MA_CUENTAS WHERE A = 1",
         "SELECT * FROM MA_CUENTAS WHERE A = 1"},
        {false, false, "SELECT * FROM @admin_ma_cuentas WHERE A = 1",
         "SELECT * FROM MA_CUENTAS WHERE A = 1"},
        {false, false, "SELECT @ADMIN_MA_CUENTAS.CODIGO FROM @Admin_MA_CUENTAS WHERE A = 1",
         "SELECT MA_CUENTAS.CODIGO FROM MA_CUENTAS WHERE A = 1"},
        {false, false, "SELECT * FROM @Admin_V_TA_CAJAS WHERE A = 1",
         "SELECT * FROM V_TA_CAJAS WHERE A = 1"},
        {false, false, "SELECT * FROM @Admin_MA_CUENTAS INNER JOIN V_TA_CAJAS ON 1=1",
         "SELECT * FROM MA_CUENTAS INNER JOIN SS_V_TA_CAJAS ON 1=1"},
        {false, false, "DELETE FROM @admin_AUX_ERR", "DELETE FROM AUX_ERR"},
    };
    Verifica(casos);
}

TEST_F(SinonimosTabla, AdministradorSoloPierdeLasMarcas) {
    const std::vector<CasoSinonimo> casos{
        {true, false, "SELECT * FROM MA_CUENTAS WHERE A = 1",
         "SELECT * FROM MA_CUENTAS WHERE A = 1"},
        {true, true, "SELECT * FROM MV_ASIENTOS INNER JOIN @Admin_MA_CUENTAS ON 1=1",
         "SELECT * FROM MV_ASIENTOS INNER JOIN MA_CUENTAS ON 1=1"},
        {true, false, "SELECT * FROM @ADMIN_V_TA_CAJAS WHERE A = 1",
         "SELECT * FROM V_TA_CAJAS WHERE A = 1"},
    };
    Verifica(casos);
}

TEST_F(SinonimosTabla, AsientosSeRestringenSoloConConfidencialidad) {
    const std::string asientos =
        "SELECT * FROM MV_ASIENTOS INNER JOIN MA_CUENTAS ON MV_ASIENTOS.CUENTA = "
        "MA_CUENTAS.CODIGO WHERE 1=1";
    const std::string percepciones =
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' END AS C1 From MV_ASIENTOS  WHERE (TC IN ('fc'))";
    const std::vector<CasoSinonimo> casos{
        {false, false, asientos, asientos},
        {false, false, "SELECT * FROM mv_asientos INNER JOIN @Admin_MA_CUENTAS ON 1=1",
         "SELECT * FROM mv_asientos INNER JOIN MA_CUENTAS ON 1=1"},
        {false, false, percepciones, percepciones},
        {false, true, asientos,
         "SELECT * FROM SS_MV_ASIENTOS INNER JOIN SS_MA_CUENTAS ON SS_MV_ASIENTOS.CUENTA = "
         "SS_MA_CUENTAS.CODIGO WHERE 1=1"},
        {false, true, percepciones,
         "SELECT CASE  TC WHEN 'FC' THEN ' 1' END AS C1 From SS_MV_ASIENTOS  WHERE (TC IN "
         "('fc'))"},
        {false, true, "SELECT * FROM V_TA_FAMILIAS WHERE 1=1",
         "SELECT * FROM SS_V_TA_FAMILIAS WHERE 1=1"},
    };
    Verifica(casos);
}

}  // namespace
}  // namespace tamaris
