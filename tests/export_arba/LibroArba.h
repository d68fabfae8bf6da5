#pragma once
// The ledger of the ARBA tests: March 2026 with invoices, debit and credit notes of letters A, B
// and C in both fortnights (a credit note stored negative and one stored positive, a voucher at
// the last minute of the 15th and one in the evening of the 31st), and entries the file must not
// take: February and April, a receipt, a voucher without perception. golden/ holds the files
// these rows make.

#include <string>
#include <vector>

#include "soporte/BaseDePrueba.h"

namespace prueba {

// One row of MV_ASIENTOS, values as SQL literals would read them.
struct AsientoArba {
    std::string tc, fecha, letra, sucursal, numero, cuit, neto, percepcion;
};

inline const std::vector<AsientoArba>& AsientosMarzo2026() {
    static const std::vector<AsientoArba> filas = {
        {"FC", "2026-03-02", "A", "1", "101", "30-71234567-1", "1000.00", "15.00"},
        {"ND", "2026-03-10 14:30:00", "B", "2", "55", "20-12345678-6", "200.00", "6.00"},
        {"NC", "2026-03-15 23:59:00", "A", "1", "7", "27-28123456-6", "-500.00", "-7.50"},
        {"FC", "2026-03-16", "C", "3", "3001", "20-33333333-4", "333.33", "5.00"},
        {"nc", "2026-03-20", "b", "2", "62", "30-71234567-1", "120.00", "2.40"},
        {"ND", "2026-03-25", "C", "1", "12345678", "20-12345678-6", "1234.56", "30.00"},
        {"FC", "2026-03-31 18:00:00", "A", "4", "9001", "30-71234567-1", "12345678.90",
         "370370.37"},
        // Not in the file.
        {"FC", "2026-02-28 23:59:59", "A", "1", "100", "30-71234567-1", "1000.00", "15.00"},
        {"FC", "2026-04-01", "A", "1", "200", "30-71234567-1", "1000.00", "15.00"},
        {"RC", "2026-03-05", "X", "9", "31", "30-71234567-1", "500.00", "5.00"},
        {"FC", "2026-03-06", "A", "1", "102", "30-71234567-1", "800.00", "0"},
    };
    return filas;
}

inline void InsertaAsientosArba(const std::string& archivo, const std::vector<AsientoArba>& filas) {
    std::string sql = "BEGIN;";
    for (const auto& a : filas) {
        sql +=
            "INSERT INTO MV_ASIENTOS (TC, FECHA, LETRA, SUCURSAL, NUMERO, cabcuit, "
            "liva_impnetograv, LIVA_Ret_IBtos, CUENTA) VALUES (" +
            Literal(a.tc) + "," + Literal(a.fecha) + "," + Literal(a.letra) + "," + a.sucursal +
            "," + a.numero + "," + Literal(a.cuit) + "," + a.neto + "," + a.percepcion +
            ",'1.1.01');";
    }
    EjecutaSqlite(archivo, sql + "COMMIT;");
}

inline void CreaBaseArba(const std::string& archivo,
                         const std::vector<AsientoArba>& filas = AsientosMarzo2026()) {
    CreaBaseConEsquema(archivo);
    InsertaAsientosArba(archivo, filas);
}

inline std::string GoldenArba(const std::string& nombre) {
    return LeeArchivo(std::string(TAMARIS_TEST_DIR) + "/export_arba/golden/" + nombre);
}

}  // namespace prueba
