// The start-up parameter line, the server text, the workstation's INI sections and the
// connection texts start-up builds.

#include <gtest/gtest.h>

#include "Ayudas.h"
#include "app/Inicio.h"
#include "components/Ini.h"

namespace tamaris {
namespace {

TEST(Parametros, LineaDeLaSuite) {
    const ParametrosInicio p = LeeParametros(
        "@server=SRV01; @dbname= TAMARIS; @usuario= ana; @Password= clave; "
        "@ParametroAdicional=; @Caja=1;orva@");
    EXPECT_EQ(p, (ParametrosInicio{"SRV01", "TAMARIS", "ana", "clave", "", "1"}));
}

TEST(Parametros, CadaRegla) {
    struct Caso {
        const char* nombre;
        std::string linea;
        ParametrosInicio previos;
        ParametrosInicio esperado;
    };
    const ParametrosInicio vacios;
    const Caso casos[] = {
        {"linea vacia: todo vacio, caja 1", "", vacios, {"", "", "", "", "", "1"}},
        {"claves en cualquier caja y orden",
         "@CAJA=3;@password=p;@sErVeR=s;@DBNAME=d;",
         vacios,
         {"s", "d", "", "p", "", "3"}},
        {"valor recortado", "@Server=   S 1   ;", vacios, {"S 1", "", "", "", "", "1"}},
        {"se quitan todos los =", "@Password= a=b==c= ;", vacios, {"", "", "", "abc", "", "1"}},
        {"== delante del valor", "@Server==x;", vacios, {"x", "", "", "", "", "1"}},
        {"valor vacio", "@Server=;@Caja=;", vacios, {"", "", "", "", "", ""}},
        {"caja al final sin ; queda vacia la primera vez",
         "@Server=s; @Caja=5",
         vacios,
         {"s", "", "", "", "", ""}},
        {"caja al final sin ; conserva el valor anterior",
         "@Caja=5",
         {"", "", "", "", "", "7"},
         {"", "", "", "", "", "7"}},
        {"clave sin ; conserva el valor anterior",
         "@Usuario=u; @Server=nuevo",
         {"viejo", "", "", "", "", ""},
         {"viejo", "", "u", "", "", "1"}},
        {"un ; anterior a la clave no cuenta", "a;@Server=x", vacios, {"", "", "", "", "", "1"}},
        {"clave ausente toma el defecto aunque hubiera valor antes",
         "@Server=s;",
         {"s0", "d0", "u0", "p0", "l0", "9"},
         {"s", "", "", "", "", "1"}},
        {"la primera aparicion manda",
         "@Server=uno; @Server=dos;",
         vacios,
         {"uno", "", "", "", "", "1"}},
        {"@Usuario antes de @UsuarioLogeado",
         "@Usuario=ana; @UsuarioLogeado=Pepe;",
         vacios,
         {"", "", "ana", "", "Pepe", "1"}},
        {"@UsuarioLogeado primero: @Usuario lo toma por prefijo",
         "@UsuarioLogeado=pepe; @Usuario=ana;",
         vacios,
         {"", "", "Logeadopepe", "", "pepe", "1"}},
        {"sin ; entre items el valor sigue hasta el siguiente",
         "@Server=a @DbName=b;",
         vacios,
         {"a @DbNameb", "b", "", "", "", "1"}},
        {"@Menu y @ParametroAdicional no cuentan",
         "@Menu=1; @ParametroAdicional=@Caja;",
         vacios,
         {"", "", "", "", "", ""}},
        {"servidor Oracle conserva el #", "@server=#ORA;", vacios, {"#ORA", "", "", "", "", "1"}},
        {"clave sin valor ni ;",
         "@Server",
         {"s0", "", "", "", "", ""},
         {"s0", "", "", "", "", "1"}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const ParametrosInicio p = LeeParametros(c.linea, c.previos);
        EXPECT_EQ(p.Server, c.esperado.Server);
        EXPECT_EQ(p.DbName, c.esperado.DbName);
        EXPECT_EQ(p.Usuario, c.esperado.Usuario);
        EXPECT_EQ(p.Password, c.esperado.Password);
        EXPECT_EQ(p.UsuarioLogeado, c.esperado.UsuarioLogeado);
        EXPECT_EQ(p.Caja, c.esperado.Caja);
    }
}

TEST(Parametros, ValorDeUnaClave) {
    struct Caso {
        std::string linea, clave, anterior, siAusente, esperado;
    };
    const Caso casos[] = {
        {"@Caja=2;", "@Caja", "x", "1", "2"},   {"@caja=2;", "@CAJA", "x", "1", "2"},
        {"@Server=s;", "@Caja", "x", "1", "1"}, {"@Caja=2", "@Caja", "x", "1", "x"},
        {"@Caja;", "@Caja", "x", "1", ""},      {"@Caja =  = 4 ;", "@Caja", "x", "1", "4"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.linea);
        EXPECT_EQ(ValorParametro(c.linea, c.clave, c.anterior, c.siAusente), c.esperado);
    }
}

TEST(Parametros, ExtraeServidor) {
    struct Caso {
        std::string texto, esperado;
    };
    const Caso casos[] = {
        {"SRV01", "SRV01"},
        {"tcp/dbhost:1433", "dbhost"},
        {"TCP/DBHOST", "DBHOST"},
        {"dbhost:1433", "dbhost:1433"},  // without a protocol the text stays as it is
        {"a/b/c", "b/c"},
        {"a/b:c:d", "b"},
        {"/x", "x"},
        {"x/", ""},
        {"x/:1", ""},
        {"", ""},
        {"SRV\\SQLEXPRESS", "SRV\\SQLEXPRESS"},
        {"srv,1433", "srv,1433"},
        {"#ORA", "#ORA"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(ExtraeServidor(c.texto), c.esperado);
    }
}

TEST(Parametros, LineaArmada) {
    EXPECT_EQ(ArmaLineaParametros("S", "D", "U", "P"),
              "@server=S; @dbname= D; @usuario= U; @Password= P; @ParametroAdicional=; "
              "@Caja=1;orva@");
    const ParametrosInicio p = LeeParametros(ArmaLineaParametros("S", "D", "U", "P"));
    EXPECT_EQ(p, (ParametrosInicio{"S", "D", "U", "P", "", "1"}));
}

TEST(Parametros, CadenaOracle) {
    EXPECT_EQ(CadenaOracle("ORCL", "u", "p"),
              "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");
}

TEST(Parametros, LineaDeComandos) {
    const char* argv[] = {"/opt/tamaris/percepciones", "@server=S;", "@dbname=", "D;"};
    EXPECT_EQ(LineaDeComandos(4, argv), "@server=S; @dbname= D;");
    EXPECT_EQ(LineaDeComandos(1, argv), "");
}

TEST(Parametros, CadenaDeArchivoLocal) {
    EXPECT_EQ(CadenaArchivoLocal("/datos/suite.db"),
              "Provider=SQLite;Data Source=/datos/suite.db;");
    EXPECT_EQ(CadenaArchivoLocal("/datos/a;b}.db"),
              "Provider=SQLite;Data Source={/datos/a;b}}.db};");
    EXPECT_EQ(CadenaConexion(CadenaArchivoLocal("/datos/a;b}.db")).Valor({"Data Source"}),
              "/datos/a;b}.db");
    EXPECT_TRUE(EsCadenaArchivoLocal("Provider=SQLite;Data Source=x.db;"));
    EXPECT_TRUE(EsCadenaArchivoLocal("Provider=Microsoft.Jet.OLEDB.4.0;Data Source =x.mdb;"));
    EXPECT_FALSE(EsCadenaArchivoLocal("DRIVER={SQLite3};Database=x.db;"));
    EXPECT_FALSE(EsCadenaArchivoLocal("PROVIDER=SQLOLEDB;Server=s;Database =d;UId=u;Pwd=p;"));
    EXPECT_FALSE(EsCadenaArchivoLocal("Provider=Nada;"));
    EXPECT_FALSE(EsCadenaArchivoLocal(""));
}

TEST(Ini, SeccionesDelPuesto) {
    EXPECT_EQ(SeccionEstacion("pc-01", "ana"), "PC-01|ANA");
    EXPECT_EQ(SeccionBaseDeDatos("pc-01", "ana"), "PC-01|ANABaseDeDatos");

    const std::string maquina(40, 'm');
    const std::string identidad = "operador-de-ventas";
    const std::string completa = std::string(40, 'M') + "|OPERADOR-DE-VENTAS";
    EXPECT_EQ(SeccionEstacion(maquina, identidad), completa.substr(0, 50));
    EXPECT_EQ(SeccionEstacion(maquina, identidad).size(), 50u);
    // The database section is never cut.
    EXPECT_EQ(SeccionBaseDeDatos(maquina, identidad), completa + "BaseDeDatos");
    // Characters, not bytes, are counted.
    EXPECT_EQ(SeccionEstacion(std::string(48, 'a'), "ñandú"), std::string(48, 'A') + "|Ñ");
    EXPECT_EQ(SeccionEstacion("a", ""), "A|");
}

TEST(Ini, LineaDesdeElIni) {
    prueba::CarpetaTemporal tmp;
    const std::string ini = tmp / "QX000pr.INI";
    const std::string seccion = SeccionBaseDeDatos("pc", "ana");
    GrabaIni(ini, seccion, "Servidor", "tcp/srv|01:1433");
    GrabaIni(ini, seccion, "DbName", "TAM|ARIS");
    GrabaIni(ini, seccion, "Usuario", Encripta("ope|rador"));
    GrabaIni(ini, seccion, "UserPassWord", Encripta("cl@ve=1"));
    EXPECT_EQ(LineaDesdeIni(ini, "pc", "ana"),
              ArmaLineaParametros("tcp/srv01:1433", "TAMARIS", "operador", "cl@ve=1"));

    // Another workstation, or no file at all: the suite's default credentials.
    const std::string porDefecto = ArmaLineaParametros("", "", "Tamaris", "mirlaso");
    EXPECT_EQ(LineaDesdeIni(ini, "otra", "ana"), porDefecto);
    EXPECT_EQ(LineaDesdeIni(tmp / "no_existe.INI", "pc", "ana"), porDefecto);
}

}  // namespace
}  // namespace tamaris
