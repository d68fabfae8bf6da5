// The system's and SQLite's failure texts reach the operator in Spanish whatever the process
// locale, and the error log keeps their original wording next to it.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "BasesPrueba.h"
#include "components/ArchivoTexto.h"
#include "components/Plataforma.h"
#include "components/TextosSistema.h"
#include "data/Conexion.h"
#include "data/DB_Dll.h"

namespace tamaris {
namespace {

TEST(TextosSistema, ErroresDelSistemaEnCastellano) {
    struct Caso {
        int error;
        const char* texto;
    };
    const Caso casos[] = {
        {ENOENT, "no existe el archivo o la carpeta"},
        {EACCES, "permiso denegado"},
        {EROFS, "el sistema de archivos es de solo lectura"},
        {ENOSPC, "no queda espacio en el disco"},
        {EIO, "error de entrada o salida del dispositivo"},
        {ENOTDIR, "una parte de la ruta no es una carpeta"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(plataforma::TextoError(c.error), c.texto);
        // The log line carries what the system itself said.
        const std::string linea = LineaLogErrores("Rutina", std::string("Falla: ") + c.texto, 0);
        EXPECT_NE(linea.find(std::string(c.texto) + " [" + std::strerror(c.error) + "]"),
                  std::string::npos)
            << linea;
    }
    // One the table does not hold keeps the C library's text.
    EXPECT_EQ(plataforma::TextoError(EDOM), std::strerror(EDOM));
}

TEST(TextosSistema, TextosDeSqliteEnCastellano) {
    struct Caso {
        const char* original;
        const char* texto;
    };
    const Caso casos[] = {
        {"file is not a database", "el archivo no es una base de datos"},
        {"database is locked", "la base de datos está bloqueada"},
        {"disk I/O error", "error de entrada o salida del disco"},
        {"attempt to write a readonly database",
         "se intentó escribir en una base de datos de solo lectura"},
        {"unable to open database file", "no se puede abrir el archivo de base de datos"},
        // Only whole texts: a statement's own words are left alone.
        {"near \"SELEC\": syntax error", "near \"SELEC\": syntax error"},
    };
    for (const Caso& c : casos) EXPECT_EQ(TextoSqlite(c.original), c.texto);
}

// Where the texts reach a message: a file that cannot be written, a file that is no database.
TEST(TextosSistema, LlegaEnCastellanoAlMensaje) {
    try {
        ArchivoSeguro a("/no/existe/esta/carpeta/salida.txt");
        a.EscribeLinea("x");
        a.Confirmar();
        ADD_FAILURE() << "no falló";
    } catch (const ErrorTamaris& e) {
        EXPECT_NE(std::string(e.what()).find("no existe el archivo o la carpeta"),
                  std::string::npos)
            << e.what();
        EXPECT_EQ(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
    }
    const std::string archivo = prueba::ArchivoTemporal("texto");
    std::ofstream(archivo) << std::string(4096, 'x');
    Conexion cn;
    const ErrorBD e = prueba::ErrorDe([&] { cn.Open(prueba::CadenaNativa(archivo)); });
    EXPECT_NE(std::string(e.what()).find("el archivo no es una base de datos"), std::string::npos)
        << e.what();
    EXPECT_EQ(std::string(e.what()).find("file is not a database"), std::string::npos) << e.what();
    std::remove(archivo.c_str());
}

}  // namespace
}  // namespace tamaris
