// Demonstration database. The data is drawn from std::mt19937 with our own distributions, so
// the same seed gives the same rows with any standard library.

#include "cli/Demo.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "EsquemaSql.h"
#include "components/Error.h"
#include "components/Plataforma.h"

namespace tamaris {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Random draws

class Azar {
  public:
    explicit Azar(unsigned semilla) : g_(semilla) {}

    // 0 <= result < n (n > 0).
    uint32_t Menor(uint32_t n) {
        return static_cast<uint32_t>((static_cast<uint64_t>(g_() & 0xFFFFFFFFu) * n) >> 32);
    }
    // a <= result <= b.
    long Entre(long a, long b) {
        return a + static_cast<long>(Menor(static_cast<uint32_t>(b - a + 1)));
    }
    // True with the given chance in thousandths.
    bool Milesimos(unsigned p) { return Menor(1000) < p; }
    // Index drawn with the given weights.
    size_t Pesos(std::initializer_list<unsigned> pesos) {
        unsigned total = 0;
        for (unsigned p : pesos) total += p;
        unsigned r = Menor(total);
        size_t i = 0;
        for (unsigned p : pesos) {
            if (r < p) return i;
            r -= p;
            ++i;
        }
        return pesos.size() - 1;
    }
    template <class T, size_t N>
    const T& Uno(const std::array<T, N>& v) {
        return v[Menor(static_cast<uint32_t>(N))];
    }

