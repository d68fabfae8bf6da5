#pragma once
// The columns of the sales VAT book (LIBROIVAVENTAS) that the CITI and the Libro de IVA Digital
// read, by position, with the names a clerk knows them by (for findings and errors).

#include <array>

namespace tamaris::libro_ventas {

enum Columna {
    kFecha,
    kTC,
    kLetra,
    kSucursal,
    kNumero,
    kCuit,
    kCondIva,
    kNombre,
    kTotal,
    kNoGravado,
    kExento,
    kIva1,
    kIva2,
    kIva3,
    kIva4,
    kAlicuota1,
    kAlicuota2,
    kAlicuota3,
    kColumnas
};

inline constexpr std::array<const char*, kColumnas> kNombres = {
    "Fecha",         "TC",
    "Letra",         "Sucursal",
    "Numero",        "cabcuit",
    "CABCONDIVA",    "CABNOMBRE",
    "Liva_Total",    "LIVA_ImpNetoNGrav",
    "Liva_Exento",   "Liva_ImpIva",
    "Liva_ImpIva2",  "Liva_ImpIva3",
    "Liva_ImpIva4",  "liva_aliciva",
    "liva_aliciva2", "liva_aliciva3"};

inline constexpr std::array<const char*, kColumnas> kNombresCampo = {"la fecha",
                                                                     "el tipo",
                                                                     "la letra",
                                                                     "el punto de venta",
                                                                     "el número",
                                                                     "el CUIT del cliente",
                                                                     "la condición de IVA",
                                                                     "el nombre del cliente",
                                                                     "el total",
                                                                     "el no gravado",
                                                                     "el exento",
                                                                     "el IVA 1",
                                                                     "el IVA 2",
                                                                     "el IVA 3",
                                                                     "el IVA 4",
                                                                     "la alícuota 1",
                                                                     "la alícuota 2",
                                                                     "la alícuota 3"};

}  // namespace tamaris::libro_ventas
