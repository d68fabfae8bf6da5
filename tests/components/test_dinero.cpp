// Money from the column value to the field: what a reading gives (exact, rounded, refused) and
// how each field kind writes it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "components/Dinero.h"

namespace {

using tamaris::EstadoImporte;
using tamaris::Importe;
using tamaris::LeeImporte;
using tamaris::Variant;

TEST(Dinero, LecturaDeColumnas) {
    struct Caso {
        const char* nombre;
        Variant valor;
        std::string exacto;
        int64_t diezmilesimos;
        EstadoImporte estado;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Caso casos[] = {
        {"ruido binario de una columna de IVA", Variant(5.55e-17), "", 0, EstadoImporte::Exacto},
        {"0,1 + 0,2", Variant(0.1 + 0.2), "", 3000, EstadoImporte::Exacto},
        {"dos decimales", Variant(1500.5), "", 15005000, EstadoImporte::Exacto},
        {"trece enteros y dos decimales", Variant(1234567890123.45), "", 12345678901234500,
         EstadoImporte::Exacto},
        {"percepción de cinco cienmilésimos", Variant(-0.00005), "", 0, EstadoImporte::Redondeado},
        {"tres decimales en un double", Variant(2.675), "", 26800, EstadoImporte::Redondeado},
        {"dieciséis dígitos", Variant(1234567890123456.0), "", 0, EstadoImporte::Desborda},
        {"no es un número", Variant(nan), "", 0, EstadoImporte::NoFinito},
        {"infinito", Variant(-inf), "", 0, EstadoImporte::NoFinito},
        {"nulo", Variant::Null(), "", 0, EstadoImporte::Nulo},
        {"entero", Variant(7), "", 70000, EstadoImporte::Exacto},
        {"texto con punto", Variant("1234.50"), "", 12345000, EstadoImporte::Exacto},
        {"texto con coma", Variant(" -12,5 "), "", -125000, EstadoImporte::Exacto},
        {"texto con exponente", Variant("1E-05"), "", 0, EstadoImporte::Redondeado},
        {"texto que no es número", Variant("abc"), "", 0, EstadoImporte::NoNumero},
        {"infinito escrito por el driver", Variant("-Inf"), "", 0, EstadoImporte::NoFinito},
        {"texto vacío", Variant("  "), "", 0, EstadoImporte::Nulo},
        // A NUMERIC column: its exact text wins over the double the driver made of it.
        {"decimal exacto", Variant(1234567890123.4501), "1234567890123.45", 12345678901234500,
         EstadoImporte::Exacto},
        {"decimal con tres decimales", Variant(10.505), "10.505", 105100,
         EstadoImporte::Redondeado},
        {"decimal de dieciséis dígitos", Variant(1.2e15), "1234567890123456", 0,
         EstadoImporte::Desborda},
    };
    for (const Caso& c : casos) {
        const auto leido = LeeImporte(c.valor, c.exacto);
        EXPECT_EQ(leido.estado, c.estado) << c.nombre;
        if (leido.Valido()) EXPECT_EQ(leido.valor.diezmilesimos, c.diezmilesimos) << c.nombre;
    }
    // Rates keep four decimals.
    EXPECT_EQ(LeeImporte(Variant(10.5), {}, 4).valor.diezmilesimos, 105000);
    EXPECT_EQ(LeeImporte(Variant(2.5), {}, 4).estado, EstadoImporte::Exacto);
}

TEST(Dinero, CamposDeArchivo) {
    struct Caso {
        int64_t diezmilesimos;
        const char* coma;     // perception file
        const char* digitos;  // 13 integers and 2 decimals
        const char* monto;    // totals
    };
    const Caso casos[] = {
        {15005000, "1500,5", "000000000150050", "1.500,50"},
        {2000000, "200", "000000000020000", "200,00"},
        {500, "0,05", "000000000000005", "0,05"},
        {-150100, "15,01", "000000000001501", "-15,01"},
        {50351164945300, "5035116494,53", "000503511649453", "5.035.116.494,53"},
        {0, "0", "000000000000000", "0,00"},
    };
    for (const Caso& c : casos) {
        std::string coma, digitos;
        tamaris::AnexaImporteComa(coma, Importe{c.diezmilesimos});
        tamaris::AnexaImporteDigitos(digitos, Importe{c.diezmilesimos}, 13, 2);
        EXPECT_EQ(coma, c.coma);
        EXPECT_EQ(digitos, c.digitos);
        EXPECT_EQ(tamaris::TextoMonto(Importe{c.diezmilesimos}), c.monto);
        Importe leido;
        EXPECT_TRUE(tamaris::LeeMontoDigitos(digitos, 2, leido));
        EXPECT_EQ(leido.diezmilesimos, c.diezmilesimos < 0 ? -c.diezmilesimos : c.diezmilesimos);
    }
    Importe v;
    EXPECT_FALSE(tamaris::LeeMontoDeArchivo("5E-05", ',', v));
    EXPECT_FALSE(tamaris::LeeMontoDeArchivo("1,", ',', v));
    EXPECT_TRUE(tamaris::LeeMontoDeArchivo("-0000001000,00", ',', v));
    EXPECT_EQ(v.diezmilesimos, -10000000);
}

}  // namespace