  private:
    std::mt19937 g_;
};

// ---------------------------------------------------------------------------------------------
// Dates (days counted from 1970-01-01)

long DiasDesdeEpoca(int a, int m, int d) {
    a -= m <= 2;
    const long era = (a >= 0 ? a : a - 399) / 400;
    const long ade = a - era * 400;
    const long dda = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long dde = ade * 365 + ade / 4 - ade / 100 + dda;
    return era * 146097 + dde - 719468;
}

void FechaDeDias(long z, int& a, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dde = z - era * 146097;
    const long ade = (dde - dde / 1460 + dde / 36524 - dde / 146096) / 365;
    const long dda = dde - (365 * ade + ade / 4 - ade / 100);
    const long mp = (5 * dda + 2) / 153;
    d = static_cast<int>(dda - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    a = static_cast<int>(ade + era * 400 + (m <= 2));
}

// 'YYYY-MM-DD', now and then with the time the voucher was recorded.
std::string TextoFecha(long dias, Azar& az, unsigned conHoraMilesimos) {
    int a, m, d;
    FechaDeDias(dias, a, m, d);
    char buf[32];
    if (az.Milesimos(conHoraMilesimos))
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02ld:%02ld:%02ld", a, m, d, az.Entre(8, 19),
                      az.Entre(0, 59), az.Entre(0, 59));
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", a, m, d);
    return buf;
}

// ---------------------------------------------------------------------------------------------
// Customers

// CUIT with a valid check digit: weights 5,4,3,2,7,6,5,4,3,2 over the first ten digits; the
// check digit is 11 - (sum mod 11), 11 giving 0; a sum that would need 10 has no valid CUIT, so
// another number is drawn.
std::string CuitNuevo(Azar& az, int prefijo, bool guiones) {
    static constexpr int kPesos[10] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    for (;;) {
        int dig[11];
        dig[0] = prefijo / 10;
        dig[1] = prefijo % 10;
        for (int i = 2; i < 10; ++i) dig[i] = static_cast<int>(az.Menor(10));
        int suma = 0;
        for (int i = 0; i < 10; ++i) suma += dig[i] * kPesos[i];
        int dv = 11 - suma % 11;
        if (dv == 11) dv = 0;
        if (dv == 10) continue;
        dig[10] = dv;
        std::string s;
        for (int i = 0; i < 11; ++i) {
            if (guiones && (i == 2 || i == 10)) s += '-';
            s += static_cast<char>('0' + dig[i]);
        }
        return s;
    }
}

struct Cliente {
    std::string cuit;
    std::string nombre;
};

constexpr std::array<const char*, 24> kApellidos = {
    "Peña",    "Muñoz",    "Núñez",   "Ibáñez",  "Gómez",    "Fernández", "Rodríguez", "González",
    "López",   "Martínez", "Pérez",   "Sánchez", "Romero",   "Díaz",      "Álvarez",   "Acuña",
    "Castaño", "Zúñiga",   "Benítez", "Suárez",  "Ferreyra", "Quiroga",   "Toledo",    "Carreño"};
constexpr std::array<const char*, 12> kNombres = {"María José", "Juan Carlos", "Ana",    "Jorge",
                                                  "Sofía",      "Martín",      "Begoña", "Íñigo",
                                                  "Lucía",      "Ramón",       "Germán", "Inés"};
constexpr std::array<const char*, 9> kRubros = {"Distribuidora",  "Comercial",   "Agropecuaria",
                                                "Ferretería",     "Transportes", "Panificadora",
                                                "Construcciones", "Lácteos",     "Maderera"};
constexpr std::array<const char*, 10> kLugares = {
    "del Sur",    "Norte",      "La Cañada",  "El Ñandú", "San Martín",
    "Patagónica", "Río Cuarto", "Los Álamos", "Pampeana", "Del Litoral"};
constexpr std::array<const char*, 5> kSociedades = {"S.A.", "S.R.L.", "S.A.C.I.", "Hnos.",
                                                    "y Cía."};

// Characters of a UTF-8 text.
size_t Caracteres(std::string_view t) {
    size_t n = 0;
    for (char c : t) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The CITI file keeps 30 characters of a name: a longer one would be filed cut.
constexpr size_t kLargoNombre = 30;

std::vector<Cliente> Clientes(Azar& az, long cantidad) {
    std::vector<Cliente> v;
    v.reserve(static_cast<size_t>(cantidad) + 3);
    // A few that are always there: names with Ñ and with an apostrophe.
    v.push_back({CuitNuevo(az, 30, true), "Ñandú Agropecuaria S.A."});
    v.push_back({CuitNuevo(az, 27, true), "Muñoz, Begoña"});
    v.push_back({CuitNuevo(az, 33, false), "O'Brien Hnos. S.R.L."});
    for (long i = 0; i < cantidad; ++i) {
        const bool guiones = !az.Milesimos(150);
        if (az.Milesimos(450)) {
            const int prefijo = az.Milesimos(500) ? 20 : (az.Milesimos(800) ? 27 : 23);
            std::string nombre = std::string(az.Uno(kApellidos)) + ", " + az.Uno(kNombres);
            v.push_back({CuitNuevo(az, prefijo, guiones), std::move(nombre)});
        } else {
            const int prefijo = az.Milesimos(850) ? 30 : (az.Milesimos(500) ? 33 : 34);
            std::string nombre = std::string(az.Uno(kRubros)) + " " + az.Uno(kLugares);
            const char* sociedad = az.Uno(kSociedades);
            // A trade name that would not fit goes without its company type.
            if (Caracteres(nombre) + 1 + Caracteres(sociedad) <= kLargoNombre)
                nombre += std::string(" ") + sociedad;
            v.push_back({CuitNuevo(az, prefijo, guiones), std::move(nombre)});
        }
    }
    return v;
}

// ---------------------------------------------------------------------------------------------
// Accounts

struct Cuenta {
    const char* codigo;
    const char* descripcion;
    int imputable;
    int nivel;
    int confidencial;
};

constexpr Cuenta kCuentas[] = {
    {"1", "ACTIVO", 0, 1, 0},
    {"111", "Caja", 1, 3, 0},
    {"112", "Deudores por Ventas", 1, 3, 0},
    {"113", "Documentos a Cobrar", 1, 3, 0},
    {"1.1.1.02", "Banco Nación Cuenta Corriente", 1, 4, 0},
    {"1.1.2.01", "Deudores por Ventas - Capital Federal", 1, 4, 0},
    {"1.1.2.02", "Deudores por Ventas - Interior", 1, 4, 0},
    {"1.1.2.99", "Deudores Vinculados", 1, 4, 1},
    {"O'BRIEN", "Cuenta Corriente O'Brien Hnos. S.R.L.", 1, 4, 0},
    {"2", "PASIVO", 0, 1, 0},
    {"2.1.1.01", "Proveedores", 1, 4, 0},
    {"2.1.3.01", "IVA Débito Fiscal", 1, 4, 0},
    {"2.1.3.05", "Percepciones IIBB a Depositar", 1, 4, 0},
    {"4.1.1.01", "Ventas Gravadas", 1, 4, 0},
    {"5.2.1.03", "Gastos Bancarios", 1, 4, 0},
};
enum : size_t {
    kCaja = 1,
    kDeudores = 2,
    kDocumentos = 3,
    kBanco = 4,
    kDeudoresCF = 5,
    kDeudoresInt = 6,
    kVinculados = 7,
    kOBrien = 8,
    kProveedores = 10,
    kIvaDebito = 11,
    kPercepciones = 12,
    kVentas = 13,
    kGastos = 14
};

// ---------------------------------------------------------------------------------------------
// Amounts, in cents

// Net amount with no, one or two decimals.
long long ImporteNeto(Azar& az) {
    long long pesos;
    switch (az.Pesos({50, 40, 10})) {
        case 0:
            pesos = az.Entre(100, 4999);
            break;
        case 1:
            pesos = az.Entre(5000, 49999);
            break;
        default:
            pesos = az.Entre(50000, 399999);
            break;
    }
    long long centavos;
    switch (az.Pesos({35, 25, 40})) {
        case 0:
            centavos = 0;
            break;
        case 1:
            centavos = az.Entre(1, 9) * 10;
            break;
        default:
            centavos = az.Entre(1, 99);
            if (centavos % 10 == 0) ++centavos;
            break;
    }
    return pesos * 100 + centavos;
}

// importe × tasa (in hundredths of a percent), rounded half away from zero to the cent.
long long Porcentaje(long long importe, long long centesimos) {
    const long long p = importe * centesimos;
    return p >= 0 ? (p + 5000) / 10000 : -((-p + 5000) / 10000);
}

// ---------------------------------------------------------------------------------------------
// SQLite

// A failure while building the file, with its reason.
struct Falla {
    std::string motivo;
};

// The reason of a SQLite failure, in the operator's words and then SQLite's.
std::string MotivoSqlite(sqlite3* db, int rc) {
    const std::string detalle = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const char* texto = nullptr;
    switch (rc & 0xFF) {
        case SQLITE_CANTOPEN:
            texto = "no se puede abrir el archivo";
            break;
        case SQLITE_PERM:
        case SQLITE_READONLY:
            texto = "no hay permiso para escribir el archivo";
            break;
        case SQLITE_FULL:
            texto = "el disco está lleno";
            break;
        case SQLITE_IOERR:
            texto = "error de lectura o escritura en el disco";
            break;
        case SQLITE_NOMEM:
            texto = "memoria insuficiente";
            break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            texto = "el archivo está en uso";
            break;
        default:
            break;
    }
    return texto ? std::string(texto) + " (" + detalle + ")" : detalle;
}

// The same for a failure of the file system.
std::string MotivoSistema(const std::error_code& ec) {
    const char* texto = nullptr;
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted)
        texto = "no hay permiso para escribir en la carpeta";
    else if (ec == std::errc::no_space_on_device)
        texto = "el disco está lleno";
    else if (ec == std::errc::read_only_file_system)
        texto = "la carpeta es de solo lectura";
    return texto ? std::string(texto) + " (" + ec.message() + ")" : ec.message();
}

class Sentencia {
  public:
    Sentencia(sqlite3* db, const char* sql) : db_(db) {
        const int rc = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr);
        if (rc != SQLITE_OK) throw Falla{MotivoSqlite(db, rc)};
    }
    ~Sentencia() { sqlite3_finalize(st_); }
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;

