// The lookup-mask file: fixed 1202-byte records, the default content start-up writes, and the
// date formats of the logs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Ayudas.h"
#include "app/Configuracion.h"
#include "app/Formatos.h"
#include "lookup/Mascaras.h"

namespace tamaris {
namespace {

using prueba::LeeArchivo;

std::string Blancos(std::size_t n) { return std::string(n, ' '); }

TEST(Mascaras, RegistroExacto) {
    const std::string r = RegistroMascara({"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", ""});
    ASSERT_EQ(r.size(), 1202u);
    EXPECT_EQ(r, "CUENTAS" + Blancos(93) + "MA_CUENTAS" + Blancos(90) + "|DESCRIPCION|CODIGO|" +
                     Blancos(480) + Blancos(500) + "\r\n");
}

TEST(Mascaras, TextosLargosSeCortanYLosAcentosOcupanUnByte) {
    const std::string r =
        RegistroMascara({std::string(120, 'T'), "DEPÓSITO", std::string(600, 'C'), "CODIGO = 'Ñ'"});
    ASSERT_EQ(r.size(), 1202u);
    EXPECT_EQ(r.substr(0, 100), std::string(100, 'T'));
    EXPECT_EQ(r.substr(100, 100), "DEP\xD3SITO" + Blancos(92));
    EXPECT_EQ(r.substr(200, 500), std::string(500, 'C'));
    EXPECT_EQ(r.substr(700, 500), "CODIGO = '\xD1'" + Blancos(488));
    EXPECT_EQ(r.substr(1200), "\r\n");
}

TEST(Mascaras, LecturaDeUnRegistro) {
    const MascaraConsulta m{"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|",
                            "SUSPENDIDO = 0"};
    const MascaraConsulta leida = LeeRegistroMascara(RegistroMascara(m));
    EXPECT_EQ(leida.Titulo, "ARTICULOS" + Blancos(91));
    EXPECT_EQ(CampoMascaraLimpio(leida.Tabla), "V_MA_ARTICULOS");
    EXPECT_EQ(CampoMascaraLimpio(leida.Columnas), "|DESCRIPCION|IDARTICULO|");
    EXPECT_EQ(CampoMascaraLimpio(leida.Filtro), "SUSPENDIDO = 0");
    EXPECT_EQ(LeeRegistroMascara(RegistroMascara({"DEPÓSITO", "", "", ""})).Titulo,
              "DEPÓSITO" + Blancos(92));
}

TEST(Mascaras, CampoLimpioSinCerosNiFF) {
    // A record never written holds zeros; some editors fill with byte 255.
    std::string bytes(1202, '\0');
    bytes.replace(100, 8,
                  "MA_\xFF\xFF"
                  "CTA");
    const MascaraConsulta m = LeeRegistroMascara(bytes);
    EXPECT_EQ(CampoMascaraLimpio(m.Tabla), "MA_CTA");
    EXPECT_EQ(CampoMascaraLimpio(m.Filtro), "");
    EXPECT_EQ(CampoMascaraLimpio(std::string("  a\0b ", 6)), "ab");
}

TEST(Mascaras, AgregaDesdeElRegistroSiguiente) {
    prueba::CarpetaTemporal tmp;
    const std::string archivo = tmp / "consultas.tms";
    const MascaraConsulta a{"A", "TA", "|X|Y|", ""}, b{"B", "TB", "|Z|", "Z > 1"};
    AgregaMascaras(archivo, {a});
    AgregaMascaras(archivo, {b, a});
    EXPECT_EQ(LeeArchivo(archivo), RegistroMascara(a) + RegistroMascara(b) + RegistroMascara(a));
    ASSERT_EQ(LeeMascaras(archivo).size(), 3u);
    EXPECT_EQ(CampoMascaraLimpio(LeeMascara(archivo, 2)->Filtro), "Z > 1");
    EXPECT_FALSE(LeeMascara(archivo, 4).has_value());
    EXPECT_FALSE(LeeMascara(archivo, 0).has_value());
    EXPECT_FALSE(LeeMascara(tmp / "no_existe.tms", 1).has_value());

    // A cut-off last record is written over: the record number is length ÷ 1202 + 1.
    {
        std::ofstream f(archivo, std::ios::binary | std::ios::app);
        f << "resto";
    }
    AgregaMascaras(archivo, {b});
    EXPECT_EQ(LeeArchivo(archivo),
              RegistroMascara(a) + RegistroMascara(b) + RegistroMascara(a) + RegistroMascara(b));
}

TEST(Mascaras, ArchivoNuevoSoloSiNoExiste) {
    prueba::CarpetaTemporal tmp;
    const std::string archivo = tmp / "consultas.tms";
    const MascaraConsulta a{"A", "TA", "|X|Y|", ""};
    EXPECT_TRUE(CreaArchivoMascaras(archivo, {a, a}));
    EXPECT_EQ(LeeArchivo(archivo), RegistroMascara(a) + RegistroMascara(a));
    EXPECT_FALSE(CreaArchivoMascaras(archivo, {a}));
    EXPECT_EQ(LeeArchivo(archivo), RegistroMascara(a) + RegistroMascara(a));
    // Nothing but the file is left in the folder.
    int entradas = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.ruta())) {
        (void)e;
        ++entradas;
    }
    EXPECT_EQ(entradas, 1);
}

