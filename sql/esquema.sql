-- Tamaris suite database: the tables that the perception and CITI exports read and write.
--
-- SQLite conventions of the suite's Linux port:
--   * dates are ISO-8601 text ('YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS') in DATETIME columns;
--   * text that the suite compares is COLLATE NOCASE, as on the SQL Server databases
--     (Latin1_General_CI_AI);
--   * amounts are DECIMAL(15,2) or MONEY, flags INTEGER (0/1);
--   * the restricted "SS_" twins are views over their base tables that hide the rows marked
--     CONFIDENCIAL.
-- The script runs as one batch (sqlite3_exec) on an empty database.

-- Accounting entries. The perception export reads the sales vouchers (FC, ND, NC) that carry
-- a gross-income perception.
CREATE TABLE MV_ASIENTOS (
    ID                    INTEGER PRIMARY KEY,
    NROASIENTO            INTEGER DEFAULT 0,
    FECHA                 DATETIME,
    CUENTA                VARCHAR(20) COLLATE NOCASE,
    TC                    VARCHAR(5) COLLATE NOCASE,
    LETRA                 VARCHAR(1) COLLATE NOCASE DEFAULT '',
    SUCURSAL              INTEGER DEFAULT 0,
    NUMERO                BIGINT DEFAULT 0,
    cabcuit               VARCHAR(13) COLLATE NOCASE DEFAULT '',
    CABNOMBRE             VARCHAR(60) COLLATE NOCASE DEFAULT '',
    DETALLE               VARCHAR(100) COLLATE NOCASE DEFAULT '',
    liva_impnetograv      DECIMAL(15,2) DEFAULT 0,
    LIVA_ImpIva           DECIMAL(15,2) DEFAULT 0,
    LIVA_Ret_IBtos        DECIMAL(15,2) DEFAULT 0,
    LIVA_Total            DECIMAL(15,2) DEFAULT 0,
    DEBE                  MONEY DEFAULT 0,
    HABER                 MONEY DEFAULT 0,
    CONFIDENCIAL          INTEGER DEFAULT 0
);

-- Sales VAT book, one row per voucher with up to four VAT rates.
CREATE TABLE LIBROIVAVENTAS (
    ID                    INTEGER PRIMARY KEY,
    Fecha                 DATETIME,
    TC                    VARCHAR(5) COLLATE NOCASE,
    Letra                 VARCHAR(1) COLLATE NOCASE DEFAULT '',
    Sucursal              INTEGER DEFAULT 0,
    Numero                BIGINT DEFAULT 0,
    cabcuit               VARCHAR(13) COLLATE NOCASE DEFAULT '',
    CABCONDIVA            VARCHAR(3) COLLATE NOCASE DEFAULT '',
    CABNOMBRE             VARCHAR(60) COLLATE NOCASE DEFAULT '',
    Liva_Total            DECIMAL(15,2) DEFAULT 0,
    LIVA_ImpNetoGrav      DECIMAL(15,2) DEFAULT 0,
    LIVA_ImpNetoNGrav     DECIMAL(15,2) DEFAULT 0,
    Liva_Exento           DECIMAL(15,2) DEFAULT 0,
    Liva_ImpIva           DECIMAL(15,2) DEFAULT 0,
    Liva_ImpIva2          DECIMAL(15,2) DEFAULT 0,
    Liva_ImpIva3          DECIMAL(15,2) DEFAULT 0,
    Liva_ImpIva4          DECIMAL(15,2) DEFAULT 0,
    liva_aliciva          DECIMAL(5,2) DEFAULT 21,
    liva_aliciva2         DECIMAL(5,2) DEFAULT 10.5,
    liva_aliciva3         DECIMAL(5,2) DEFAULT 27,
    LIVA_Ret_IBtos        DECIMAL(15,2) DEFAULT 0
);

-- Chart of accounts.
CREATE TABLE MA_CUENTAS (
    ID                    INTEGER PRIMARY KEY,
    Codigo                VARCHAR(20) COLLATE NOCASE NOT NULL UNIQUE,
    Descripcion           VARCHAR(100) COLLATE NOCASE DEFAULT '',
    Imputable             INTEGER DEFAULT 1,
    Nivel                 INTEGER DEFAULT 1,
    CONFIDENCIAL          INTEGER DEFAULT 0
);

-- Key/value settings of the suite (also present in TM_ESTADISTICAS). The writer stores the
-- key upper-case; readers compare it without regard to case.
CREATE TABLE TA_CONFIGURACION (
    ID                    INTEGER PRIMARY KEY,
    CLAVE                 VARCHAR(100) COLLATE NOCASE NOT NULL UNIQUE,
    VALOR                 VARCHAR(255) COLLATE NOCASE,
    ValorAux              VARCHAR(255) COLLATE NOCASE,
    Grupo                 VARCHAR(50) COLLATE NOCASE,
    PoliticaNegocio       INTEGER DEFAULT 0
);