    Sentencia& Texto(int i, std::string_view s) {
        sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
        return *this;
    }
    Sentencia& Entero(int i, long long v) {
        sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    // An amount in cents, stored as an integer when it has no decimals.
    Sentencia& Importe(int i, long long centavos) {
        if (centavos % 100 == 0)
            sqlite3_bind_int64(st_, i, centavos / 100);
        else
            sqlite3_bind_double(st_, i, static_cast<double>(centavos) / 100.0);
        return *this;
    }
    // A rate in tenths of a percent (105 is 10.5).
    Sentencia& Tasa(int i, long decimos) {
        if (decimos % 10 == 0)
            sqlite3_bind_int64(st_, i, decimos / 10);
        else
            sqlite3_bind_double(st_, i, static_cast<double>(decimos) / 10.0);
        return *this;
    }
    void Ejecuta() {
        const int rc = sqlite3_step(st_);
        if (rc != SQLITE_DONE) throw Falla{MotivoSqlite(db_, rc)};
        sqlite3_reset(st_);
    }

  private:
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
};

void Exec(sqlite3* db, const std::string& sql) {
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw Falla{MotivoSqlite(db, rc)};
}

// The temporary file is closed and removed unless the database was completed.
class ArchivoTemporal {
  public:
    explicit ArchivoTemporal(std::string ruta) : ruta_(std::move(ruta)) {}
    ~ArchivoTemporal() {
        Cierra();
        if (!listo_) {
            std::error_code ec;
            fs::remove(plataforma::Ruta(ruta_), ec);
            fs::remove(plataforma::Ruta(ruta_ + "-journal"), ec);
        }
    }
    ArchivoTemporal(const ArchivoTemporal&) = delete;
    ArchivoTemporal& operator=(const ArchivoTemporal&) = delete;

