#pragma once
// A throwaway PostgreSQL cluster for the tests that need a network server: initdb and pg_ctl
// of the installed PostgreSQL, run as an unprivileged user when the tests run as root (CI),
// listening on a free loopback port only, data under a fresh temporary folder. It is stopped
// and its folder removed when the object goes, and also when the test program dies without
// running destructors: a small guard process waits on a pipe and cleans up when it closes.
//
// Reached by the program only through unixODBC and the "PostgreSQL Unicode" driver (psqlODBC).
// Rows are loaded with psql, never through the code under test.

#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "soporte/Proceso.h"

namespace prueba {

class ClusterPostgres {
  public:
    // Starts the cluster; throws std::runtime_error saying what is missing when it cannot.
    ClusterPostgres() {
        namespace fs = std::filesystem;
        bin_ = CarpetaBinarios();
        if (std::system("odbcinst -q -d -n 'PostgreSQL Unicode' >/dev/null 2>&1") != 0)
            throw std::runtime_error(
                "unixODBC no conoce el controlador \"PostgreSQL Unicode\" (odbc-postgresql)");
        char plantilla[] = "/tmp/tamaris_pg_XXXXXX";
        if (!::mkdtemp(plantilla)) throw std::runtime_error("mkdtemp");
        dir_ = plantilla;
        // initdb refuses to run as root: the cluster belongs to an ordinary user.
        if (::geteuid() == 0) {
            const passwd* pw = ::getpwnam("postgres");
            if (!pw) pw = ::getpwnam("nobody");
            if (!pw) throw std::runtime_error("no hay usuario sin privilegios para initdb");
            usuario_ = pw->pw_name;
            if (::chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0)
                throw std::runtime_error("chown " + dir_);
        }
        Guardian();
        puerto_ = PuertoLibre();
        Ejecuta(ComoUsuario(bin_ + "/initdb -D " + Comillas(dir_ + "/datos") +
                            " -U tamaris -A trust -E UTF8 --no-locale --no-sync"),
                "initdb");
        Iniciar();
    }
    ~ClusterPostgres() {
        Detener();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        if (guardia_ > 0) {
            ::close(tuberia_);
            ::waitpid(guardia_, nullptr, 0);
        }
    }
    ClusterPostgres(const ClusterPostgres&) = delete;
    ClusterPostgres& operator=(const ClusterPostgres&) = delete;

    void Iniciar() {
        Ejecuta(ComoUsuario(bin_ + "/pg_ctl -D " + Comillas(dir_ + "/datos") + " -l " +
                            Comillas(dir_ + "/log") + " -w -t 60 -o " +
                            Comillas("-p " + std::to_string(puerto_) +
                                     " -c listen_addresses=127.0.0.1 -k " + dir_ +
                                     " -c fsync=off -c full_page_writes=off") +
                            " start"),
                "pg_ctl start");
        enMarcha_ = true;
    }
    void Detener() {
        if (!enMarcha_) return;
        enMarcha_ = false;
        std::system((ComoUsuario(bin_ + "/pg_ctl -D " + Comillas(dir_ + "/datos") +
                                 " -m immediate -w stop") +
                     " >/dev/null 2>&1")
                        .c_str());
    }

    int Puerto() const { return puerto_; }

    // Makes role `rol` prove its password on loopback (every other role is still trusted).
    void ExigeClave(const std::string& rol) const {
        const std::string hba = dir_ + "/datos/pg_hba.conf";
        const std::string antes = LeeArchivo(hba);
        std::ofstream(hba, std::ios::binary | std::ios::trunc)
            << "host all " << rol << " 127.0.0.1/32 scram-sha-256\n"
            << antes;
        Psql("postgres", "SELECT pg_reload_conf();");
    }

    // ODBC connection string of database `base`, as a user would write it.
    std::string Cadena(const std::string& base) const {
        return "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(puerto_) +
               ";Database=" + base + ";Uid=tamaris;Pwd=x;";
    }

    // Runs SQL through psql on `base`; returns what it printed (unaligned, tuples only).
    std::string Psql(const std::string& base, const std::string& sql) const {
        const std::string archivo = dir_ + "/psql_" + std::to_string(++n_) + ".sql";
        std::ofstream(archivo, std::ios::binary) << sql;
        const std::string salida = archivo + ".out";
        const std::string cmd =
            PsqlCmd(base) + " -f " + Comillas(archivo) + " >" + Comillas(salida) + " 2>&1";
        const int r = std::system(cmd.c_str());
        std::string texto = LeeArchivo(salida);
        std::filesystem::remove(archivo);
        std::filesystem::remove(salida);
        if (r != 0) throw std::runtime_error("psql: " + texto + " en: " + sql.substr(0, 300));
        return texto;
    }
    // psql on `base` as a shell command line, for a session kept open in the background.
    std::string PsqlCmd(const std::string& base) const {
        return bin_ + "/psql -X -q -A -t -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " +
               std::to_string(puerto_) + " -U tamaris -d " + base;
    }