TEST(Mascaras, CarpetaInexistenteEsUnError) {
    prueba::CarpetaTemporal tmp;
    try {
        AgregaMascaras(tmp / "no/hay/consultas.tms", {MascaraConsulta{}});
        FAIL() << "sin error";
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), err::kAccesoRuta);
        EXPECT_NE(std::string(e.what()).find("consultas.tms"), std::string::npos);
    }
    EXPECT_THROW(CreaArchivoMascaras(tmp / "no/hay/consultas.tms", {}), ErrorTamaris);
}

TEST(Mascaras, LasOnceMascarasPorDefecto) {
    prueba::CarpetaTemporal tmp;
    PuertosPrueba puertos;
    Sistema sis(puertos.ui());
    sis.consultas.gRutaMascaraConsultas = tmp / "consultas.tms";
    CreaMascarasConsultas(sis);

    const std::string bytes = LeeArchivo(sis.consultas.gRutaMascaraConsultas);
    ASSERT_EQ(bytes.size(), 11u * 1202u);
    const struct {
        const char *titulo, *tabla, *columnas;
    } esperado[] = {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|"},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|"},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|"},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|"},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|"},
        {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|"},
        {"TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|"},
        {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|"},
        {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|"},
    };
    for (std::size_t i = 0; i < 11; ++i) {
        SCOPED_TRACE(esperado[i].titulo);
        const auto campo = [](const std::string& t, std::size_t ancho) {
            return t + std::string(ancho - t.size(), ' ');
        };
        EXPECT_EQ(bytes.substr(i * 1202, 1202),
                  campo(esperado[i].titulo, 100) + campo(esperado[i].tabla, 100) +
                      campo(esperado[i].columnas, 500) + std::string(500, ' ') + "\r\n");
    }
    // The first record, byte for byte.
    EXPECT_EQ(bytes.substr(0, 1202), "ARTICULOS" + Blancos(91) + "V_MA_ARTICULOS" + Blancos(86) +
                                         "|DESCRIPCION|IDARTICULO|" + Blancos(476) + Blancos(500) +
                                         "\r\n");

    // Called again on an existing file, it writes the records after the ones there.
    CreaMascarasConsultas(sis);
    EXPECT_EQ(LeeArchivo(sis.consultas.gRutaMascaraConsultas), bytes + bytes);
}

TEST(Formatos, FormatosFijos) {
    EXPECT_EQ(FormatoFechaHora(), "dd/mm/yy hh:mm");
    EXPECT_EQ(FormatoFecha(), "dd/mm/yy");
    EXPECT_EQ(FormatoHora(), "hh:mm");
    const Fecha f{2013, 1, 5, 9, 7, 30};
    EXPECT_EQ(FechaConFormato(f, FormatoFechaHora()), "05/01/13 09:07");
    EXPECT_EQ(FechaConFormato(f, FormatoFecha()), "05/01/13");
    EXPECT_EQ(FechaConFormato(f, FormatoHora()), "09:07");
    EXPECT_TRUE(Ahora().EsValida());
}

}  // namespace
}  // namespace tamaris
