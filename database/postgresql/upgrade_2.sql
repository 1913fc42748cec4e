-- VORNA schema upgrade to version 2 for PostgreSQL: the schema version and the issuer of the
-- quotations. Run by the program in one transaction with the other missing steps; it then
-- records the new version.

-- The version of the schema, one row; the program brings an earlier database up to its own
-- version when it starts (upgrade_<version>.sql) and refuses a later one.
CREATE TABLE MSCHEMA (
    NVERSION integer NOT NULL
);

-- The issuer of the quotations (NISSUER 1), one row shared by everyone using the database.
-- NTAXROUND: 0 round down, 1 round half up, 2 round up.
CREATE TABLE MISSUER (
    NISSUER integer NOT NULL,
    CCOMPANY varchar(100),
    CPOSTAL varchar(10),
    CADDRESS1 varchar(100),
    CADDRESS2 varchar(100),
    CTEL varchar(30),
    CREGNO varchar(14),
    CPERSON varchar(50),
    CPAYTERMS varchar(500),
    NVALIDDAYS integer,
    NTAXRATE integer,
    NTAXROUND integer,
    CREMARKS varchar(1000),
    CONSTRAINT PK_MISSUER PRIMARY KEY (NISSUER)
);
