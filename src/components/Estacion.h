#pragma once
// Workstation and settings objects.

#include <string>

namespace tamaris {

struct Estacion {
    // Machine name (host name).
    static std::string NombreMaquina();
    // Second identity text of the workstation: the operating-system user.
    static std::string Identidad();
    // Default folder: the program's data folder (see CarpetaDatos).
    static std::string CarpetaDefecto();
};

// Folder of the program's own files (lookup masks, error log, column widths, INI): the
// environment variable TAMARIS_HOME when set; else, for a program run from a build or unpacked
// folder it may write in, that folder; else (an installed program, under /usr, /opt or
// Program Files) the user's data folder ($XDG_DATA_HOME/tamaris or ~/.local/share/tamaris; on
// Windows %APPDATA%\Tamaris). Ends in a separator.
// The folder is created when missing.
std::string CarpetaDatos();
// The same choice for a program whose folder is `carpetaPrograma`.
std::string CarpetaDatosDe(const std::string& carpetaPrograma);
// Folder of the running executable, ending in a separator.
std::string CarpetaPrograma();
// Executable name without extension.
std::string NombrePrograma();

// Settings object: receives the application folder at start-up.
struct Configuracion {
    std::string CarpetaAplicacion;
};

}  // namespace tamaris
