// The README against the program itself: the recipes on the demo ledger run as written and end
// with the code their comment gives, and its synopsis is what --help prints, line for line.
// Commands and options change in the code; this keeps the text that readers copy from lagging.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "soporte/Proceso.h"

namespace {

namespace fs = std::filesystem;

struct Bloque {
    std::string info;  // what follows the opening fence: "sh receta-demo"
    std::vector<std::string> lineas;
};

std::string Recorta(const std::string& s) {
    const auto a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// The fenced blocks of a Markdown text; a line ending in "\" goes on in the next one.
std::vector<Bloque> Bloques(const std::string& texto) {
    std::vector<Bloque> r;
    std::istringstream in(texto);
    std::string linea;
    bool dentro = false;
    while (std::getline(in, linea)) {
        const std::string l = Recorta(linea);
        if (l.rfind("```", 0) == 0) {
            if (!dentro) r.push_back({Recorta(l.substr(3)), {}});
            dentro = !dentro;
            continue;
        }
        if (!dentro) continue;
        auto& lineas = r.back().lineas;
        if (!lineas.empty() && !lineas.back().empty() && lineas.back().back() == '\\') {
            lineas.back().pop_back();
            lineas.back() += " " + l;
        } else {
            lineas.push_back(l);
        }
    }
    return r;
}

std::vector<std::string> LineasDe(const std::string& info) {
    const std::string readme = prueba::LeeArchivo(std::string(TAMARIS_TEST_DIR) + "/../README.md");
    std::vector<std::string> r;
    for (const Bloque& b : Bloques(readme))
        if (b.info == info)
            for (const std::string& l : b.lineas)
                if (!l.empty() && l[0] != '#') r.push_back(l);
    return r;
}

// A recipe line: the command, the exit code its comment names ("# código 3", 0 when none) and
// the file it says it writes ("# escribe afip/ENE013.TXT").
struct Receta {
    std::string comando, escribe;
    int codigo = 0;
};

Receta LeeReceta(const std::string& linea) {
    Receta r;
    const auto numeral = linea.find(" # ");
    r.comando = Recorta(linea.substr(0, numeral));
    if (numeral == std::string::npos) return r;
    const std::string comentario = linea.substr(numeral + 3);
    if (const auto c = comentario.find("código "); c != std::string::npos)
        r.codigo = std::stoi(comentario.substr(c + std::string("código ").size()));
    if (const auto e = comentario.find("escribe "); e != std::string::npos) {
        std::istringstream palabras(comentario.substr(e + std::string("escribe ").size()));
        palabras >> r.escribe;
    }
    return r;
}

TEST(Readme, LasRecetasSobreLaBaseDeDemostracionCorrenComoDiceElTexto) {
    SOLO_POSIX("las recetas son líneas de un shell POSIX");
    const std::vector<std::string> lineas = LineasDe("sh receta-demo");
    ASSERT_GE(lineas.size(), 5u) << "el README no tiene el bloque ```sh receta-demo";
    prueba::CarpetaTemporal dir;
    const std::string registro = dir / "salida.log";
    const std::string programa = "percepciones-cli ";
    for (const std::string& linea : lineas) {
        const Receta r = LeeReceta(linea);
        std::string comando = r.comando;
        if (comando.rfind(programa, 0) == 0) {
            ASSERT_NE(comando.find("--db"), std::string::npos)
                << "solo van recetas sobre la base de demostración: " << linea;
            comando = prueba::Comillas(TAMARIS_CLI_EXE) + comando.substr(programa.size() - 1);
        }
        const int codigo = prueba_sistema::Ejecuta("cd " + prueba::Comillas(dir.ruta().string()) +
                                                   " && " + comando + " >" +
                                                   prueba::Comillas(registro) + " 2>&1 </dev/null");
        EXPECT_EQ(codigo, r.codigo) << linea << "\n" << prueba::LeeArchivo(registro);
        if (!r.escribe.empty()) EXPECT_TRUE(fs::is_regular_file(dir.ruta() / r.escribe)) << linea;
    }
}

TEST(Readme, LaSinopsisEsLaDeLaAyuda) {
    const std::vector<std::string> sinopsis = LineasDe("sh sinopsis");
    ASSERT_FALSE(sinopsis.empty()) << "el README no tiene el bloque ```sh sinopsis";
    const prueba::Salida ayuda = prueba::Corre(TAMARIS_CLI_EXE, {"--help"});
    ASSERT_EQ(ayuda.codigo, 0);
    std::set<std::string> deLaAyuda;
    std::istringstream in(ayuda.out);
    for (std::string l; std::getline(in, l);)
        if (Recorta(l).rfind("percepciones-cli ", 0) == 0) deLaAyuda.insert(Recorta(l));
    const std::set<std::string> delReadme(sinopsis.begin(), sinopsis.end());
    for (const std::string& l : delReadme)
        EXPECT_TRUE(deLaAyuda.count(l)) << "el README dice y --help no:\n" << l;
    for (const std::string& l : deLaAyuda)
        EXPECT_TRUE(delReadme.count(l)) << "--help dice y el README no:\n" << l;
}

}  // namespace