-- Users of the suite; Administrador = 1 reads the base tables instead of the SS_ views.
CREATE TABLE TA_USUARIOS (
    ID                    INTEGER PRIMARY KEY,
    Nombre                VARCHAR(50) COLLATE NOCASE NOT NULL UNIQUE,
    NombreCompleto        VARCHAR(100) COLLATE NOCASE DEFAULT '',
    Administrador         INTEGER DEFAULT 0,
    Activo                INTEGER DEFAULT 1
);

-- Document types, by the tax agency's codes (80 CUIT, 96 DNI...); code 1 is the suite's older
-- code for the CUIT, which the CITI routines still check identifiers against.
CREATE TABLE TA_TIPODOCUMENTO (
    ID                    INTEGER PRIMARY KEY,
    Codigo                VARCHAR(3) COLLATE NOCASE NOT NULL UNIQUE,
    Descripcion           VARCHAR(50) COLLATE NOCASE DEFAULT ''
);

-- Product families; the code of a family begins with the code of its parent.
CREATE TABLE V_TA_FAMILIAS (
    IdFamilia             VARCHAR(10) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion           VARCHAR(60) COLLATE NOCASE DEFAULT '',
    CONFIDENCIAL          INTEGER DEFAULT 0
);

-- Cash registers, shown on the status bar; a missing register is added by the program.
CREATE TABLE V_TA_CAJAS (
    IdCajas               VARCHAR(10) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion           VARCHAR(50) COLLATE NOCASE DEFAULT '',
    CONFIDENCIAL          INTEGER DEFAULT 0
);

-- Cost centres, looked up before the accounts when a tree lookup returns a CODIGO.
CREATE TABLE TA_CCOSTO (
    ID                    INTEGER PRIMARY KEY,
    Codigo                VARCHAR(20) COLLATE NOCASE NOT NULL UNIQUE,
    Descripcion           VARCHAR(100) COLLATE NOCASE DEFAULT ''
);

-- Menu and tasks of each user, for the task name of the access log.
CREATE TABLE TA_MENU (
    ID                    INTEGER PRIMARY KEY,
    Clave                 VARCHAR(20) COLLATE NOCASE NOT NULL UNIQUE,
    Proceso               VARCHAR(100) COLLATE NOCASE DEFAULT '',
    Nombre                VARCHAR(100) COLLATE NOCASE DEFAULT ''
);

CREATE TABLE TA_TAREAS (
    ID                    INTEGER PRIMARY KEY,
    USUARIO               VARCHAR(50) COLLATE NOCASE,
    TAREA                 VARCHAR(20) COLLATE NOCASE
);

-- Access log: one row per start of a program of the suite.
CREATE TABLE Control_Acceso (
    ID                    INTEGER PRIMARY KEY,
    Maquina               VARCHAR(50) COLLATE NOCASE,
    Usuario               VARCHAR(50) COLLATE NOCASE,
    Formulario            VARCHAR(50) COLLATE NOCASE,
    Tarea                 VARCHAR(100) COLLATE NOCASE,
    Ingreso               DATETIME,
    NombreUsuario         VARCHAR(50) COLLATE NOCASE
);

-- Process errors recorded by the programs.
CREATE TABLE AUX_ERR (
    ID                    INTEGER PRIMARY KEY,
    Proceso               VARCHAR(50) COLLATE NOCASE,
    Fecha                 DATETIME,
    Error                 INTEGER,
    Descripcion           VARCHAR(250),
    SQL                   TEXT,
    PC                    VARCHAR(50) COLLATE NOCASE,
    Usuario               VARCHAR(50) COLLATE NOCASE
);

-- Articles reported as missing from stock from the article lookups.
CREATE TABLE V_MV_FALTANTES (
    ID                    INTEGER PRIMARY KEY,
    FechaHora             DATETIME,
    IdArticulo            VARCHAR(25) COLLATE NOCASE,
    Descripcion           VARCHAR(100) COLLATE NOCASE,
    Usuario               VARCHAR(50) COLLATE NOCASE
);

-- Restricted twins read by users who are not administrators.
CREATE VIEW SS_MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS WHERE IFNULL(CONFIDENCIAL, 0) = 0;
CREATE VIEW SS_MA_CUENTAS AS SELECT * FROM MA_CUENTAS WHERE IFNULL(CONFIDENCIAL, 0) = 0;
CREATE VIEW SS_V_TA_FAMILIAS AS SELECT * FROM V_TA_FAMILIAS WHERE IFNULL(CONFIDENCIAL, 0) = 0;
CREATE VIEW SS_V_TA_CAJAS AS SELECT * FROM V_TA_CAJAS WHERE IFNULL(CONFIDENCIAL, 0) = 0;

-- @indices: created after a bulk load, which is faster than maintaining them row by row.
CREATE INDEX IX_MV_ASIENTOS_FECHA ON MV_ASIENTOS (FECHA);
CREATE INDEX IX_MV_ASIENTOS_CUENTA ON MV_ASIENTOS (CUENTA, FECHA);
CREATE INDEX IX_LIBROIVAVENTAS_FECHA ON LIBROIVAVENTAS (Fecha);
CREATE INDEX IX_TA_TAREAS_USUARIO ON TA_TAREAS (USUARIO, TAREA);
