#pragma once
// The database access dialog as the connection object uses it: four text fields, a platform
// list whose index 0 is SQL Server and whose higher indexes mean Oracle, and an accepted flag.

#include <string>

namespace tamaris {

class AccesoDialogo {
public:
    virtual ~AccesoDialogo() = default;
    std::string BaseDatos, Servidor, Usuario, Password;
    int Plataforma = 0;
    bool Aceptado = false;
    // Shows the dialog modally; sets the fields and Aceptado.
    virtual void MostrarModal() = 0;
};

}  // namespace tamaris
