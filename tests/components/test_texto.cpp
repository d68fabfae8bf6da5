#include <gtest/gtest.h>

#include "components/Plataforma.h"
#include "components/Texto.h"

namespace tamaris {
namespace {

struct CasoAncho {
    const char* texto;
    int ancho;
    const char* esperado;
};

TEST(Ancho, CompletaYLimitaCuentanCaracteres) {
    const CasoAncho casos[] = {
        {" 1", 2, " 1"},
        {"1", 2, "1 "},
        {"", 3, "   "},
        {"123456789012345", 12, "123456789012"},
        {"30712345679", 11, "30712345679"},
        {"Peña", 6, "Peña  "},  // ñ is one character though two bytes
        {"Peñaloza", 4, "Peña"},
        {"áéíóú", 3, "áéí"},
        {"ÑANDÚ", 5, "ÑANDÚ"},
        {"€uro", 2, "€u"},  // a three-byte character
        {"abc", 0, ""},
        {"abc", -4, ""},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(CompletaAncho(c.texto, c.ancho), c.esperado) << c.texto << "/" << c.ancho;
        EXPECT_EQ(LimitaAncho(c.texto, c.ancho), c.esperado) << c.texto << "/" << c.ancho;
        if (c.ancho > 0) EXPECT_EQ(Largo(LimitaAncho(c.texto, c.ancho)), std::size_t(c.ancho));
    }
}

TEST(Ancho, AnexarConservaLoPrevioYNoCortaUnCaracterPorLaMitad) {
    std::string linea = " 1";
    AnexarAncho(linea, "05/01/2024", 10);
    AnexarAncho(linea, "ñandú", 3);
    AnexarAncho(linea, "x", 3);
    EXPECT_EQ(linea, " 105/01/2024ñanx  ");
    EXPECT_EQ(Largo(linea), 18u);
}

TEST(Largo, CuentaPuntosDeCodigo) {
    EXPECT_EQ(Largo(""), 0u);
    EXPECT_EQ(Largo("abc"), 3u);
    EXPECT_EQ(Largo("año"), 3u);
    EXPECT_EQ(Largo("€"), 1u);
    EXPECT_EQ(Largo("\xF0\x9F\x98\x80"), 1u);
}

TEST(Trim, QuitaBlancosDeLosExtremos) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\t x\r\n"), "x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimIzq("  a  "), "a  ");
    EXPECT_EQ(TrimDer("  a  "), "  a");
    EXPECT_EQ(TrimVista(" ñ "), "ñ");
}

TEST(Mayusculas, AsciiYLatin1) {
    EXPECT_EQ(Mayusculas("peña áéíóú üç abc"), "PEÑA ÁÉÍÓÚ ÜÇ ABC");
    EXPECT_EQ(Minusculas("PEÑA ÁÉÍÓÚ ÜÇ ABC"), "peña áéíóú üç abc");
    EXPECT_EQ(Mayusculas("œšžÿ"), "ŒŠŽŸ");
    EXPECT_EQ(Minusculas("ŒŠŽŸ"), "œšžÿ");
    // Signs that share the range with letters are not letters.
    EXPECT_EQ(Mayusculas("÷ß"), "÷ß");
    EXPECT_EQ(Minusculas("×"), "×");
    // Bytes that are not UTF-8 pass unchanged.
    EXPECT_EQ(Mayusculas("a\xF1o"), "A\xF1O");
}

