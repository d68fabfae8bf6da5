#include "components/Estacion.h"

#include "components/Plataforma.h"

namespace tamaris {

namespace pl = plataforma;

std::string Estacion::NombreMaquina() { return pl::NombreEquipo(); }

std::string Estacion::Identidad() { return pl::NombreUsuario(); }

std::string Estacion::CarpetaDefecto() { return CarpetaDatos(); }

std::string CarpetaPrograma() {
    const std::string exe = pl::RutaEjecutable();
    const std::size_t barra = pl::UltimoSeparador(exe);
    if (barra == std::string::npos) return pl::ConSeparador(".");
    return exe.substr(0, barra + 1);
}

std::string NombrePrograma() {
    const std::string exe = pl::RutaEjecutable();
    std::string nombre = pl::NombreBase(exe);
    const std::size_t punto = nombre.rfind('.');
    if (punto != std::string::npos && punto > 0) nombre.resize(punto);
    return nombre;
}

std::string CarpetaDatos() { return CarpetaDatosDe(CarpetaPrograma()); }

std::string CarpetaDatosDe(const std::string& carpetaPrograma) {
    std::string carpeta = pl::Variable("TAMARIS_HOME");
    if (carpeta.empty()) {
        // Run as root, an installed program could write beside itself, and would leave files
        // in /usr/bin that no package owns and its removal leaves behind.
        if (!pl::CarpetaDeProgramasDelSistema(carpetaPrograma) &&
            pl::CarpetaEscribible(carpetaPrograma))
            return pl::ConSeparador(carpetaPrograma);
        carpeta = pl::CarpetaDatosUsuario();
    }
    carpeta = pl::ConSeparador(carpeta);
    // A folder that cannot be created shows up later, as the error of the file written there.
    pl::CreaCarpetas(carpeta.substr(0, carpeta.size() - 1));
    return carpeta;
}

}  // namespace tamaris
