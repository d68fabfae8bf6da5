#include "components/Estacion.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace tamaris {

namespace {

std::string ConBarra(std::string s) {
    if (!s.empty() && s.back() != '/') s.push_back('/');
    return s;
}

std::string Variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

std::string Ejecutable() {
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

// mkdir -p; true when the folder exists afterwards.
bool CreaCarpetas(const std::string& ruta) {
    struct stat st;
    if (::stat(ruta.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    for (std::size_t i = 1; i <= ruta.size(); ++i) {
        if (i == ruta.size() || ruta[i] == '/') {
            const std::string parte = ruta.substr(0, i);
            if (::mkdir(parte.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return ::stat(ruta.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string Estacion::NombreMaquina() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) == 0 && buf[0] != '\0') return buf;
    const std::string h = Variable("HOSTNAME");
    return h.empty() ? "localhost" : h;
}

std::string Estacion::Identidad() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && pw->pw_name[0]) {
        return pw->pw_name;
    }
    // Containers often run with a user id that has no entry in the password database.
    std::string u = Variable("USER");
    if (u.empty()) u = Variable("LOGNAME");
    return u;
}

std::string Estacion::CarpetaDefecto() { return CarpetaDatos(); }

std::string CarpetaPrograma() {
    const std::string exe = Ejecutable();
    const std::size_t barra = exe.rfind('/');
    if (barra == std::string::npos) return "./";
    return exe.substr(0, barra + 1);
}

std::string NombrePrograma() {
    const std::string exe = Ejecutable();
    std::string nombre = exe.substr(exe.rfind('/') + 1);
    const std::size_t punto = nombre.rfind('.');
    if (punto != std::string::npos && punto > 0) nombre.resize(punto);
    return nombre;
}

std::string CarpetaDatos() {
    std::string carpeta = Variable("TAMARIS_HOME");
    if (carpeta.empty()) {
        const std::string programa = CarpetaPrograma();
        if (::access(programa.c_str(), W_OK) == 0) return programa;
        const std::string xdg = Variable("XDG_DATA_HOME");
        if (!xdg.empty() && xdg.front() == '/') {
            carpeta = ConBarra(xdg) + "tamaris";
        } else {
            std::string home = Variable("HOME");
            if (home.empty()) {
                if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) home = pw->pw_dir;
            }
            carpeta = ConBarra(home.empty() ? std::string("/tmp") : home) + ".local/share/tamaris";
        }
    }
    carpeta = ConBarra(carpeta);
    // A folder that cannot be created shows up later, as the error of the file written there.
    CreaCarpetas(carpeta.substr(0, carpeta.size() - 1));
    return carpeta;
}

}  // namespace tamaris
