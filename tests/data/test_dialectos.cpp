// The dialect factory: each platform gets its own dialect, a value that names none is refused,
// and a connection open on a real SQLite file carries the SQLite one over either backend.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BasesPrueba.h"
#include "data/dialectos/Dialecto.h"

namespace tamaris {
namespace {

using prueba::PruebaAcceso;

struct CasoDialecto {
    Plataforma plataforma;
    std::string fecha;  // 1 February 2024 as the platform reads it whatever its settings
};

TEST(Dialectos, CadaPlataformaTieneElSuyo) {
    const std::vector<CasoDialecto> casos{
        {Plataforma::SqlServer, "'20240201'"},
        {Plataforma::Oracle, "'2024-02-01'"},
        {Plataforma::SQLite, "'2024-02-01'"},
        {Plataforma::PostgreSQL, "'2024-02-01'"},
    };
    for (const CasoDialecto& c : casos) {
        const std::unique_ptr<Dialecto> d = CreaDialecto(c.plataforma);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->plataforma(), c.plataforma);
        EXPECT_EQ(d->LiteralFecha(Fecha{2024, 2, 1}), c.fecha);
    }
}

TEST(Dialectos, PlataformaDesconocidaRechazada) {
    try {
        CreaDialecto(static_cast<Plataforma>(99));
        ADD_FAILURE() << "se creó un dialecto para una plataforma desconocida";
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), err::kArgumentoInvalido);
    }
}

TEST_P(PruebaAcceso, LaConexionAbiertaLlevaElDialectoDeSuPlataforma) {
    EXPECT_EQ(cn.dialecto().plataforma(), Plataforma::SQLite);
}

}  // namespace
}  // namespace tamaris
