// The number formatting and tax-identifier routines of the CITI file, case tables under both
// decimal separators; the document-type lookup against a real SQLite file.

#include <gtest/gtest.h>

#include "components/Numero.h"
#include "data/DB_Dll.h"
#include "data/PuertosPrueba.h"
#include "export_citi/Formatos.h"
#include "export_citi/LibroIvaPrueba.h"
#include "export_citi/RegistroCiti.h"

namespace tamaris {
namespace {

const Regional kComa = Regional::Suite();
const Regional kPunto = Regional::PuntoDecimal();

TEST(SeparadorDecimal, SegunLaConfiguracionRegional) {
    EXPECT_EQ(SeparadorDecimal(kComa), ",");
    EXPECT_EQ(SeparadorDecimal(kPunto), ".");
}

struct CasoNroCampo {
    const char* texto;
    int16_t enteros, decimales;
    const char* esperado;
};

// Cases written with the decimal comma; the decimal-point table swaps "," and ".".
const CasoNroCampo kNroCampo[] = {
    {"1234,5", 13, 2, "000000000123450"},
    {"0,125", 13, 2, "000000000000012"},
    {"0", 14, 0, "00000000000000"},
    {"7", 8, 0, "00000007"},
    {"", 13, 2, "000000000000000"},
    {"12,3456", 13, 2, "000000000001234"},  // cut, not rounded
    {"5,9", 4, 0, "0005"},                  // no decimals: they are dropped
    {"3,1", 4, 3, "0003100"},
    {",5", 4, 2, "000050"},
    {"12345678901234", 13, 2, "1234567890123400"},  // keeps every integer digit
    {"-5,5", 4, 2, "-000550"},                      // the sign stays in front
    {"abc", 4, 2, "000000"},                        // not a number: 0
    {"1000", 13, 2, "000000000100000"},
};

std::string Cambia(std::string s) {
    for (char& c : s) {
        if (c == ',') c = '.';
    }
    return s;
}

TEST(FmtNroCampo, ConComaDecimal) {
    for (const auto& c : kNroCampo) {
        EXPECT_EQ(FmtNroCampo(c.texto, c.enteros, c.decimales, kComa), c.esperado) << c.texto;
    }
}

TEST(FmtNroCampo, ConPuntoDecimal) {
    for (const auto& c : kNroCampo) {
        EXPECT_EQ(FmtNroCampo(Cambia(c.texto), c.enteros, c.decimales, kPunto), c.esperado)
            << c.texto;
    }
}

TEST(FmtNroCampo, ElOtroSeparadorNoEsDecimal) {
    // Without the regional separator the whole text is read as a number with "." as its
    // decimal point and rounded to a whole number.
    EXPECT_EQ(FmtNroCampo("1234.5", 13, 2, kComa), "000000000123500");
    EXPECT_EQ(FmtNroCampo("1234,5", 13, 2, kPunto), "000000000123400");
}

TEST(FmtNroCampo, CantidadNegativaEsError5) {
    try {
        FmtNroCampo("1", -1, 2, kComa);
        FAIL();
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), 5);
    }
}

struct CasoMoneda {
    const char* texto;
    int decimales;
    const char* configurados;
    const char* esperado;
};

const CasoMoneda kMoneda[] = {
    {"12,6", decimales::kNinguno, "2", "13"},  // no trailing separator
    {"2,5", decimales::kNinguno, "2", "2"},    // ties to even
    {"3,5", decimales::kNinguno, "2", "4"},
    {"12,6", decimales::kRegionales, "2", "12,60"},
    {"12,6", decimales::kConfigurados, "2", "12,60"},
    {"12,6", decimales::kConfigurados, "3", "12,600"},
    {"12,6", decimales::kConfigurados, "0", "12,60"},  // a configured 0 uses the regional 2
    {"12,6", decimales::kConfigurados, "", "12,60"},
    {"476,1905", decimales::kConfigurados, "2", "476,19"},
    {"1,125", 2, "2", "1,12"},
    {"1,135", 2, "2", "1,14"},
    {"-1,125", 2, "2", "-1,12"},
    {"1234567,891", 2, "2", "1234567,89"},  // no thousands separators
    {"0", 2, "2", "0,00"},
    {"0,00015", 4, "2", "0,0002"},  // the amount itself keeps four decimals, ties to even
    {"12,6", 1, "2", "12,6"},
    {"abc", decimales::kSinCambio, "2", "abc"},
};

TEST(FmtMoneda, ConComaDecimal) {
    for (const auto& c : kMoneda) {
        EXPECT_EQ(FmtMoneda(c.texto, c.decimales, kComa, c.configurados), c.esperado)
            << c.texto << " " << c.decimales;
    }
}

