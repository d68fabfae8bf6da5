// The command line's treatment of a failed data-access call: reported once, on the console and
// in the error log, and answered with the choice that stops, whatever the port would say.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/PoliticaConsola.h"
#include "cli/UiConsola.h"
#include "data/BasesPrueba.h"
#include "data/DB_Dll.h"

namespace tamaris {
namespace {

using prueba_sistema::Veces;

TEST(PoliticaConsola, UnFalloSeInformaUnaVezYDetiene) {
    std::ostringstream salida, errores;
    UiConsola consola(salida, errores);
    Ui ui = consola.ui();
    DB_Dll db(ui);
    InstalaPoliticaConsola(db);

    const std::string archivo = prueba::ArchivoTemporal("politica_consola");
    prueba::SqlDirecto(archivo, prueba::kEsquema);
    const std::string log = archivo + ".log";
    db.SetArchivoErrores(Variant(log));
    db.gProveedor = DB_Dll::pJETOLEDB40();
    db.gDBName = archivo;
    db.OpenLocalADODB("", "User ID", "Jet OLEDB:Database Password");
    ASSERT_TRUE(db.gCnn().Abierta());

    std::string sql = "SELECT * FROM NO_EXISTE";
    Recordset rs;
    db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);

    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(Veces(errores.str(), "Ha ocurrido el Siguiente Error"), 1u) << errores.str();
    EXPECT_NE(errores.str().find("AbrirRecordset Aviso al operador!!!"), std::string::npos)
        << errores.str();
    EXPECT_EQ(salida.str(), "");
    std::string lineas;
    {
        // Closed before the file is removed: Windows removes no open file.
        std::ifstream f(log, std::ios::binary);
        lineas.assign(std::istreambuf_iterator<char>(f), {});
    }
    EXPECT_EQ(Veces(lineas, "Rutina:"), 1u) << lineas;
    EXPECT_NE(lineas.find(" : Abortar"), std::string::npos) << lineas;

    db.gCnn().Close();
    std::filesystem::remove(archivo);
    std::filesystem::remove(log);
}

// A port that would retry forever does not make the command line retry.
TEST(PoliticaConsola, LaRespuestaDelPuertoNoCuenta) {
    struct Reintenta : CajaMensajes {
        int veces = 0;
        int Mostrar(std::string_view, int, std::string_view) override {
            ++veces;
            return mb::kReintentar;
        }
    } caja;
    InformaYDetiene politica(caja);
    EXPECT_EQ(politica.Tratar({"m", "", "t", mb::kAbortarReintentarIgnorar | mb::kCritico}, ""),
              mb::kAbortar);
    EXPECT_EQ(politica.Tratar({"m", "", "t", mb::kSiNo | mb::kCritico}, ""), mb::kNo);
    EXPECT_EQ(caja.veces, 2);
}

}  // namespace
}  // namespace tamaris
