// What the check, the totals and the read-back cost.
//
// Generates (or reuses) a demo database of N accounting entries (1,000,000 by default), then
// times in this process, alternating, the perception export without the check and totals, the
// same export with them, and `verificar` of the file it wrote reconciled with the ledger. Reports
// the best wall time of each and the ratios.
//
//   bench_revision [--filas N] [--repeticiones R] [--carpeta DIR]
//
// Targets: with check and totals <= 1.10 x without; read-back with reconciliation <= 1.0 x the
// export with check and totals.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "Medicion.h"
#include "cli/UiConsola.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace {

double Segundos(const std::function<void()>& f) {
    const auto inicio = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

}  // namespace

int main(int argc, char** argv) {
    const medicion::Opciones op = medicion::LeeOpciones(argc, argv);
    const long filas = op.filas;
    const int repeticiones = op.repeticiones;
    const std::string& carpeta = op.carpeta;
    const std::string db = medicion::BaseDemo(TAMARIS_CLI_EXE, carpeta, filas);

    std::ostringstream nada;
    tamaris::UiConsola consola(nada, nada);
    tamaris::Ui ui = consola.ui();
    tamaris::DB_Dll base(ui);
    base.OpenLocalADODB("Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + db + ";", "User ID",
                        "Jet OLEDB:Database Password");
    if (!base.gCnn().Abierta()) {
        std::cerr << "No se pudo abrir " << db << "\n";
        return 1;
    }
    base.gOpenFlag = true;
    const std::string archivo = carpeta + "/percepciones_revision.txt";
    const tamaris::FiltrosPercepcion filtros{"", "", "", archivo};

    double sin = 1e300, con = 1e300, verificar = 1e300;
    long lineas = 0, hallazgos = 0;
    for (int i = 0; i < repeticiones; ++i) {
        tamaris::OpcionesExportacion sinRevision;
        sinRevision.revisar = false;
        sin = std::min(
            sin, Segundos([&] { tamaris::ExportaPercepciones(base, ui, filtros, sinRevision); }));
        con = std::min(con, Segundos([&] {
                           const auto r = tamaris::ExportaPercepciones(base, ui, filtros);
                           lineas = r.comprobantes;
                           hallazgos = r.hallazgos.total;
                       }));
        verificar = std::min(verificar, Segundos([&] {
                                 const auto v =
                                     tamaris::VerificaPercepciones(archivo, &base, &ui, filtros);
                                 if (!v.conciliado || v.faltantes || v.sobrantes) {
                                     std::cerr << "La verificación no concilia\n";
                                     std::exit(1);
                                 }
                             }));
    }
    std::printf("filas                              %10ld\n", filas);
    std::printf("líneas exportadas                  %10ld (hallazgos %ld)\n", lineas, hallazgos);
    std::printf("exportar sin revisión (s)          %10.3f\n", sin);
    std::printf("exportar con revisión y totales (s)%10.3f\n", con);
    std::printf("verificar con conciliación (s)     %10.3f\n", verificar);
    std::printf("con / sin                          %10.3f   (objetivo <= 1.10)\n", con / sin);
    std::printf("verificar / exportar               %10.3f   (objetivo <= 1.00)\n",
                verificar / con);
    const bool ok = con / sin <= 1.10 && verificar <= con;
    std::printf("%s\n", ok ? "OBJETIVOS CUMPLIDOS" : "OBJETIVOS NO CUMPLIDOS");
    return ok ? 0 : 1;
}