    // A new database holding the suite's PostgreSQL schema.
    void CreaBase(const std::string& base) const {
        Psql("postgres", "CREATE DATABASE " + base + ";");
        Psql(base, LeeArchivo(std::string(TAMARIS_SQL_DIR) + "/esquema_postgresql.sql"));
    }

    // Copies every row of every table of the SQLite file into `base` (same table and column
    // names), in rowid order, and moves the ID sequences past the copied IDs.
    void CopiaDeSqlite(const std::string& archivo, const std::string& base) const {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw std::runtime_error("no se puede abrir " + archivo);
        std::string sql = "BEGIN;\n";
        for (const std::string& tabla : Columna(db,
                                                "SELECT name FROM sqlite_master WHERE "
                                                "type='table' ORDER BY name")) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, ("SELECT * FROM \"" + tabla + "\" ORDER BY rowid").c_str(), -1,
                               &st, nullptr);
            const int n = sqlite3_column_count(st);
            std::string columnas;
            bool conId = false;
            for (int i = 0; i < n; ++i) {
                const std::string c = sqlite3_column_name(st, i);
                columnas += (i ? "," : "") + c;
                conId = conId || c == "ID";
            }
            sql += "COPY " + tabla + " (" + columnas + ") FROM STDIN WITH (FORMAT csv);\n";
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int i = 0; i < n; ++i) {
                    if (i) sql += ',';
                    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                    if (sqlite3_column_type(st, i) == SQLITE_NULL) continue;
                    if (sqlite3_column_type(st, i) != SQLITE_TEXT) {
                        sql += t;
                        continue;
                    }
                    sql += '"';
                    for (const char* p = t; *p; ++p)
                        sql += *p == '"' ? std::string("\"\"") : std::string(1, *p);
                    sql += '"';
                }
                sql += '\n';
            }
            sql += "\\.\n";
            sqlite3_finalize(st);
            if (conId)
                sql += "SELECT setval(pg_get_serial_sequence('" + tabla +
                       "', 'id'), max(id)) FROM " + tabla + " HAVING max(id) IS NOT NULL;\n";
        }
        sqlite3_close(db);
        Psql(base, sql + "COMMIT;\n");
    }

  private:
    static std::vector<std::string> Columna(sqlite3* db, const std::string& sql) {
        std::vector<std::string> r;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            r.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return r;
    }

    static std::string CarpetaBinarios() {
        if (const char* v = std::getenv("TAMARIS_PG_BIN"); v && *v) return v;
        namespace fs = std::filesystem;
        std::string mejor;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec))
            if (fs::exists(e.path() / "bin/initdb") && e.path().string() > mejor)
                mejor = e.path().string();
        if (mejor.empty())
            throw std::runtime_error("no se encuentra initdb en /usr/lib/postgresql/*/bin");
        return mejor + "/bin";
    }

    // A port nobody listens on now; the server takes it a moment later.
    static int PuertoLibre() {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t largo = sizeof a;
        if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &largo) != 0) {
            ::close(s);
            throw std::runtime_error("no hay puerto libre en 127.0.0.1");
        }
        ::close(s);
        return ntohs(a.sin_port);
    }

    std::string ComoUsuario(const std::string& cmd) const {
        return usuario_.empty() ? cmd : "runuser -u " + usuario_ + " -- " + cmd;
    }

    void Ejecuta(const std::string& cmd, const char* que) const {
        const std::string log = dir_ + "/ejecuta.log";
        if (std::system((cmd + " >" + Comillas(log) + " 2>&1").c_str()) != 0) {
            const std::string texto = LeeArchivo(log) + LeeArchivo(dir_ + "/log");
            throw std::runtime_error(std::string(que) + " falló: " + texto);
        }
    }

    // The guard process: when every copy of the pipe's write end is gone (this program ended,
    // however it ended), it stops the cluster and removes its folder.
    void Guardian() {
        int p[2];
        if (::pipe2(p, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        const std::string parada = ComoUsuario(bin_ + "/pg_ctl -D " + Comillas(dir_ + "/datos") +
                                               " -m immediate -w stop") +
                                   " >/dev/null 2>&1";
        guardia_ = ::fork();
        if (guardia_ == 0) {
            ::close(p[1]);
            char c;
            while (::read(p[0], &c, 1) > 0) {
            }
            if (std::filesystem::exists(dir_ + "/datos/postmaster.pid"))
                std::system(parada.c_str());
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
            ::_exit(0);
        }
        ::close(p[0]);
        tuberia_ = p[1];
    }

    std::string bin_, dir_, usuario_;
    int puerto_ = 0;
    bool enMarcha_ = false;
    pid_t guardia_ = -1;
    int tuberia_ = -1;
    mutable int n_ = 0;
};

// The cluster the test program started for all its tests; null, with the reason in `motivo`,
// when it could not start.
ClusterPostgres* ClusterDelPrograma(std::string& motivo);

}  // namespace prueba
