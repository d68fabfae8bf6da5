#include "cli/Cli.h"

#include <algorithm>

#include "components/Error.h"
#include "data/DB_Dll.h"

namespace tamaris::cli {

Opciones::Opciones(const std::vector<std::string>& args, const std::vector<std::string>& conValor,
                   const std::vector<std::string>& banderas) {
    const auto esta = [](const std::vector<std::string>& v, const std::string& x) {
        return std::find(v.begin(), v.end(), x) != v.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string nombre = args[i];
        std::string valor;
        bool tieneValor = false;
        if (nombre.rfind("--", 0) == 0) {
            const auto igual = nombre.find('=');
            if (igual != std::string::npos) {
                valor = nombre.substr(igual + 1);
                nombre = nombre.substr(0, igual);
                tieneValor = true;
            }
        }
        if (esta(conValor, nombre)) {
            if (!tieneValor) {
                if (i + 1 >= args.size()) {
                    error_ = "falta el valor de " + nombre;
                    return;
                }
                valor = args[++i];
            }
        } else if (esta(banderas, nombre) && !tieneValor) {
        } else {
            error_ = "opción desconocida: " + args[i];
            return;
        }
        if (Tiene(nombre)) {
            error_ = "opción repetida: " + nombre;
            return;
        }
        valores_.emplace_back(nombre, valor);
    }
}

bool Opciones::Tiene(const std::string& nombre) const {
    return std::any_of(valores_.begin(), valores_.end(),
                       [&](const auto& p) { return p.first == nombre; });
}

std::string Opciones::Valor(const std::string& nombre, const std::string& defecto) const {
    for (const auto& [n, v] : valores_)
        if (n == nombre) return v;
    return defecto;
}

namespace {

std::vector<std::unique_ptr<Comando>> Comandos() {
    std::vector<std::unique_ptr<Comando>> c;
    c.push_back(ComandoDemo());
    c.push_back(ComandoExportar());
    c.push_back(ComandoCiti());
    c.push_back(ComandoLibroIva());
    c.push_back(ComandoVerificar());
    c.push_back(ComandoArba());
    return c;
}

void AyudaGeneral(std::ostream& o, const std::vector<std::unique_ptr<Comando>>& comandos) {
    o << "percepciones-cli: genera el archivo de percepciones de Ingresos Brutos del sistema "
         "Tamaris.\n\nUso:\n";
    for (const auto& c : comandos) o << "  percepciones-cli " << c->Uso() << "\n";
    o << "  percepciones-cli COMANDO --help\n\n"
         "Códigos de salida: 0 correcto, 1 error, 2 uso incorrecto, 3 la revisión encontró\n"
         "comprobantes o líneas que se informarían mal (--revisar, --estricto, verificar);\n"
         "130, 143 o 129 si Ctrl-C, SIGTERM o SIGHUP lo interrumpió (sin dejar el archivo\n"
         "temporal).\n";
}

}  // namespace

void ImprimeHallazgos(std::ostream& os, const Hallazgos& h, std::string_view prefijo) {
    for (const Hallazgo& x : h.lista) os << prefijo << TextoHallazgo(x) << "\n";
    const long resto = h.total - static_cast<long>(h.lista.size());
    if (resto > 0) os << prefijo << "… y " << resto << " hallazgos más\n";
}

int InformaRevisado(Salidas& s, const Hallazgos& h, long revisados) {
    ImprimeHallazgos(s.out, h);
    s.out << "Comprobantes revisados: " << revisados << "; hallazgos: " << h.total << "\n";
    return h.Vacio() ? kExitoCli : kHallazgosCli;
}

int InformaDescartado(Salidas& s, const Hallazgos& h, std::string_view archivo) {
    ImprimeHallazgos(s.err, h);
    s.err << "La revisión encontró " << h.total << " problemas: no se generó el archivo";
    if (!archivo.empty()) s.err << " " << archivo;
    s.err << "; si existía uno anterior, quedó como estaba.\n";
    return kHallazgosCli;
}

int EjecutaCli(const std::vector<std::string>& args, Salidas& s) {
    const auto comandos = Comandos();
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "ayuda") {
        AyudaGeneral(args.empty() ? s.err : s.out, comandos);
        return args.empty() ? kUsoIncorrecto : kExitoCli;
    }
    for (const auto& c : comandos) {
        if (c->Nombre() != args[0]) continue;
        const std::vector<std::string> resto(args.begin() + 1, args.end());
        if (std::find(resto.begin(), resto.end(), "--help") != resto.end()) {
            s.out << "Uso: percepciones-cli " << c->Uso() << "\n\n" << c->Ayuda();
            return kExitoCli;
        }
        try {
            return c->Ejecutar(resto, s);
        } catch (const std::exception& e) {
            const ErrorInfo info = InfoDeExcepcion(e);
            s.err << "Error " << info.Numero << ": " << OcultaClaves(info.Descripcion) << "\n";
            return kFalloCli;
        }
    }
    s.err << "percepciones-cli: comando desconocido: " << args[0] << "\n\n";
    AyudaGeneral(s.err, comandos);
    return kUsoIncorrecto;
}

}  // namespace tamaris::cli
