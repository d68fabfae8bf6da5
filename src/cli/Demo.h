#pragma once
// Demonstration database: a SQLite file with the suite's schema and realistic sample data,
// the same for the same seed, used for trials, manual runs and the benchmarks.

#include <functional>
#include <string>

namespace tamaris {

struct OpcionesDemo {
    long filas = 5000;            // accounting entries to write in MV_ASIENTOS
    unsigned semilla = 20130101;  // same seed, same data
    // Adds a few vouchers that the checks of both files find wrong (January 2013), one of each
    // kind, for trying the check; without it every voucher files clean.
    bool conErrores = false;
};

struct ResumenDemo {
    long asientos = 0;     // rows written in MV_ASIENTOS
    long exportables = 0;  // of them, the rows that the perception export writes
    long libroIva = 0;     // rows written in LIBROIVAVENTAS (filas / 10, from 20 to 20,000)
    long conErrores = 0;   // of them (both tables), the vouchers added with errors
};

// Creates the database `archivo`, replacing an existing file only once the new one is
// complete (it is built beside it under a temporary name, then renamed over it). `avance`,
// when given, is called every 10,000 entries and once at the end with (written, filas).
// Throws ErrorTamaris ("No se puede crear la base de datos <archivo>: <motivo>") and leaves
// no new file behind when anything fails.
ResumenDemo CreaDemo(const std::string& archivo, const OpcionesDemo& op,
                     const std::function<void(long hechos, long total)>& avance = {});

}  // namespace tamaris
