-- VORNA schema upgrade to version 2 for SQLite: the schema version and the issuer of the
-- quotations. Run by the program in one transaction with the other missing steps; it then
-- records the new version.

-- The version of the schema, one row; the program brings an earlier database up to its own
-- version when it starts (upgrade_<version>.sql) and refuses a later one.
CREATE TABLE MSCHEMA (
    NVERSION INTEGER NOT NULL
);

-- The issuer of the quotations (NISSUER 1), one row shared by everyone using the database.
-- NTAXROUND: 0 round down, 1 round half up, 2 round up.
CREATE TABLE MISSUER (
    NISSUER INTEGER NOT NULL,
    CCOMPANY TEXT CONSTRAINT CK_LEN_MISSUER_CCOMPANY CHECK (length(CCOMPANY) <= 100),
    CPOSTAL TEXT CONSTRAINT CK_LEN_MISSUER_CPOSTAL CHECK (length(CPOSTAL) <= 10),
    CADDRESS1 TEXT CONSTRAINT CK_LEN_MISSUER_CADDRESS1 CHECK (length(CADDRESS1) <= 100),
    CADDRESS2 TEXT CONSTRAINT CK_LEN_MISSUER_CADDRESS2 CHECK (length(CADDRESS2) <= 100),
    CTEL TEXT CONSTRAINT CK_LEN_MISSUER_CTEL CHECK (length(CTEL) <= 30),
    CREGNO TEXT CONSTRAINT CK_LEN_MISSUER_CREGNO CHECK (length(CREGNO) <= 14),
    CPERSON TEXT CONSTRAINT CK_LEN_MISSUER_CPERSON CHECK (length(CPERSON) <= 50),
    CPAYTERMS TEXT CONSTRAINT CK_LEN_MISSUER_CPAYTERMS CHECK (length(CPAYTERMS) <= 500),
    NVALIDDAYS INTEGER,
    NTAXRATE INTEGER,
    NTAXROUND INTEGER,
    CREMARKS TEXT CONSTRAINT CK_LEN_MISSUER_CREMARKS CHECK (length(CREMARKS) <= 1000),
    CONSTRAINT PK_MISSUER PRIMARY KEY (NISSUER)
);
