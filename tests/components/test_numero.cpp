#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "components/Error.h"
#include "components/Numero.h"

namespace tamaris {
namespace {

const Regional kComa = Regional::Suite();
const Regional kPunto = Regional::PuntoDecimal();

struct CasoTexto {
    double valor;
    const char* conComa;
    const char* conPunto;
};

TEST(NumeroATexto, AmbosSeparadores) {
    const CasoTexto casos[] = {
        {0, "0", "0"},
        {-0.0, "0", "0"},
        {200, "200", "200"},
        {1500.5, "1500,5", "1500.5"},
        {1500.50, "1500,5", "1500.5"},
        {-15.01, "-15,01", "-15.01"},
        {1000.5, "1000,5", "1000.5"},
        {0.1 + 0.2, "0,3", "0.3"},
        {1234567.891, "1234567,891", "1234567.891"},
        {0.5, "0,5", "0.5"},
        {-0.25, "-0,25", "-0.25"},
        {0.0001, "0,0001", "0.0001"},
        {0.00015, "0,00015", "0.00015"},
        {0.0000999, "9,99E-05", "9.99E-05"},
        {0.00001, "1E-05", "1E-05"},
        {0.000015, "1,5E-05", "1.5E-05"},
        {-0.000025, "-2,5E-05", "-2.5E-05"},
        {999999999999999.0, "999999999999999", "999999999999999"},
        {1e15, "1E+15", "1E+15"},
        {1.5e15, "1,5E+15", "1.5E+15"},
        {-2.5e20, "-2,5E+20", "-2.5E+20"},
        {1e100, "1E+100", "1E+100"},
        {1.5e-300, "1,5E-300", "1.5E-300"},
        // Sixteen and seventeen digit values are shown at fifteen significant digits.
        {1.0 / 3.0, "0,333333333333333", "0.333333333333333"},
        {2.0 / 3.0, "0,666666666666667", "0.666666666666667"},
        {123456789.12345678, "123456789,123457", "123456789.123457"},
        {9999999999999999.0, "1E+16", "1E+16"},
        // Rounding to fifteen digits may carry into the next power of ten.
        {999999999999999.9, "1E+15", "1E+15"},
        {0.000099999999999999999, "0,0001", "0.0001"},
        {100, "100", "100"},
        {1e14, "100000000000000", "100000000000000"},
        {12.5, "12,5", "12.5"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(NumeroATexto(c.valor, kComa), c.conComa) << c.valor;
        EXPECT_EQ(NumeroATexto(c.valor, kPunto), c.conPunto) << c.valor;
    }
}

TEST(NumeroATexto, AnexarAgregaSinTocarLoPrevio) {
    std::string s = "Total: ";
    AnexarNumero(s, -1500.5, kComa);
    s += " / ";
    AnexarNumero(s, 3, kPunto);
    EXPECT_EQ(s, "Total: -1500,5 / 3");
}

TEST(NumeroATexto, ValoresNoFinitos) {
    EXPECT_EQ(NumeroATexto(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(NumeroATexto(-std::numeric_limits<double>::infinity()), "-Infinito");
}

struct CasoImporte {
    const char* texto;
    int64_t diezmilesimos;
};

TEST(TextoAImporte, ConComaRegional) {
    const CasoImporte casos[] = {
        {"", 0},
        {"   ", 0},
        {"0", 0},
        {"1500,5", 15005000},
        {"  1500,5  ", 15005000},
        {"-15,01", -150100},
        {"+3", 30000},
        {"1.234,56", 12345600},
        {"1.234.567", 12345670000},
        {"1.5", 15000},  // the other mark standing once, with no comma, is the decimal mark
        {",5", 5000},
        {"5,", 50000},
        {"0,00005", 0},     // half to even: 0.0000|5 -> 0
        {"0,00015", 2},     // 0.0001|5 -> 0.0002
        {"0,00025", 2},     // 0.0002|5 -> 0.0002
        {"0,000251", 3},    // above the half goes up
        {"-0,00015", -2},
        {"1E3", 10000000},
        {"1,5E+2", 1500000},
        {"922337203685477,5807", std::numeric_limits<int64_t>::max()},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(TextoAImporte(c.texto, kComa).diezmilesimos, c.diezmilesimos) << c.texto;
    }
}

TEST(TextoAImporte, ConPuntoRegional) {
    const CasoImporte casos[] = {
        {"1500.5", 15005000},
        {"1,234.56", 12345600},
        {"1,5", 15000},
        {"1,234,567", 12345670000},
        {"-0.0001", -1},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(TextoAImporte(c.texto, kPunto).diezmilesimos, c.diezmilesimos) << c.texto;
    }
}

TEST(TextoAImporte, TextoQueNoEsNumeroEsError13) {
    for (const char* t : {"abc", "1,2,3", "12a", "-", "1,5,", "1 2", "1E", "1,234.5", "$5", "--1"}) {
        try {
            TextoAImporte(t, kComa);
            ADD_FAILURE() << "aceptó " << t;
        } catch (const ErrorTamaris& e) {
            EXPECT_EQ(e.Numero(), 13) << t;
        }
    }
}

TEST(TextoAImporte, DesbordamientoEsError6) {
    try {
        TextoAImporte("922337203685478", kComa);
        ADD_FAILURE();
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), 6);
    }
}

TEST(Importe, TextoYDoble) {
    EXPECT_EQ(Importe{15005000}.Texto(kComa), "1500,5");
    EXPECT_EQ(Importe{-150100}.Texto(kPunto), "-15.01");
    EXPECT_EQ(Importe{1}.Texto(kComa), "0,0001");
    EXPECT_EQ(Importe{0}.Texto(kComa), "0");
    EXPECT_EQ(Importe{std::numeric_limits<int64_t>::min()}.Texto(kPunto),
              "-922337203685477.5808");
    EXPECT_DOUBLE_EQ(Importe{15005000}.Doble(), 1500.5);
}

TEST(ConvierteNumero, RedondeaAlParYRechazaTexto) {
    EXPECT_EQ(ConvierteNumero("42", kComa), 42);
    EXPECT_EQ(ConvierteNumero(" -7 ", kComa), -7);
    EXPECT_EQ(ConvierteNumero("2,5", kComa), 2);
    EXPECT_EQ(ConvierteNumero("3,5", kComa), 4);
    EXPECT_EQ(ConvierteNumero("2,51", kComa), 3);
    EXPECT_EQ(ConvierteNumero("-2,5", kComa), -2);
    EXPECT_EQ(ConvierteNumero("1.000", kPunto), 1);
    EXPECT_EQ(ConvierteNumero("1.000.000", kComa), 1000000);
    EXPECT_EQ(ConvierteNumero("", kComa), 0);
    EXPECT_THROW(ConvierteNumero("doce", kComa), ErrorTamaris);
    EXPECT_THROW(ConvierteNumero("99999999999999999999", kComa), ErrorTamaris);
}

TEST(ValorNumerico, NumeroInicialConPunto) {
    struct {
        const char* texto;
        double valor;
    } casos[] = {
        {"", 0},         {"abc", 0},        {"12abc", 12},     {"  -3.5x", -3.5},
        {"1 000", 1000}, {"1500,5", 1500},  {"1.5.6", 1.5},    {"2E3", 2000},
        {"2E", 2},       {"1.5D2", 150},    {"+.5", 0.5},      {"-", 0},
        {"\t7\n", 7},
    };
    for (const auto& c : casos) EXPECT_DOUBLE_EQ(ValorNumerico(c.texto), c.valor) << c.texto;
}

TEST(EsNumerico, SegunRegional) {
    EXPECT_TRUE(EsNumerico("1500,5", kComa));
    EXPECT_TRUE(EsNumerico("1.500,5", kComa));
    EXPECT_TRUE(EsNumerico("1500.5", kComa));
    EXPECT_FALSE(EsNumerico("1,500.5", kComa));
    EXPECT_TRUE(EsNumerico("1,500.5", kPunto));
    EXPECT_FALSE(EsNumerico("", kComa));
    EXPECT_FALSE(EsNumerico("  ", kComa));
    EXPECT_FALSE(EsNumerico("20-12-1234", kComa));
    EXPECT_FALSE(EsNumerico("30-71234567-9", kComa));
}

TEST(LeeNumero, DobleSinRedondeoACuatroDecimales) {
    double d = -1;
    ASSERT_TRUE(LeeNumero("0,123456789", d, kComa));
    EXPECT_DOUBLE_EQ(d, 0.123456789);
    EXPECT_FALSE(LeeNumero("x", d, kComa));
    EXPECT_DOUBLE_EQ(d, 0.123456789);
}

TEST(Redondea, MitadLejosDelCeroSobreLosDecimales) {
    struct {
        double valor;
        int decimales;
        double esperado;
    } casos[] = {
        {2.675, 2, 2.68},    // 2.67499999... in binary, rounded on its decimal digits
        {1.005, 2, 1.01},    {-1.005, 2, -1.01}, {2.5, 0, 3},        {-2.5, 0, -3},
        {0.125, 2, 0.13},    {1.0 / 3.0, 4, 0.3333},                 {1234.5678, 0, 1235},
        {0.1 + 0.2, 2, 0.3}, {1250, -2, 1300},   {9.995, 2, 10},     {0, 2, 0},
        {10.075, 2, 10.08},  {123.456, 5, 123.456},
    };
    for (const auto& c : casos) {
        EXPECT_DOUBLE_EQ(Redondea(c.valor, c.decimales), c.esperado)
            << c.valor << " a " << c.decimales;
    }
}

struct CasoFormato {
    Variant valor;
    const char* formato;
    const char* conComa;
    const char* conPunto;
};

TEST(FormatoValor, Numeros) {
    const CasoFormato casos[] = {
        {12, "0000", "0012", "0012"},
        {12.7, "0000", "0013", "0013"},
        {-12, "0000", "-0012", "-0012"},
        {123456, "0000", "123456", "123456"},
        {1500.5, "0.00", "1500,50", "1500.50"},
        {0.5, "0.00", "0,50", "0.50"},
        {0.5, "#0.00", "0,50", "0.50"},
        {0.5, "#.00", ",50", ".50"},
        {2.675, "0.00", "2,68", "2.68"},
        {-0.001, "0.00", "0,00", "0.00"},
        {1234567.891, "#,##0.00", "1.234.567,89", "1,234,567.89"},
        {123.4, "#,##0.00", "123,40", "123.40"},
        {1000, "#,##0", "1.000", "1,000"},
        {-1234.5, "#,##0.00", "-1.234,50", "-1,234.50"},
        {2.5, "0", "3", "3"},
        {1.5, "0.##", "1,5", "1.5"},
        {1.0, "0.0#", "1,0", "1.0"},
        {0.256, "0.0%", "25,6%", "25.6%"},
        {5, "$ 0.00", "$ 5,00", "$ 5.00"},
        {-5, "0.00;(0.00)", "(5,00)", "(5.00)"},
        {0, "0.00;(0.00);\"cero\"", "cero", "cero"},
        {"1500,5", "0.00", "1500,50", "1500.50"},  // a text is read under the regional rules
        {"1.500,5", "0.00", "1500,50", "1.500,5"},
        {"abc", "0.00", "abc", "abc"},
        {1234.5, "Standard", "1.234,50", "1,234.50"},
        {1234.5, "Fixed", "1234,50", "1234.50"},
        {1234.5, "", "1234,5", "1234.5"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(FormatoValor(c.valor, c.formato, kComa), c.conComa)
            << c.valor.Texto() << " con " << c.formato;
        EXPECT_EQ(FormatoValor(c.valor, c.formato, kPunto), c.conPunto)
            << c.valor.Texto() << " con " << c.formato;
    }
}

TEST(FormatoValor, Fechas) {
    const Fecha f{2024, 3, 5, 14, 7, 9};
    const Fecha sinHora{2024, 12, 25};
    const struct {
        Variant valor;
        const char* formato;
        const char* esperado;
    } casos[] = {
        {f, "dd/mm/yyyy", "05/03/2024"},
        {f, "DD/MM/YYYY", "05/03/2024"},
        {f, "d/m/yy", "5/3/24"},
        {f, "dd/mm/yy hh:mm", "05/03/24 14:07"},
        {f, "hh:nn", "14:07"},
        {f, "hh:mm:ss", "14:07:09"},
        {f, "HH:MM", "14:07"},
        {f, "yyyymmdd", "20240305"},
        {f, "mmyyyy", "032024"},
        {f, "mm:ss", "07:09"},  // "mm" before seconds is minutes
        {f, "dddd d \"de\" mmmm", "martes 5 de marzo"},
        {f, "ddd mmm", "mar mar"},
        {sinHora, "dd/mm/yyyy hh:nn:ss", "25/12/2024 00:00:00"},
        {"25/12/2024", "yyyymmdd", "20241225"},
        {"2024-12-25", "dd/mm/yyyy", "25/12/2024"},
        {" 5/1/2024 ", "dd-mm-yyyy", "05-01-2024"},
        {"no es fecha", "dd/mm/yyyy", "no es fecha"},
        {45000, "dd/mm/yyyy", "15/03/2023"},  // the suite's date number
        {Variant(), "dd/mm/yyyy", ""},
        {Variant::Null(), "0000", ""},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(FormatoValor(c.valor, c.formato, kComa), c.esperado)
            << c.valor.Texto() << " con " << c.formato;
    }
}

TEST(FormatoValor, SeparadorDeFechaRegional) {
    Regional r;
    r.separadorFecha = '-';
    EXPECT_EQ(FormatoValor(Fecha{2024, 1, 2}, "dd/mm/yyyy", r), "02-01-2024");
}

}  // namespace
}  // namespace tamaris
