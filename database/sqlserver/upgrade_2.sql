-- VORNA schema upgrade to version 2 for SQL Server: the schema version and the issuer of the
-- quotations. Run by the program in one transaction with the other missing steps; it then
-- records the new version.

-- The version of the schema, one row; the program brings an earlier database up to its own
-- version when it starts (upgrade_<version>.sql) and refuses a later one.
CREATE TABLE MSCHEMA (
    NVERSION int NOT NULL
);

-- The issuer of the quotations (NISSUER 1), one row shared by everyone using the database.
-- NTAXROUND: 0 round down, 1 round half up, 2 round up.
CREATE TABLE MISSUER (
    NISSUER int NOT NULL,
    CCOMPANY nvarchar(100) NULL,
    CPOSTAL nvarchar(10) NULL,
    CADDRESS1 nvarchar(100) NULL,
    CADDRESS2 nvarchar(100) NULL,
    CTEL nvarchar(30) NULL,
    CREGNO nvarchar(14) NULL,
    CPERSON nvarchar(50) NULL,
    CPAYTERMS nvarchar(500) NULL,
    NVALIDDAYS int NULL,
    NTAXRATE int NULL,
    NTAXROUND int NULL,
    CREMARKS nvarchar(1000) NULL,
    CONSTRAINT PK_MISSUER PRIMARY KEY (NISSUER)
);
