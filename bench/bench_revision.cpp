// What the check, the totals and the read-back cost.
//
// Generates (or reuses) a demo database of N accounting entries (1,000,000 by default), then
// times in this process, alternating, the perception export without the check and totals, the
// same export with them, and `verificar` of the file it wrote reconciled with the ledger. Reports
// the best wall time of each and the ratios. What the check and totals add is a CPU cost, and
// CPU seconds on a busy machine are too unsteady to hold a 10 % target: it is compared on the
// instructions each job executes under callgrind, each in a process of its own, on a ledger of
// M entries (100,000 by default).
//
//   bench_revision [--filas N] [--repeticiones R] [--carpeta DIR] [--filas-instrucciones M]
//
// Targets: with check and totals <= 1.10 x the instructions without; read-back with
// reconciliation no slower (wall time) than the export with check and totals: it checks the file
// in a second thread while the first reads the ledger. Exit 0 when both are met, 1 when one is
// not or a run failed.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Medicion.h"
#include "cli/UiConsola.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace {

double Segundos(const std::function<void()>& f) {
    const auto inicio = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

// The three jobs on the ledger in `db`, the file in `archivo`.
class Trabajos {
  public:
    Trabajos(const std::string& db, const std::string& archivo)
        : consola_(nada_, nada_), ui_(consola_.ui()), base_(ui_), filtros_{"", "", "", archivo} {
        base_.OpenLocalADODB("Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + db + ";", "User ID",
                             "Jet OLEDB:Database Password");
        if (!base_.gCnn().Abierta()) {
            std::cerr << "No se pudo abrir " << db << "\n";
            std::exit(1);
        }
        base_.gOpenFlag = true;
    }
    void SinRevision() {
        tamaris::OpcionesExportacion sinRevision;
        sinRevision.revisar = false;
        tamaris::ExportaPercepciones(base_, ui_, filtros_, sinRevision);
    }
    void ConRevision() {
        const auto r = tamaris::ExportaPercepciones(base_, ui_, filtros_);
        lineas = r.comprobantes;
        hallazgos = r.hallazgos.total;
    }
    void Verificar() {
        const auto v = tamaris::VerificaPercepciones(filtros_.archivo, &base_, &ui_, filtros_);
        if (!v.conciliado || v.faltantes || v.sobrantes) {
            std::cerr << "La verificación no concilia\n";
            std::exit(1);
        }
    }
    // One job by name, for a process of its own under callgrind.
    void Corre(const std::string& trabajo) {
        if (trabajo == "sin")
            SinRevision();
        else if (trabajo == "con")
            ConRevision();
        else if (trabajo == "verificar")
            Verificar();
        else
            std::exit(2);
    }
    long lineas = 0, hallazgos = 0;

  private:
    std::ostringstream nada_;
    tamaris::UiConsola consola_;
    tamaris::Ui ui_;
    tamaris::DB_Dll base_;
    tamaris::FiltrosPercepcion filtros_;
};

}  // namespace

int main(int argc, char** argv) {
    // bench_revision --trabajo (sin | con | verificar) BASE ARCHIVO: one job, once.
    if (argc == 5 && std::string(argv[1]) == "--trabajo") {
        Trabajos(argv[3], argv[4]).Corre(argv[2]);
        return 0;
    }
    const medicion::Opciones op = medicion::LeeOpciones(argc, argv);
    const long filas = op.filas;
    const int repeticiones = op.repeticiones;
    const std::string& carpeta = op.carpeta;
    const std::string db = medicion::BaseDemo(TAMARIS_CLI_EXE, carpeta, filas);
    const std::string archivo = carpeta + "/percepciones_revision.txt";
    Trabajos t(db, archivo);

    double sin = 1e300, con = 1e300, verificar = 1e300;
    for (int i = 0; i < repeticiones; ++i) {
        sin = std::min(sin, Segundos([&] { t.SinRevision(); }));
        con = std::min(con, Segundos([&] { t.ConRevision(); }));
        verificar = std::min(verificar, Segundos([&] { t.Verificar(); }));
    }

    // The same jobs counted in instructions, each in a process of its own, on a smaller ledger.
    long long insSin = -1, insCon = -1, insVerificar = -1;
    const long filasIns = op.filasInstrucciones;
    if (filasIns > 0) {
        const std::string yo = std::filesystem::read_symlink("/proc/self/exe").string();
        const std::string dbIns = medicion::BaseDemo(TAMARIS_CLI_EXE, carpeta, filasIns);
        const std::string archivoIns = carpeta + "/percepciones_revision_instrucciones.txt";
        std::cerr << "Contando instrucciones con callgrind (" << filasIns << " asientos)...\n";
        const auto cuenta = [&](const char* trabajo) {
            return medicion::Instrucciones({yo, "--trabajo", trabajo, dbIns, archivoIns},
                                           "/dev/null", carpeta);
        };
        insSin = cuenta("sin");
        insCon = cuenta("con");  // also writes the file that "verificar" reads
        insVerificar = cuenta("verificar");
    }
    const auto razon = [](long long a, long long b) {
        return a > 0 && b > 0 ? static_cast<double>(a) / static_cast<double>(b) : -1.0;
    };
    const double conSinIns = razon(insCon, insSin);
    const double verificarIns = razon(insVerificar, insCon);

    std::printf("filas                              %10ld\n", filas);
    std::printf("líneas exportadas                  %10ld (hallazgos %ld)\n", t.lineas,
                t.hallazgos);
    std::printf("exportar sin revisión (s)          %10.3f\n", sin);
    std::printf("exportar con revisión y totales (s)%10.3f\n", con);
    std::printf("verificar con conciliación (s)     %10.3f\n", verificar);
    std::printf("con / sin                          %10.3f   (informativo: varía con la carga)\n",
                con / sin);
    std::printf("verificar / exportar               %10.3f   (objetivo <= 1.00)\n",
                verificar / con);
    if (filasIns > 0) {
        std::printf("instrucciones, %ld asientos: sin %lld, con %lld, verificar %lld\n", filasIns,
                    insSin, insCon, insVerificar);
        std::printf("con / sin, instrucciones           %10.3f   (objetivo <= 1.10)\n", conSinIns);
        std::printf(
            "verificar / exportar, instrucciones%10.3f   (informativo: verificar usa dos "
            "hilos)\n",
            verificarIns);
    }
    std::vector<const char*> fallas;
    if (filasIns > 0 && !(conSinIns > 0 && conSinIns <= 1.10))
        fallas.push_back("con / sin, instrucciones");
    if (!(verificar <= con)) fallas.push_back("verificar / exportar");
    const bool ok = fallas.empty();
    std::printf("%s", ok ? "OBJETIVOS CUMPLIDOS" : "OBJETIVOS NO CUMPLIDOS:");
    for (std::size_t i = 0; i < fallas.size(); ++i) std::printf("%s %s", i ? "," : "", fallas[i]);
    std::printf("\n");
    return ok ? 0 : 1;
}