    sqlite3* Abre() {
        std::error_code ec;
        fs::remove(plataforma::Ruta(ruta_), ec);  // left over by an interrupted run
        const int rc = sqlite3_open_v2(ruta_.c_str(), &db_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) throw Falla{MotivoSqlite(db_, rc)};
        return db_;
    }
    void Cierra() {
        if (db_) sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    void Listo() { listo_ = true; }
    const std::string& Ruta() const { return ruta_; }

  private:
    std::string ruta_;
    sqlite3* db_ = nullptr;
    bool listo_ = false;
};

// ---------------------------------------------------------------------------------------------
// Reference tables

void CargaTablasFijas(sqlite3* db) {
    {
        Sentencia st(db,
                     "INSERT INTO MA_CUENTAS (Codigo, Descripcion, Imputable, Nivel, CONFIDENCIAL) "
                     "VALUES (?1, ?2, ?3, ?4, ?5)");
        for (const Cuenta& c : kCuentas)
            st.Texto(1, c.codigo)
                .Texto(2, c.descripcion)
                .Entero(3, c.imputable)
                .Entero(4, c.nivel)
                .Entero(5, c.confidencial)
                .Ejecuta();
    }
    Exec(db, R"(
INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio) VALUES
  ('CANTIDADDECIMALES', '2', NULL, 'General', 0),
  ('CANTIDADDECIMALESVENTAS', '2', NULL, 'Ventas', 0),
  ('SS_CONFIDENCIALIDAD', 'NO', NULL, 'Seguridad', 1),
  ('TOPCONSART', '1000', NULL, 'Consultas', 0),
  ('THEME', '1', NULL, 'General', 0),
  ('TIMEOUT', '360', NULL, 'BaseDeDatos', 0);
INSERT INTO TA_USUARIOS (Nombre, NombreCompleto, Administrador, Activo) VALUES
  ('Tamaris', 'Administrador del sistema', 1, 1),
  ('Operador', 'Operador de ventas', 0, 1);
INSERT INTO TA_TIPODOCUMENTO (Codigo, Descripcion) VALUES
  ('1', 'C.U.I.T.'),
  ('80', 'CUIT'),
  ('86', 'CUIL'),
  ('87', 'CDI'),
  ('89', 'LE'),
  ('90', 'LC'),
  ('91', 'CI Extranjera'),
  ('94', 'Pasaporte'),
  ('96', 'DNI'),
  ('99', 'Sin identificar / Venta global diaria');
INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion, CONFIDENCIAL) VALUES
  ('01', 'ALIMENTOS', 0),
  ('0101', 'LÁCTEOS', 0),
  ('010101', 'LECHES', 0),
  ('010102', 'QUESOS', 0),
  ('010103', 'YOGURES', 0),
  ('0102', 'BEBIDAS', 0),
  ('010201', 'GASEOSAS', 0),
  ('010202', 'AGUAS', 0),
  ('010203', 'VINOS', 0),
  ('0103', 'PANIFICADOS', 0),
  ('02', 'LIMPIEZA', 0),
  ('0201', 'DETERGENTES', 0),
  ('0202', 'DESINFECTANTES', 0),
  ('03', 'FERRETERÍA', 0),
  ('0301', 'HERRAMIENTAS', 0),
  ('030101', 'MANUALES', 0),
  ('030102', 'ELÉCTRICAS', 0),
  ('0302', 'BULONERÍA', 0),
  ('99', 'USO INTERNO', 1),
  ('9901', 'MUESTRAS SIN CARGO', 1);
INSERT INTO V_TA_CAJAS (IdCajas, Descripcion, CONFIDENCIAL) VALUES
  ('1', 'CAJA 1', 0),
  ('2', 'CAJA 2', 0);
INSERT INTO TA_CCOSTO (Codigo, Descripcion) VALUES
  ('100', 'Administración'),
  ('200', 'Comercialización'),
  ('300', 'Producción');
INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES
  ('0001', 'QX000PR', 'Menu Principal'),
  ('0705', 'percepciones', 'Archivo de Percepciones IIBB'),
  ('0706', 'CITIVentas', 'Archivo CITI Ventas');
INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES
  ('TAMARIS', '0001'),
  ('TAMARIS', '0705'),
  ('TAMARIS', '0706'),
  ('OPERADOR', '0705');
)");
}

// ---------------------------------------------------------------------------------------------
// Accounting entries

enum Tipo { kFC, kND, kNC, kRC, kOP, kAS };
constexpr const char* kTc[] = {"FC", "ND", "NC", "RC", "OP", "AS"};
constexpr const char* kTcMinuscula[] = {"fc", "nd", "nc", "rc", "op", "as"};
constexpr std::array<const char*, 5> kDetallesAsiento = {
    "Asiento de ajuste", "Devengamiento de gastos bancarios", "Reclasificación de saldos",
    "Asiento de apertura", "Diferencia de cambio"};

