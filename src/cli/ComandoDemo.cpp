#include <filesystem>

#include "cli/Cli.h"
#include "cli/Demo.h"
#include "components/Plataforma.h"

namespace tamaris::cli {

namespace {

class Demo : public Comando {
  public:
    std::string Nombre() const override { return "demo"; }
    std::string Uso() const override {
        return "demo --db ARCHIVO.db [--filas N] [--semilla S] [--con-errores]";
    }
    std::string Ayuda() const override {
        return "Crea (o reemplaza) una base de datos SQLite con las tablas del sistema Tamaris "
               "que\n"
               "este programa lee y escribe, y datos de ejemplo: N asientos (5000 por defecto)\n"
               "con facturas, notas de débito y de crédito de letras A, B y C, otros\n"
               "comprobantes que no se exportan, varias cuentas y meses de 2013 y 2014.\n\n"
               "  --db ARCHIVO   base de datos a crear; la anterior se reemplaza solo si la nueva\n"
               "                 se completa\n"
               "  --filas N      cantidad de asientos (1 a 100000000)\n"
               "  --semilla S    semilla de los datos (los mismos datos para la misma semilla)\n"
               "  --con-errores  agrega en enero de 2013 unos comprobantes con errores de cada\n"
               "                 clase (CUIT inválido, nombre largo, caracteres que Windows-1252\n"
               "                 no admite, clave desconocida, importe vacío, sin fecha), para\n"
               "                 probar la revisión; sin esta opción todos se presentan limpios\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        const Opciones op(args, {"--db", "--filas", "--semilla"}, {"--con-errores"});
        std::string error = op.ErrorUso();
        if (error.empty() && !op.Tiene("--db")) error = "falta --db ARCHIVO";
        OpcionesDemo opciones;
        opciones.conErrores = op.Tiene("--con-errores");
        if (error.empty() && op.Tiene("--filas")) {
            const std::string f = op.Valor("--filas");
            if (!EsEnteroPositivo(f, 100000000)) {
                error = "--filas debe ser un número entero entre 1 y 100000000: " + f;
            } else {
                opciones.filas = std::stol(f);
            }
        }
        if (error.empty() && op.Tiene("--semilla")) {
            const std::string v = op.Valor("--semilla");
            if (!EsEnteroPositivo(v, 4294967295L)) {
                error = "--semilla debe ser un número entero positivo: " + v;
            } else {
                opciones.semilla = static_cast<unsigned>(std::stoul(v));
            }
        }
        if (!error.empty()) {
            s.err << "percepciones-cli demo: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }
        const std::string archivo = op.Valor("--db");
        const ResumenDemo r = CreaDemo(archivo, opciones);
        s.out << "Base de datos de demostración: " << plataforma::RutaAbsoluta(archivo) << "\n"
              << "Asientos: " << r.asientos << " (" << r.exportables
              << " con percepción para exportar)\n";
        if (r.conErrores > 0)
            s.out << "Comprobantes con errores para probar la revisión: " << r.conErrores << "\n";
        return kExitoCli;
    }

  private:
    static bool EsEnteroPositivo(const std::string& t, long maximo) {
        if (t.empty() || t.size() > 10) return false;
        for (char c : t)
            if (c < '0' || c > '9') return false;
        const long long v = std::stoll(t);
        return v >= 1 && v <= maximo;
    }
};

}  // namespace

std::unique_ptr<Comando> ComandoDemo() { return std::make_unique<Demo>(); }

}  // namespace tamaris::cli