TEST(FmtMoneda, ConPuntoDecimal) {
    for (const auto& c : kMoneda) {
        EXPECT_EQ(FmtMoneda(Cambia(c.texto), c.decimales, kPunto, c.configurados),
                  Cambia(c.esperado))
            << c.texto << " " << c.decimales;
    }
}

TEST(FmtMoneda, DigitosRegionales) {
    const Regional tres{',', 3, '/'};
    const Regional ninguno{',', 0, '/'};
    EXPECT_EQ(FmtMoneda("12,6", decimales::kRegionales, tres, "2"), "12,600");
    EXPECT_EQ(FmtMoneda("12,6", decimales::kConfigurados, tres, "0"), "12,600");
    EXPECT_EQ(FmtMoneda("12,6", decimales::kRegionales, ninguno, "2"), "13");
}

TEST(FmtMoneda, FallosSegunLaRespuesta) {
    // Without a handler the failure reaches the caller.
    try {
        FmtMoneda("abc", 2, kComa, "2");
        FAIL();
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), 13);
    }
    struct Caso {
        std::vector<int> respuestas;
        const char* esperado;
        std::size_t llamadas;
    };
    const Caso casos[] = {
        {{0}, "", 1},               // leave: empty result
        {{kIgnorar}, "0,00", 1},    // go on: the conversion is skipped
        {{kReintentar, 0}, "", 2},  // the same step again, then leave
    };
    for (const auto& c : casos) {
        std::vector<ErrorInfo> vistos;
        std::size_t i = 0;
        const TrataFallo trata = [&](const ErrorInfo& e) {
            vistos.push_back(e);
            return c.respuestas.at(i++);
        };
        EXPECT_EQ(FmtMoneda("abc", 2, kComa, "2", trata), c.esperado);
        ASSERT_EQ(vistos.size(), c.llamadas);
        EXPECT_EQ(vistos[0].Numero, 13);
    }
}

TEST(Importes, RedondeoAlParYCociente) {
    struct Caso {
        int64_t valor;
        int decimales;
        int64_t esperado;
    };
    const Caso redondeos[] = {
        {25000, 0, 20000}, {35000, 0, 40000}, {-25000, 0, -20000},
        {11250, 2, 11200}, {11350, 2, 11400}, {11251, 2, 11300},
        {11249, 2, 11200}, {12345, 4, 12345}, {12345, 6, 12345},
    };
    for (const auto& c : redondeos) {
        EXPECT_EQ(RedondeaImporte(Importe{c.valor}, c.decimales).diezmilesimos, c.esperado)
            << c.valor << " " << c.decimales;
    }
    struct Division {
        int64_t dividendo, divisor, esperado;
    };
    const Division divisiones[] = {
        {21000000, 210000, 1000000},  // 2100 / 21 = 100
        {1000000, 210000, 47619},     // 100 / 21 = 4,76190… -> 4,7619
        {10000, 30000, 3333},
        {20000, 30000, 6667},
        {1, 20000, 0},  // 0,00005 -> 0,0000 (even)
        {3, 20000, 2},  // 0,00015 -> 0,0002 (even)
        {-10000, 30000, -3333},
    };
    for (const auto& d : divisiones) {
        EXPECT_EQ(DivideImportes(Importe{d.dividendo}, Importe{d.divisor}).diezmilesimos,
                  d.esperado)
            << d.dividendo << " / " << d.divisor;
    }
    try {
        DivideImportes(Importe{10000}, Importe{0});
        FAIL();
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), 11);
    }
}

TEST(EsDescripcionCuit, DescripcionesAceptadas) {
    for (const char* d :
         {"CUIT.", "cuit", "C.U.I.T.", "c.u.i.t", "CUIL.", "Cuil", " C.U.I.L. ", "C.U.I.L"}) {
        EXPECT_TRUE(EsDescripcionCuit(d)) << d;
    }
    for (const char* d : {"DNI", "CUIT-", "", "C U I T", "CUITS", "CUIT..", "Pasaporte"}) {
        EXPECT_FALSE(EsDescripcionCuit(d)) << d;
    }
}