long CargaAsientos(sqlite3* db, Azar& az, long filas, const std::vector<Cliente>& clientes,
                   const std::function<void(long, long)>& avance) {
    Sentencia st(
        db,
        "INSERT INTO MV_ASIENTOS (NROASIENTO, FECHA, CUENTA, TC, LETRA, SUCURSAL, NUMERO, "
        "cabcuit, CABNOMBRE, DETALLE, liva_impnetograv, LIVA_ImpIva, LIVA_Ret_IBtos, "
        "LIVA_Total, DEBE, HABER, CONFIDENCIAL) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)");

    // January 2013 to June 2014, in the order the entries were recorded.
    const long desde = DiasDesdeEpoca(2013, 1, 1);
    const long dias = DiasDesdeEpoca(2014, 7, 1) - desde;
    constexpr long kPuntosVenta[] = {1, 2, 3, 1001};
    long long numeros[6][4][4] = {};  // last number by type, letter and point of sale

    long exportables = 0;
    for (long i = 0; i < filas; ++i) {
        const long dia = std::clamp(
            desde + static_cast<long>(static_cast<long long>(i) * dias / filas) + az.Entre(-3, 3),
            desde, desde + dias - 1);
        const std::string fecha = TextoFecha(dia, az, 30);

        const Tipo tipo = static_cast<Tipo>(az.Pesos({520, 60, 150, 140, 70, 60}));
        const bool venta = tipo == kFC || tipo == kND || tipo == kNC;
        const char* tc = az.Milesimos(50) ? kTcMinuscula[tipo] : kTc[tipo];

        const char* letra = "X";
        size_t idxLetra = 3;
        if (venta) {
            idxLetra = az.Pesos({55, 35, 10});
            letra = idxLetra == 0 ? "A" : idxLetra == 1 ? "B" : "C";
        } else if (tipo == kAS) {
            letra = "";
        }
        const size_t idxPv = tipo == kAS ? 0 : az.Pesos({60, 25, 10, 5});
        const long pv = tipo == kAS ? 0 : kPuntosVenta[idxPv];
        long long numero;
        if (tipo == kAS) {
            numero = i + 1;
        } else {
            long long& ultimo = numeros[tipo][idxLetra][idxPv];
            if (ultimo == 0) ultimo = az.Entre(1, 5000);
            numero = pv * 100000000LL + ++ultimo;
        }

        const Cliente* cli =
            tipo == kAS ? nullptr : &clientes[az.Menor(static_cast<uint32_t>(clientes.size()))];

        size_t cuenta;
        if (venta)
            cuenta = std::array<size_t, 6>{kDeudores,    kDocumentos, kDeudoresCF,
                                           kDeudoresInt, kOBrien,     kVinculados}[az.Pesos(
                {30, 10, 25, 20, 10, 5})];
        else if (tipo == kRC)
            cuenta = az.Milesimos(600) ? kCaja : kBanco;
        else if (tipo == kOP)
            cuenta = kProveedores;
        else
            cuenta = std::array<size_t, 5>{kVentas, kGastos, kIvaDebito, kPercepciones,
                                           kBanco}[az.Menor(5)];

        long long neto = 0, iva = 0, percepcion = 0, total = 0, debe = 0, haber = 0;
        if (venta) {
            neto = ImporteNeto(az);
            if (idxLetra != 2)
                iva = Porcentaje(neto,
                                 std::array<long long, 3>{2100, 1050, 2700}[az.Pesos({80, 15, 5})]);
            if (!az.Milesimos(70))
                percepcion = Porcentaje(
                    neto, std::array<long long, 4>{150, 300, 250, 50}[az.Pesos({80, 10, 5, 5})]);
            total = neto + iva + percepcion;
            if (tipo == kNC) {
                neto = -neto;
                iva = -iva;
                percepcion = -percepcion;
                total = -total;
                haber = -total;
            } else {
                debe = total;
            }
            if (percepcion != 0) ++exportables;
        } else {
            total = ImporteNeto(az);
            if (tipo == kRC && az.Milesimos(150))
                percepcion = Porcentaje(total, 150);  // withholding suffered
            if (tipo == kAS && az.Milesimos(500))
                haber = total;
            else
                debe = total;
        }

        st.Entero(1, i + 1)
            .Texto(2, fecha)
            .Texto(3, kCuentas[cuenta].codigo)
            .Texto(4, tc)
            .Texto(5, letra)
            .Entero(6, pv)
            .Entero(7, numero)
            .Texto(8, cli ? std::string_view(cli->cuit) : std::string_view(""))
            .Texto(9, cli ? std::string_view(cli->nombre) : std::string_view(""))
            .Texto(10, tipo == kAS ? az.Uno(kDetallesAsiento) : "")
            .Importe(11, neto)
            .Importe(12, iva)
            .Importe(13, percepcion)
            .Importe(14, total)
            .Importe(15, debe)
            .Importe(16, haber)
            .Entero(17, kCuentas[cuenta].confidencial)
            .Ejecuta();

        if (avance && (i + 1) % 10000 == 0 && i + 1 < filas) avance(i + 1, filas);
    }
    return exportables;
}