TEST(BuscaSinCaso, PliegaAsciiYAcentuadas) {
    EXPECT_EQ(BuscaSinCaso("C:\\out\\perc.TXT", "txt"), 12u);
    EXPECT_EQ(BuscaSinCaso("Año NUEVO", "año"), 0u);
    EXPECT_EQ(BuscaSinCaso("la PEÑA", "peña"), 3u);
    EXPECT_EQ(BuscaSinCaso("la peña", "PEÑA"), 3u);
    EXPECT_EQ(BuscaSinCaso("ÁRBOL", "árbol"), 0u);
    EXPECT_EQ(BuscaSinCaso("abcabc", "BC", 2), 4u);
    EXPECT_EQ(BuscaSinCaso("abc", "d"), std::string_view::npos);
    EXPECT_EQ(BuscaSinCaso("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(BuscaSinCaso("abc", "", 1), 1u);
    EXPECT_EQ(BuscaSinCaso("abc", "a", 9), std::string_view::npos);
    // "n" and "ñ" are different letters.
    EXPECT_EQ(BuscaSinCaso("pena", "peña"), std::string_view::npos);
    EXPECT_EQ(BuscaSinCaso("peña", "pena"), std::string_view::npos);
}

TEST(ComparaSinCaso, IgualEmpiezaTermina) {
    EXPECT_TRUE(IgualSinCaso("grabar", "GRABAR"));
    EXPECT_TRUE(IgualSinCaso("Configuración", "CONFIGURACIÓN"));
    EXPECT_FALSE(IgualSinCaso("grabar", "grabar "));
    EXPECT_FALSE(IgualSinCaso("configuracion", "configuración"));
    EXPECT_TRUE(IgualSinCaso("", ""));
    EXPECT_TRUE(EmpiezaSinCaso("SELECT * FROM", "select"));
    EXPECT_FALSE(EmpiezaSinCaso("SEL", "select"));
    EXPECT_TRUE(TerminaSinCaso("perc.TXT", "txt"));
    EXPECT_TRUE(TerminaSinCaso("perctxt", "TXT"));
    EXPECT_FALSE(TerminaSinCaso("perc.tx", "txt"));
    EXPECT_TRUE(TerminaSinCaso("CAMIÓN", "ión"));
    EXPECT_TRUE(ContieneSinCaso("with(NOLOCK)", "nolock"));
}

TEST(ReemplazaTexto, TodasLasOcurrenciasSinReexaminar) {
    const struct {
        const char* texto;
        const char* buscado;
        const char* reemplazo;
        const char* esperado;
    } casos[] = {
        {"30-71234567-9", "-", "", "30712345679"},
        {"1500.5", ".", ",", "1500,5"},
        {"1.234.567", ".", ",", "1,234,567"},
        {"@Admin_TABLA, @admin_OTRA", "@ADMIN_", "", "TABLA, OTRA"},
        {"aaa", "a", "aa", "aaaaaa"},  // replaced text is not searched again
        {"abab", "ABA", "x", "xb"},
        {"Año año AÑO", "año", "year", "year year year"},
        {"sin cambios", "", "x", "sin cambios"},
        {"", "a", "b", ""},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(ReemplazaTexto(c.texto, c.buscado, c.reemplazo), c.esperado) << c.texto;
    }
    EXPECT_EQ(ReemplazaExacto("Aa", "a", "b"), "Ab");
    EXPECT_EQ(ReemplazaExacto("Aa", "", "b"), "Aa");
}

TEST(QuitaCaracteres, HastaTres) {
    EXPECT_EQ(QuitaCaracteres("30-71234567-9", '-'), "30712345679");
    EXPECT_EQ(QuitaCaracteres("(11) 4444-5555", '(', ')', ' '), "114444-5555");
    EXPECT_EQ(QuitaCaracteres("a-b", '\0'), "a-b");  // an unused argument removes nothing
    EXPECT_EQ(QuitaCaracteres("", 'x'), "");
}

TEST(CuentaPalabras, SeparadasPorBlancos) {
    EXPECT_EQ(CuentaPalabras(""), 0);
    EXPECT_EQ(CuentaPalabras("   "), 0);
    EXPECT_EQ(CuentaPalabras("uno"), 1);
    EXPECT_EQ(CuentaPalabras("  uno   dos\ttres\n"), 3);
}

TEST(DiasDelMes, SinAnio) {
    const int esperado[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(DiasDelMes(m), esperado[m - 1]) << m;
    EXPECT_EQ(DiasDelMes(0), 0);
    EXPECT_EQ(DiasDelMes(13), 0);
}

TEST(SeparadorDirectorio, TerminaEnBarra) {
    // A folder without one gets the system's own.
    EXPECT_EQ(SeparadorDirectorio("/tmp"), "/tmp" + std::string(1, plataforma::kSeparador));
    EXPECT_EQ(SeparadorDirectorio("/tmp/"), "/tmp/");
    EXPECT_EQ(SeparadorDirectorio(""), "");
    EXPECT_EQ(SeparadorDirectorio("C:\\salida\\"), "C:\\salida\\");
}

}  // namespace
}  // namespace tamaris