TEST(DigitoVerificadorCuit, Casos) {
    struct Caso {
        const char* identificador;
        bool valido;
    };
    const Caso casos[] = {
        {"20-00000000-1", true},  // 2 x 5 + 1 x 1 = 11
        {"20-00000000-2", false},
        {"2000000000", false},  // ten characters, whatever the digits
        {"20.00000000.1", true},
        {"20 00000000 1", true},
        {"20/00000000/1", true},
        {"30-71234567-1", true},
        {"20-12345678-6", true},
        {"20-12345678-0", false},
        {"200000000010", true},     // a twelfth digit weighs 0
        {"20000000001AB", true},    // letters are skipped but count in the length
        {"20000000001ABC", false},  // fourteen characters
        {"", false},
        {"00000000000", true},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(DigitoVerificadorCuit(c.identificador), c.valido) << c.identificador;
    }
}

TEST(CodigosDeClave, TablaDeComprobantes) {
    struct Caso {
        const char *tc, *letra, *tipo, *documento;
    };
    const Caso casos[] = {
        {"FC", "A", "01", "80"},   {"ND", "A", "02", "80"},   {"NC", "A", "03", "80"},
        {"FC", "B", "06", "80"},   {"FC", "C", "06", "80"},   {"ND", "B", "07", "80"},
        {"NC", "B", "08", "80"},   {"FC", "E", "19", "80"},   {"TKFC", "A", "81", "80"},
        {"TKFC", "B", "82", "80"}, {"TK", "C", "83", "99"},   {"TK", "X", "83", "99"},
        {"TK", "B", "83", "99"},   {"CBCT", "A", "0R", "80"}, {"CBCT", "B", "09", "80"},
        {"CBCT", "X", "09", "80"}, {"fc", " a ", "01", "80"}, {"FCA", "", "01", "80"},
        {"RC", "A", "  ", "  "},   {"FC", "M", "  ", "  "},   {"", "", "  ", "  "},
    };
    for (const auto& c : casos) {
        const CodigosComprobante r = CodigosDeClave(c.tc, c.letra);
        EXPECT_EQ(r.tipo, c.tipo) << c.tc << c.letra;
        EXPECT_EQ(r.documento, c.documento) << c.tc << c.letra;
    }
}

TEST(CodigoAlicuota, ComparaElNumero) {
    struct Caso {
        const char* alicuota;
        const char* codigo;
    };
    const Caso casos[] = {{"21", "2100"}, {"21,00", "2100"}, {"10,5", "1050"}, {"10,50", "1050"},
                          {"27", "2700"}, {"5", "2700"},     {"2,5", "2700"},  {"210", "2700"}};
    for (const auto& c : casos) {
        EXPECT_EQ(CodigoAlicuota(TextoAImporte(c.alicuota, kComa)), c.codigo) << c.alicuota;
        EXPECT_EQ(CodigoAlicuota(TextoAImporte(Cambia(c.alicuota), kPunto)), c.codigo)
            << c.alicuota;
    }
}

class TiposDocumento : public ::testing::Test {
  protected:
    void SetUp() override {
        prueba::CreaBaseCiti(base, {});
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = base;
        db.OpenLocalADODB("", "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(db.gCnn().Abierta());
        db.gOpenFlag = true;
    }
    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

TEST_F(TiposDocumento, EsDocumentoCuit) {
    for (const char* codigo : {"1", "2", "80", "86", " 80 "}) {
        EXPECT_TRUE(EsDocumentoCuit(db, codigo)) << codigo;
    }
    for (const char* codigo : {"96", "99", "77", ""}) {
        EXPECT_FALSE(EsDocumentoCuit(db, codigo)) << codigo;
    }
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_F(TiposDocumento, ValidaCuitSoloControlaCuitYCuil) {
    struct Caso {
        const char *identificador, *tipo;
        bool valido;
    };
    const Caso casos[] = {
        {"20-00000000-1", "80", true}, {"20-00000000-2", "80", false},
        {"2000000000", "80", false},   {"20.00000000.1", "80", true},
        {"20 00000000 1", "80", true}, {"20-12345678-6", "86", true},
        {"20-12345678-0", "1", false}, {"30-71234567-1", "2", true},
        {"basura", "96", true},  // other document types are not checked
        {"basura", "77", true},        {"basura", "80", false},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(ValidaCuit(db, c.identificador, c.tipo), c.valido)
            << c.identificador << " " << c.tipo;
    }
}

TEST_F(TiposDocumento, SinLaTablaLaConsultaAvisaYNoEsCuit) {
    prueba::EjecutaSqlite(base, "DROP TABLE TA_TIPODOCUMENTO");
    puertos.mensajes.respuestaDefecto = mb::kAbortar;
    EXPECT_FALSE(EsDocumentoCuit(db, "80"));
    EXPECT_FALSE(puertos.mensajes.mostrados.empty());
}

}  // namespace
}  // namespace tamaris