// ---------------------------------------------------------------------------------------------
// Sales VAT book

struct Comprobante {
    const char* tc;
    const char* letra;
    int alicuotasMax;  // 1 when the voucher carries a single rate
};
constexpr Comprobante kComprobantes[] = {
    {"FC", "A", 4}, {"FC", "B", 4}, {"FC", "C", 1},   {"FC", "E", 1},   {"ND", "A", 4},
    {"ND", "B", 1}, {"NC", "A", 1}, {"NC", "B", 1},   {"TKFC", "A", 1}, {"TKFC", "B", 1},
    {"TK", "B", 1}, {"TK", "C", 1}, {"CBCT", "A", 1}, {"CBCT", "B", 1},
};
constexpr size_t kTiposComprobante = sizeof kComprobantes / sizeof kComprobantes[0];

void CargaLibroIva(sqlite3* db, Azar& az, long filas, const std::vector<Cliente>& clientes) {
    Sentencia st(
        db,
        "INSERT INTO LIBROIVAVENTAS (Fecha, TC, Letra, Sucursal, Numero, cabcuit, CABCONDIVA, "
        "CABNOMBRE, Liva_Total, LIVA_ImpNetoGrav, LIVA_ImpNetoNGrav, Liva_Exento, Liva_ImpIva, "
        "Liva_ImpIva2, Liva_ImpIva3, Liva_ImpIva4, liva_aliciva, liva_aliciva2, liva_aliciva3, "
        "LIVA_Ret_IBtos) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, "
        "?18, ?19, ?20)");

    // January and February 2013.
    const long desde = DiasDesdeEpoca(2013, 1, 1);
    const long dias = DiasDesdeEpoca(2013, 3, 1) - desde;
    constexpr long kSucursales[] = {1, 2, 5};
    long long numeros[kTiposComprobante][3] = {};

    for (long i = 0; i < filas; ++i) {
        const std::string fecha =
            TextoFecha(desde + static_cast<long>(static_cast<long long>(i) * dias / filas), az, 30);
        const size_t k = az.Pesos({40, 25, 3, 2, 4, 2, 7, 5, 3, 3, 3, 1, 1, 1});
        const Comprobante& c = kComprobantes[k];
        std::string tc = c.tc;
        std::string letra = c.letra;
        if (az.Milesimos(50))
            for (char& ch : tc) ch = static_cast<char>(ch - 'A' + 'a');
        if (az.Milesimos(30)) letra[0] = static_cast<char>(letra[0] - 'A' + 'a');
        const size_t idxSuc = az.Pesos({70, 20, 10});
        long long& ultimo = numeros[k][idxSuc];
        if (ultimo == 0) ultimo = az.Entre(1, 3000);
        const long long numero = ++ultimo;

        // Buyer: registered customers with their CUIT; consumers with a DNI or unidentified.
        std::string cuit, condicion = "80", nombre;
        const bool consumidor = c.letra[0] != 'A' && c.letra[0] != 'E' && !az.Milesimos(450);
        if (!consumidor) {
            const Cliente& cli = clientes[az.Menor(static_cast<uint32_t>(clientes.size()))];
            cuit = cli.cuit;
            nombre = cli.nombre;
        } else if (az.Milesimos(640)) {
            cuit = std::to_string(az.Entre(10000000, 45999999));
            condicion = "96";
            nombre = std::string(az.Uno(kApellidos)) + ", " + az.Uno(kNombres);
        } else {
            condicion = "99";
            nombre = "Consumidor Final";
        }
        // Debit and credit notes B are filed with the buyer's CUIT: they go to a registered
        // customer (picked without a draw, so the other vouchers stay as they were).
        if (consumidor && c.letra[0] == 'B' && (c.tc[0] == 'N') && c.tc[2] == '\0') {
            const Cliente& cli = clientes[static_cast<size_t>(numero) % clientes.size()];
            cuit = cli.cuit;
            condicion = "80";
            nombre = cli.nombre;
        }

        long long netos[4] = {}, ivas[4] = {}, noGravado = 0, exento = 0, percepcion = 0;
        long tasa1 = 210;
        if (az.Milesimos(10)) {
            nombre = "ANULADA";  // voided voucher: every amount zero
        } else if (c.letra[0] == 'C') {
            noGravado = ImporteNeto(az);
        } else if (c.letra[0] == 'E' || az.Milesimos(60)) {
            exento = ImporteNeto(az);
        } else {
            int alicuotas = 1;
            if (c.alicuotasMax > 1) alicuotas = 1 + static_cast<int>(az.Pesos({72, 16, 8, 4}));
            if (az.Milesimos(150)) tasa1 = 105;
            constexpr long kTasas[3] = {0, 1050, 2700};  // rates of the second and third columns
            netos[0] = ImporteNeto(az);
            ivas[0] = Porcentaje(netos[0], tasa1 * 10);
            for (int a = 1; a < alicuotas; ++a) {
                netos[a] = ImporteNeto(az);
                ivas[a] = Porcentaje(netos[a], a < 3 ? kTasas[a] : 500);
            }
            if (alicuotas == 2 && az.Milesimos(100)) {  // second rate unused, third one used
                std::swap(netos[1], netos[2]);
                ivas[2] = Porcentaje(netos[2], kTasas[2]);
                ivas[1] = 0;
            }
            if (az.Milesimos(50)) noGravado = Porcentaje(netos[0], 1000);
            if (c.letra[0] == 'A' && az.Milesimos(500)) percepcion = Porcentaje(netos[0], 150);
        }
        long long netoGravado = netos[0] + netos[1] + netos[2] + netos[3];
        long long total =
            netoGravado + ivas[0] + ivas[1] + ivas[2] + ivas[3] + noGravado + exento + percepcion;
        if (c.tc[0] == 'N' && c.tc[1] == 'C') {  // credit notes carry negative amounts
            for (long long* v : {&netoGravado, &ivas[0], &noGravado, &exento, &percepcion, &total})
                *v = -*v;
        }

        st.Texto(1, fecha)
            .Texto(2, tc)
            .Texto(3, letra)
            .Entero(4, kSucursales[idxSuc])
            .Entero(5, numero)
            .Texto(6, cuit)
            .Texto(7, condicion)
            .Texto(8, nombre)
            .Importe(9, total)
            .Importe(10, netoGravado)
            .Importe(11, noGravado)
            .Importe(12, exento)
            .Importe(13, ivas[0])
            .Importe(14, ivas[1])
            .Importe(15, ivas[2])
            .Importe(16, ivas[3])
            .Tasa(17, tasa1)
            .Tasa(18, 105)
            .Tasa(19, 270)
            .Importe(20, percepcion)
            .Ejecuta();
    }
}

