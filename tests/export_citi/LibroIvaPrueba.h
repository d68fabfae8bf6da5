#pragma once
// The sales VAT book of the CITI tests: January 2013 with one voucher of every CITI voucher key,
// one to four VAT rates, skipped VAT columns, credit notes, valid, invalid and missing CUITs,
// buyers with and without a CUIT or CUIL document type, long names with non-ASCII letters, and
// rows just outside the month or below the total threshold. golden/enero2013.txt holds the
// file these rows make.

#include <string>
#include <vector>

#include "soporte/BaseDePrueba.h"

namespace prueba {

// One row of LIBROIVAVENTAS, values as SQL literals would read them; nullptr is NULL.
struct FilaLibroIva {
    const char *fecha, *tc, *letra, *sucursal, *numero, *cabcuit, *condiva, *nombre, *total,
        *noGravado, *exento, *iva1, *iva2, *iva3, *iva4, *alicuota1, *alicuota2, *alicuota3;
};

inline const std::vector<FilaLibroIva>& LibroIvaEnero2013() {
    static const std::vector<FilaLibroIva> filas = {
        {"2013-01-02", "FC", "A", "1", "101", "30-71234567-1", "80", "Distribuidora Ñandú S.A.",
         "1210.00", "0", "0", "210.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-03", "ND", "A", "2", "55", "30-50000123-9", "80", "Ferretería El Tornillo",
         "2315.00", "0", "0", "210.00", "105.00", "0", "0", "21", "10.5", "27"},
        {"2013-01-04", "NC", "A", "1", "7", "20-12345678-6", "80", "José Pérez", "-1210.00", "0",
         "0", "-210.00", "-10.00", "0", "0", "21", "10.5", "27"},
        {"2013-01-05", "FC", "B", "3", "2001", "27-28123456-6", "80", "María Güemes", "358.50", "0",
         "0", "21.00", "10.50", "27.00", "0", "21", "10.5", "27"},
        {"2013-01-06", "FC", "B", "3", "2002", "20-12345678-0", "80",
         "Cliente con CUIT mal escrito", "221.00", "0", "0", "21.00", "10.50", "0", "0", "21",
         "10.5", "27"},
        {"2013-01-07", "FC", "C", "4", "3001", "", "99", "Consumidor Final", "500.00", "500.00",
         "0", "0", "0", "0", "0", "0", "0", "0"},
        {"2013-01-08", "FC", "C", "4", "3002", "00-00000000-0", "99", "Sin CUIT", "150.00",
         "150.00", "0", "0", "0", "0", "0", "0", "0", "0"},
        {"2013-01-09", "ND", "B", "3", "61", "28123456", "96", "Ana Sosa", "121.00", "0", "0",
         "21.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-10", "NC", "B", "3", "62", "20-33333333-4", "80", "Luis Díaz", "-60.50", "0", "0",
         "-10.50", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-11", "FC", "E", "5", "9001", "30-70000001-6", "80", "Importadora del Sur",
         "5000.00", "0", "5000.00", "0", "0", "0", "0", "0", "0", "0"},
        {"2013-01-12", "TKFC", "A", "6", "1", "30-12121212-5", "80", "Comercio Uno", "242.00", "0",
         "0", "42.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-13", "TKFC", "B", "6", "2", "20-33333333-4", "80", "Comercio Dos", "121.00", "0",
         "0", "21.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-14", "TKFC", "B", "6", "3", "28123456", "96", "Consumidor con DNI", "231.50", "0",
         "0", "21.00", "10.50", "0", "0", "21", "10.5", "27"},
        {"2013-01-15", "TK", "C", "7", "11", "", "99", "Consumidor Final", "100.00", "100.00", "0",
         "0", "0", "0", "0", "0", "0", "0"},
        {"2013-01-16", "TK", "X", "7", "12", "", "99", nullptr, "50.00", "0", "50.00", "0", "0",
         "0", "0", "0", "0", "0"},
        {"2013-01-17", "TK", "B", "7", "13", "", "99", "Consumidor Final", "231.50", "0", "0",
         "21.00", "10.50", "0", "0", "21", "10.5", "27"},
        {"2013-01-18", "CBCT", "A", "8", "21", "20-33333333-4", "86",
         "Cooperativa Agrícola Güemes de Añatuya Ltda.", "121.00", "0", "0", "21.00", "0", "0", "0",
         "21", "10.5", "27"},
        {"2013-01-19", "CBCT", "B", "8", "22", "20-33333333-4", "2",
         "Estación de Servicio «La Ruta»", "121.00", "0", "0", "21.00", "0", "0", "0", "21", "10.5",
         "27"},
        {"2013-01-20", "CBCT", "X", "8", "23", "20/33333333/4", "77", "Cliente X", "121.00", "0",
         "0", "21.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-21", "RC", "A", "9", "31", "30-71234567-1", "80",
         "Recibo que no es comprobante CITI", "500.00", "500.00", "0", "0", "0", "0", "0", "0", "0",
         "0"},
        {"2013-01-22", "fc", " a ", "1", "102", "30 71234567 1", "80", "Distribuidora Ñandú S.A.",
         "110.50", "0", "0", "10.50", "0", "0", "0", "10.5", "10.5", "27"},
        {"2013-01-23", "FC", "A", "1", "103", "30-71234567-1", "80",
         "ÑOÑO ÁLVAREZ E HIJOS SOCIEDAD ANÓNIMA COMERCIAL", "1504.50", "200.00", "0", "210.00",
         "52.50", "27.00", "15.00", "21", "10.5", "27"},
        {"2013-01-24", "FC", "A", "1", "104", "30-71234567-1", "80", "Saltea una alícuota",
         "1227.00", "0", "0", "210.00", "0", "27.00", "0", "21", "10.5", "27"},
        {"2013-01-25", "FC", "A", "1", "105", "30-71234567-1", "80", "Total insignificante", "0.01",
         "0", "0", "0", "0", "0", "0", "21", "10.5", "27"},
        {"2013-01-26", "FC", "A", "1", "106", "33-69999999-2", "80", "Redondeos", "577.28", "0",
         "0", "100.00", "0.09", "0.11", "0", "21", "8", "8"},
        {"2013-01-27", "FC", "A", "1", "107", "33-69999999-2", "80", "Alícuota de 5%", "105.00",
         "0", "0", "5.00", "0", "0", "0", "5", "10.5", "27"},
        {"2013-01-28", "FC", "B", "12345", "108", "20-12345678-6", "80", "Sucursal de cinco cifras",
         "121.00", nullptr, "0", "21.00", "0", "0", "0", "21", "10.5", "27"},
        {"2013-02-01", "FC", "A", "1", "109", "30-71234567-1", "80", "Febrero", "121.00", "0", "0",
         "21.00", "0", "0", "0", "21", "10.5", "27"},
        {"2012-12-31", "FC", "A", "1", "100", "30-71234567-1", "80", "Diciembre", "121.00", "0",
         "0", "21.00", "0", "0", "0", "21", "10.5", "27"},
    };
    return filas;
}

// Document types: 1 is the suite's older code for the CUIT; 2 has a lower-case description;
// 77 is not in the table.
inline const char* kTiposDocumento =
    "INSERT INTO TA_TIPODOCUMENTO (Codigo, Descripcion) VALUES "
    "('1', 'C.U.I.T.'), ('2', ' cuit. '), ('80', 'CUIT'), ('86', 'CUIL'), ('96', 'DNI'), "
    "('99', 'Sin identificar');";

inline std::string TextoSql(const char* v) { return v ? Literal(v) : std::string("NULL"); }
inline std::string NumeroSql(const char* v) { return v ? std::string(v) : std::string("NULL"); }

inline void InsertaLibroIva(const std::string& archivo, const std::vector<FilaLibroIva>& filas) {
    std::string sql = "BEGIN;";
    for (const auto& f : filas) {
        sql +=
            "INSERT INTO LIBROIVAVENTAS (Fecha, TC, Letra, Sucursal, Numero, cabcuit, "
            "CABCONDIVA, CABNOMBRE, Liva_Total, LIVA_ImpNetoNGrav, Liva_Exento, Liva_ImpIva, "
            "Liva_ImpIva2, Liva_ImpIva3, Liva_ImpIva4, liva_aliciva, liva_aliciva2, "
            "liva_aliciva3) VALUES (" +
            TextoSql(f.fecha) + "," + TextoSql(f.tc) + "," + TextoSql(f.letra) + "," +
            NumeroSql(f.sucursal) + "," + NumeroSql(f.numero) + "," + TextoSql(f.cabcuit) + "," +
            TextoSql(f.condiva) + "," + TextoSql(f.nombre) + "," + NumeroSql(f.total) + "," +
            NumeroSql(f.noGravado) + "," + NumeroSql(f.exento) + "," + NumeroSql(f.iva1) + "," +
            NumeroSql(f.iva2) + "," + NumeroSql(f.iva3) + "," + NumeroSql(f.iva4) + "," +
            NumeroSql(f.alicuota1) + "," + NumeroSql(f.alicuota2) + "," + NumeroSql(f.alicuota3) +
            ");";
    }
    EjecutaSqlite(archivo, sql + "COMMIT;");
}

// A suite database holding the document types and, when given, the rows.
inline void CreaBaseCiti(const std::string& archivo,
                         const std::vector<FilaLibroIva>& filas = LibroIvaEnero2013()) {
    CreaBaseConEsquema(archivo);
    EjecutaSqlite(archivo, kTiposDocumento);
    InsertaLibroIva(archivo, filas);
}

inline std::string Golden(const std::string& nombre) {
    return LeeArchivo(std::string(TAMARIS_TEST_DIR) + "/export_citi/golden/" + nombre);
}

}  // namespace prueba
