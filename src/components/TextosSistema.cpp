#include "components/TextosSistema.h"

#include <cerrno>
#include <cstring>

namespace tamaris {

namespace {

struct Traduccion {
    int error;             // errno value; 0 for a SQLite text
    const char* original;  // as the GNU C library or SQLite words it
    const char* espanol;
};

constexpr Traduccion kTabla[] = {
    {ENOENT, "No such file or directory", "no existe el archivo o la carpeta"},
    {EACCES, "Permission denied", "permiso denegado"},
    {EPERM, "Operation not permitted", "operación no permitida"},
    {EROFS, "Read-only file system", "el sistema de archivos es de solo lectura"},
    {ENOSPC, "No space left on device", "no queda espacio en el disco"},
#ifdef EDQUOT
    {EDQUOT, "Disk quota exceeded", "se superó la cuota de disco"},
#endif
    {EEXIST, "File exists", "el archivo ya existe"},
    {ENOTDIR, "Not a directory", "una parte de la ruta no es una carpeta"},
    {EISDIR, "Is a directory", "la ruta es una carpeta"},
    {EIO, "Input/output error", "error de entrada o salida del dispositivo"},
    {EBADF, "Bad file descriptor", "descriptor de archivo no válido"},
    {ENOMEM, "Cannot allocate memory", "no hay memoria suficiente"},
    {EPIPE, "Broken pipe", "el otro extremo de la tubería se cerró"},
    {EMFILE, "Too many open files", "demasiados archivos abiertos"},
    {ENAMETOOLONG, "File name too long", "el nombre del archivo es demasiado largo"},
    {EBUSY, "Device or resource busy", "el dispositivo o recurso está ocupado"},
    {EFBIG, "File too large", "el archivo es demasiado grande"},
    {EINVAL, "Invalid argument", "argumento no válido"},
    {ETXTBSY, "Text file busy", "el archivo está en uso"},
    {0, "file is not a database", "el archivo no es una base de datos"},
    {0, "database disk image is malformed", "la imagen en disco de la base de datos está dañada"},
    {0, "database is locked", "la base de datos está bloqueada"},
    {0, "database table is locked", "una tabla está bloqueada por otra sentencia en curso"},
    {0, "disk I/O error", "error de entrada o salida del disco"},
    {0, "unable to open database file", "no se puede abrir el archivo de base de datos"},
    {0, "attempt to write a readonly database",
     "se intentó escribir en una base de datos de solo lectura"},
    {0, "database or disk is full", "la base de datos o el disco están llenos"},
    {0, "access permission denied", "permiso de acceso denegado"},
    {0, "out of memory", "memoria agotada"},
    {0, "authorization denied", "autorización denegada"},
};

}  // namespace

std::string TextoSistema(int error) {
    for (const Traduccion& t : kTabla)
        if (t.error != 0 && t.error == error) return t.espanol;
    return std::strerror(error);
}

std::string TextoSqlite(std::string_view original) {
    for (const Traduccion& t : kTabla)
        if (t.error == 0 && original == t.original) return t.espanol;
    return std::string(original);
}

std::string ConTextosOriginales(std::string_view mensaje) {
    std::string r(mensaje);
    for (const Traduccion& t : kTabla) {
        const std::string_view es = t.espanol;
        std::size_t p = r.find(es);
        if (p == std::string::npos ||
            r.find(std::string("[") + t.original + "]") != std::string::npos)
            continue;
        p += es.size();
        const std::string nota = std::string(" [") + t.original + "]";
        r.insert(p, nota);
    }
    return r;
}

}  // namespace tamaris