// Vouchers that the checks find wrong, one of each kind, in January 2013 (sucursal 9, so that
// they are easy to tell apart): for trying the check before filing. Returns how many.
long CargaErrores(sqlite3* db) {
    // In the perception file: a character Windows-1252 lacks (U+2011, a non-breaking hyphen), a
    // control character, an amount that is no number, a NULL amount, a number too long for its
    // field, and a voucher without a date (selected when no date filter is given).
    Exec(db, R"(
INSERT INTO MV_ASIENTOS (NROASIENTO, FECHA, CUENTA, TC, LETRA, SUCURSAL, NUMERO, cabcuit,
  CABNOMBRE, DETALLE, liva_impnetograv, LIVA_ImpIva, LIVA_Ret_IBtos, LIVA_Total, DEBE, HABER,
  CONFIDENCIAL) VALUES
  (900000001, '2013-01-15', '1.1.2.01', 'FC', 'A', 9, 900000001, '30‑71234567‑1',
   'Error: CUIT con guión no admitido', '', 1000, 210, 15, 1225, 1225, 0, 0),
  (900000002, '2013-01-15', '1.1.2.01', 'FC', 'A' || char(9), 9, 900000002, '30-71234567-1',
   'Error: letra con tabulador', '', 1000, 210, 15, 1225, 1225, 0, 0),
  (900000003, '2013-01-16', '1.1.2.01', 'FC', 'A', 9, 900000003, '30-71234567-1',
   'Error: neto que no es número', '', '1.234,56,7', 210, 15, 1225, 1225, 0, 0),
  (900000004, '2013-01-16', '1.1.2.01', 'ND', 'A', 9, 900000004, '30-71234567-1',
   'Error: neto vacío', '', NULL, 210, 15, 1225, 1225, 0, 0),
  (900000005, '2013-01-17', '1.1.2.01', 'FC', 'B', 9, '0009-00000005-DUPLICADO-X', '30-71234567-1',
   'Error: número demasiado largo', '', 1000, 210, 15, 1225, 1225, 0, 0),
  (900000006, NULL, '1.1.2.01', 'FC', 'A', 9, 900000006, '30-71234567-1',
   'Error: sin fecha', '', 1000, 210, 15, 1225, 1225, 0, 0);
)");
    // In the CITI file: a CUIT with a wrong check digit, a name longer than 30 characters, a
    // character Windows-1252 lacks, a voucher key of no known type, a NULL amount, and a date
    // that is no date.
    Exec(db, R"(
INSERT INTO LIBROIVAVENTAS (Fecha, TC, Letra, Sucursal, Numero, cabcuit, CABCONDIVA, CABNOMBRE,
  Liva_Total, LIVA_ImpNetoGrav, LIVA_ImpNetoNGrav, Liva_Exento, Liva_ImpIva, Liva_ImpIva2,
  Liva_ImpIva3, Liva_ImpIva4, liva_aliciva, liva_aliciva2, liva_aliciva3, LIVA_Ret_IBtos) VALUES
  ('2013-01-15', 'FC', 'A', 9, 1, '30-12345678-0', '80', 'Error CUIT inválido S.A.',
   1210, 1000, 0, 0, 210, 0, 0, 0, 21, 10.5, 27, 0),
  ('2013-01-15', 'FC', 'A', 9, 2, '30-71234567-1', '80',
   'Distribuidora Mayorista del Litoral Argentino S.A.', 1210, 1000, 0, 0, 210, 0, 0, 0, 21, 10.5,
   27, 0),
  ('2013-01-16', 'FC', 'A', 9, 3, '30-71234567-1', '80', 'Łódź Importaciones S.R.L.',
   1210, 1000, 0, 0, 210, 0, 0, 0, 21, 10.5, 27, 0),
  ('2013-01-16', 'RC', 'A', 9, 4, '30-71234567-1', '80', 'Error clave desconocida S.A.',
   1210, 1000, 0, 0, 210, 0, 0, 0, 21, 10.5, 27, 0),
  ('2013-01-17', 'FC', 'A', 9, 5, '30-71234567-1', '80', 'Error exento vacío S.A.',
   1210, 1000, 0, NULL, 210, 0, 0, 0, 21, 10.5, 27, 0),
  ('2013-01-32', 'FC', 'A', 9, 6, '30-71234567-1', '80', 'Error fecha imposible S.A.',
   1210, 1000, 0, 0, 210, 0, 0, 0, 21, 10.5, 27, 0);
)");
    return 12;
}

}  // namespace

