#include <gtest/gtest.h>

#include "components/Error.h"
#include "components/Variant.h"

namespace tamaris {
namespace {

const Regional kComa = Regional::Suite();
const Regional kPunto = Regional::PuntoDecimal();

TEST(Fecha, Validez) {
    EXPECT_TRUE((Fecha{2024, 2, 29}).EsValida());
    EXPECT_FALSE((Fecha{2023, 2, 29}).EsValida());
    EXPECT_TRUE((Fecha{2000, 2, 29}).EsValida());
    EXPECT_FALSE((Fecha{1900, 2, 29}).EsValida());
    EXPECT_FALSE((Fecha{2024, 4, 31}).EsValida());
    EXPECT_FALSE((Fecha{2024, 13, 1}).EsValida());
    EXPECT_FALSE((Fecha{2024, 1, 0}).EsValida());
    EXPECT_FALSE((Fecha{2024, 1, 1, 24}).EsValida());
    EXPECT_FALSE((Fecha{2024, 1, 1, 0, 60}).EsValida());
    EXPECT_FALSE(Fecha{}.EsValida());
}

TEST(Fecha, DesdeDma) {
    const struct {
        const char* texto;
        bool valida;
        Fecha fecha;
    } casos[] = {
        {"05/01/2024", true, {2024, 1, 5}},
        {"5/1/2024", true, {2024, 1, 5}},
        {"31/12/1999 23:59:58", true, {1999, 12, 31, 23, 59, 58}},
        {"1/2/2024 8:05", true, {2024, 2, 1, 8, 5, 0}},
        {"29/02/2023", false, {}},
        {"2024/01/05", false, {}},
        {"05/01/24", false, {}},
        {"05-01-2024", false, {}},
        {"05/01/2024 ", false, {}},
        {"", false, {}},
        {"005/01/2024", false, {}},
        {"05/01/2024 25:00", false, {}},
    };
    for (const auto& c : casos) {
        Fecha f{1, 1, 1};
        EXPECT_EQ(Fecha::DesdeDma(c.texto, f), c.valida) << c.texto;
        if (c.valida) EXPECT_EQ(f, c.fecha) << c.texto;
        else EXPECT_EQ(f, (Fecha{1, 1, 1})) << "una fecha inválida no toca la salida";
    }
}

TEST(Fecha, DesdeIso) {
    const struct {
        const char* texto;
        bool valida;
        Fecha fecha;
    } casos[] = {
        {"2024-01-05", true, {2024, 1, 5}},
        {"2024-01-05 13:14:15", true, {2024, 1, 5, 13, 14, 15}},
        {"2024-01-05T13:14", true, {2024, 1, 5, 13, 14, 0}},
        {"2024-01-05 13:14:15.123", true, {2024, 1, 5, 13, 14, 15}},
        {"2024-1-5", false, {}},
        {"2024-02-30", false, {}},
        {"05/01/2024", false, {}},
        {"2024-01-05x", false, {}},
    };
    for (const auto& c : casos) {
        Fecha f;
        EXPECT_EQ(Fecha::DesdeIso(c.texto, f), c.valida) << c.texto;
        if (c.valida) EXPECT_EQ(f, c.fecha) << c.texto;
    }
}

TEST(Fecha, TextosIsoYDma) {
    EXPECT_EQ((Fecha{2024, 1, 5}).Dma(), "05/01/2024");
    EXPECT_EQ((Fecha{2024, 1, 5}).Iso(), "2024-01-05");
    EXPECT_EQ((Fecha{2024, 1, 5, 7, 8, 9}).Iso(), "2024-01-05 07:08:09");
    EXPECT_EQ((Fecha{2024, 1, 5, 7, 8, 9}).Dma(), "05/01/2024");
    EXPECT_EQ((Fecha{987, 3, 4}).Dma(), "04/03/0987");
}

TEST(Fecha, NumeroDeFecha) {
    EXPECT_DOUBLE_EQ((Fecha{1899, 12, 30}).Serial(), 0);
    EXPECT_DOUBLE_EQ((Fecha{1900, 1, 1}).Serial(), 2);
    EXPECT_DOUBLE_EQ((Fecha{2023, 3, 15}).Serial(), 45000);
    EXPECT_DOUBLE_EQ((Fecha{2023, 3, 15, 12}).Serial(), 45000.5);
    EXPECT_DOUBLE_EQ((Fecha{1899, 12, 29, 6}).Serial(), -1.25);
    Fecha f;
    ASSERT_TRUE(Fecha::DesdeSerial(45000.75, f));
    EXPECT_EQ(f, (Fecha{2023, 3, 15, 18, 0, 0}));
    ASSERT_TRUE(Fecha::DesdeSerial(-1.25, f));
    EXPECT_EQ(f, (Fecha{1899, 12, 29, 6, 0, 0}));
    ASSERT_TRUE(Fecha::DesdeSerial(44999.99999999, f));  // rounds to the next midnight
    EXPECT_EQ(f, (Fecha{2023, 3, 15}));
    EXPECT_FALSE(Fecha::DesdeSerial(1e12, f));
}

TEST(Variant, Tipos) {
    EXPECT_EQ(Variant().tipo(), Variant::Tipo::Vacio);
    EXPECT_EQ(Variant::Null().tipo(), Variant::Tipo::Nulo);
    EXPECT_EQ(Variant(true).tipo(), Variant::Tipo::Booleano);
    EXPECT_EQ(Variant(3).tipo(), Variant::Tipo::Entero);
    EXPECT_EQ(Variant(3.5).tipo(), Variant::Tipo::Doble);
    EXPECT_EQ(Variant("x").tipo(), Variant::Tipo::Texto);
    EXPECT_EQ(Variant(Fecha{2024, 1, 1}).tipo(), Variant::Tipo::Fecha);
}

TEST(Variant, TextoSegunTipoYRegional) {
    const struct {
        Variant v;
        const char* conComa;
        const char* conPunto;
    } casos[] = {
        {Variant(), "", ""},
        {Variant::Null(), "", ""},
        {true, "Verdadero", "Verdadero"},
        {false, "Falso", "Falso"},
        {-42, "-42", "-42"},
        {1500.5, "1500,5", "1500.5"},
        {-1000.5, "-1000,5", "-1000.5"},
        {200.0, "200", "200"},
        {"1.5", "1.5", "1.5"},
        {Fecha{2024, 1, 5}, "05/01/2024", "05/01/2024"},
        {Fecha{2024, 1, 5, 9, 3, 0}, "05/01/2024 09:03:00", "05/01/2024 09:03:00"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(c.v.Texto(kComa), c.conComa);
        EXPECT_EQ(c.v.Texto(kPunto), c.conPunto);
        std::string anexado = "[";
        c.v.AnexarTexto(anexado, kComa);
        EXPECT_EQ(anexado, std::string("[") + c.conComa);
    }
}

TEST(Variant, AnexarNumeroNoPideMemoria) {
    std::string s;
    s.reserve(64);
    const char* antes = s.data();
    Variant(123456789.125).AnexarTexto(s);
    Variant(int64_t{-9223372036854775807LL}).AnexarTexto(s);
    EXPECT_EQ(s.data(), antes);
    EXPECT_EQ(s, "123456789,125-9223372036854775807");
}

TEST(Variant, AsignarTextoReusaElBufer) {
    Variant v(std::string(100, 'a'));
    const char* antes = v.TextoCrudo().data();
    v.AsignarTexto("corto");
    EXPECT_EQ(v.TextoCrudo(), "corto");
    EXPECT_EQ(v.TextoCrudo().data(), antes);
    v.AsignarTexto(std::string(90, 'b'));
    EXPECT_EQ(v.TextoCrudo().data(), antes);
    v.AsignarEntero(5);
    v.AsignarTexto("de nuevo texto");
    EXPECT_TRUE(v.EsTexto());
    EXPECT_EQ(v.TextoCrudo(), "de nuevo texto");
}

TEST(Variant, Conversiones) {
    EXPECT_EQ(Variant(2.5).Entero(), 2);
    EXPECT_EQ(Variant(3.5).Entero(), 4);
    EXPECT_EQ(Variant(-2.7).Entero(), -3);
    EXPECT_EQ(Variant("1.234").Entero(), 1);
    EXPECT_EQ(Variant(" 12 ").Entero(), 12);
    EXPECT_THROW(Variant("doce").Entero(), ErrorTamaris);
    EXPECT_EQ(Variant(true).Entero(), -1);
    EXPECT_EQ(Variant::Null().Entero(), 0);

    EXPECT_DOUBLE_EQ(Variant(7).Doble(), 7);
    EXPECT_DOUBLE_EQ(Variant("1500,5").Doble(), 1500.5);
    EXPECT_DOUBLE_EQ(Variant("1500.5").Doble(), 1500.5);
    EXPECT_DOUBLE_EQ(Variant("12 cajas").Doble(), 12);
    EXPECT_DOUBLE_EQ(Variant("nada").Doble(), 0);
    EXPECT_DOUBLE_EQ(Variant().Doble(), 0);

    EXPECT_TRUE(Variant(1).Booleano());
    EXPECT_FALSE(Variant(0.0).Booleano());
    EXPECT_TRUE(Variant("Verdadero").Booleano());
    EXPECT_TRUE(Variant("TRUE").Booleano());
    EXPECT_TRUE(Variant("-1").Booleano());
    EXPECT_FALSE(Variant("Falso").Booleano());
    EXPECT_FALSE(Variant::Null().Booleano());
}

TEST(Variant, Igualdad) {
    EXPECT_EQ(Variant("a"), Variant(std::string("a")));
    EXPECT_NE(Variant(1), Variant(1.0));
    EXPECT_EQ(Variant::Null(), Variant::Null());
    EXPECT_NE(Variant::Null(), Variant());
}

}  // namespace
}  // namespace tamaris