ResumenDemo CreaDemo(const std::string& archivo, const OpcionesDemo& op,
                     const std::function<void(long hechos, long total)>& avance) {
    auto error = [&](const std::string& motivo) {
        return ErrorTamaris(err::kFalloGenerico,
                            "No se puede crear la base de datos " + archivo + ": " + motivo);
    };
    if (archivo.empty()) throw error("falta el nombre del archivo");
    if (op.filas < 0) throw error("la cantidad de filas no puede ser negativa");
    {
        std::error_code ec;
        const std::string carpeta = plataforma::Carpeta(archivo);
        if (!fs::is_directory(plataforma::Ruta(carpeta), ec))
            throw error("no existe la carpeta " + carpeta);
        if (fs::is_directory(plataforma::Ruta(archivo), ec))
            throw error("ya existe una carpeta con ese nombre");
    }

    ResumenDemo r;
    r.asientos = op.filas;
    r.libroIva = op.filas == 0 ? 0 : std::clamp(op.filas / 10, 20L, 20000L);

    ArchivoTemporal tmp(archivo + "." + std::to_string(plataforma::IdProceso()) + ".tmp");
    try {
        sqlite3* db = tmp.Abre();
        Exec(db,
             "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
             "PRAGMA temp_store = MEMORY; PRAGMA cache_size = -65536;");

        // Tables and views first, the indexes after the rows are in.
        const std::string_view esquema = EsquemaSql();
        const size_t corte = esquema.find("-- @indices");
        const std::string tablas(esquema.substr(0, corte));
        const std::string indices(corte == std::string_view::npos ? std::string_view()
                                                                  : esquema.substr(corte));

        Exec(db, "BEGIN");
        Exec(db, tablas);
        Azar az(op.semilla);
        const std::vector<Cliente> clientes = Clientes(az, std::clamp(op.filas / 20, 50L, 3000L));
        CargaTablasFijas(db);
        r.exportables = CargaAsientos(db, az, op.filas, clientes, avance);
        CargaLibroIva(db, az, r.libroIva, clientes);
        if (op.conErrores) r.conErrores = CargaErrores(db);
        Exec(db, indices);
        Exec(db, "COMMIT");
        tmp.Cierra();

        if (const int e = plataforma::Reemplaza(tmp.Ruta(), archivo); e != 0)
            throw Falla{"no se puede reemplazar el archivo: " +
                        MotivoSistema(std::error_code(e, std::generic_category()))};
        tmp.Listo();
    } catch (const Falla& f) {
        throw error(f.motivo);
    } catch (const std::bad_alloc&) {
        throw error("memoria insuficiente");
    }
    if (avance) avance(op.filas, op.filas);
    return r;
}

}  // namespace tamaris
