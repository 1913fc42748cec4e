-- VORNA database schema for SQL Server.
--
-- Each statement is sent on its own (no GO separators), so CREATE VIEW is always the only
-- statement of its batch.
-- Column order is binding: TFP, TFPADJ, TCOCOMO, TCHARGE, TCONTRACT, TDELIV, TEXPENSE,
-- TMEMBER and TDATE are filled by INSERT ... VALUES without a column list.
-- The first letter of a column gives its class: N number, C text, D date.
-- Nullability is spelled out so that it does not depend on the session's ANSI_NULL_DFLT
-- setting.
-- Foreign keys point only from project data to masters a user may delete, so that deleting
-- a master row still in use is refused.

-- Masters

CREATE TABLE MDIV (
    NDID int NOT NULL,
    NVAL int NOT NULL,
    CNAME nvarchar(50) NULL,
    NSORT int NULL,
    CDEF nvarchar(1) NULL,
    NCOEF float NULL,
    NCOEF2 float NULL,
    NCOEF3 float NULL,
    CONSTRAINT PK_MDIV PRIMARY KEY (NDID, NVAL)
);

CREATE TABLE MLANG (
    NLANG int IDENTITY(1,1) PRIMARY KEY,
    CLANG nvarchar(50) NULL,
    NCOEF float NULL,
    NSORT int NULL
);

CREATE TABLE MCUSTOMER (
    NCUSTOMER int IDENTITY(1,1) PRIMARY KEY,
    CCUSTNAME nvarchar(50) NULL,
    CMEMO nvarchar(255) NULL,
    NSORT int NULL
);

CREATE TABLE MPRIBASE (
    NPRIKIND int IDENTITY(1,1) PRIMARY KEY,
    CPRINAME nvarchar(50) NULL,
    NBASE float NULL,
    NSORT int NULL
);

-- CCKIND '0': NDKIND is a member kind (division 17); '1': a process (division 7).
CREATE TABLE MPRIPROG (
    NPRIKIND int NOT NULL,
    CCKIND nvarchar(1) NOT NULL,
    NDKIND int NOT NULL,
    NDPRI float NULL,
    CONSTRAINT PK_MPRIPROG PRIMARY KEY (NPRIKIND, CCKIND, NDKIND),
    CONSTRAINT FK_MPRIPROG_NPRIKIND FOREIGN KEY (NPRIKIND) REFERENCES MPRIBASE (NPRIKIND)
);

CREATE TABLE MMEMBER (
    NMEMBER int IDENTITY(1,1) PRIMARY KEY,
    CMEMBER nvarchar(50) NULL,
    NMKIND int NULL,
    NMEMBPRI float NULL,
    NSORT int NULL
);

CREATE TABLE MITEM (
    NITEM int IDENTITY(1,1) PRIMARY KEY,
    CITEM nvarchar(50) NULL,
    NAPIECE float NULL,
    NSORT int NULL
);

CREATE TABLE MFPMATRIX (
    NKIND int NOT NULL,
    NCOMPLEX int NOT NULL,
    NFP int NULL,
    CONSTRAINT PK_MFPMATRIX PRIMARY KEY (NKIND, NCOMPLEX)
);

CREATE TABLE MCOCOMO (
    NDKIND int NOT NULL,
    NDRIVER int NOT NULL,
    NDRANK int NOT NULL,
    NVALUE float NULL,
    CONSTRAINT PK_MCOCOMO PRIMARY KEY (NDKIND, NDRIVER, NDRANK)
);

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

-- Project data

-- NPARPROJ is 0 for a top-level project, so it has no foreign key.
CREATE TABLE TPROJECT (
    NPROJECT int IDENTITY(1,1) PRIMARY KEY,
    NPARPROJ int NULL,
    CPROJNAME nvarchar(100) NULL,
    NENDCUST int NULL CONSTRAINT FK_TPROJECT_NENDCUST REFERENCES MCUSTOMER (NCUSTOMER),
    NCONTCUST int NULL CONSTRAINT FK_TPROJECT_NCONTCUST REFERENCES MCUSTOMER (NCUSTOMER),
    NPRIKIND int NULL CONSTRAINT FK_TPROJECT_NPRIKIND REFERENCES MPRIBASE (NPRIKIND),
    NBASE float NULL,
    NPRICE float NULL,
    COUTLINE nvarchar(2000) NULL,
    CSPECIAL nvarchar(2000) NULL,
    CBASE nvarchar(1) NULL,
    CWORK nvarchar(1) NULL,
    COPT nvarchar(1) NULL,
    CDELIV nvarchar(1) NULL,
    CEXPE0 nvarchar(1) NULL,
    CEXPE1 nvarchar(1) NULL,
    NDISCOUNT float NULL,
    NSORT int NULL
);

CREATE TABLE TFUNCTION (
    NPROJECT int NULL,
    NFUNCTION int IDENTITY(1,1) PRIMARY KEY,
    CVALID nvarchar(1) NULL,
    NNUP int NULL,
    NIMP int NULL,
    NDEF int NULL,
    NRSK int NULL,
    NTRM int NULL,
    NLNG int NULL CONSTRAINT FK_TFUNCTION_NLNG REFERENCES MLANG (NLANG),
    CSFUNC nvarchar(100) NULL,
    CLFUNC nvarchar(2000) NULL,
    NDISCOUNT float NULL,
    NHTOTAL float NULL,
    NTOTAL float NULL,
    NPRICE float NULL,
    NSORT int NULL
);

CREATE TABLE TFP (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NADD int NOT NULL,
    CTITLE nvarchar(100) NULL,
    NKIND int NULL,
    NCOMPLEX int NULL,
    CONSTRAINT PK_TFP PRIMARY KEY (NPROJECT, NFUNCTION, NADD)
);

CREATE TABLE TFPADJ (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NKIND int NOT NULL,
    NFPADJ int NULL,
    CONSTRAINT PK_TFPADJ PRIMARY KEY (NPROJECT, NFUNCTION, NKIND)
);

CREATE TABLE TCOCOMO (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NDKIND int NOT NULL,
    NDRIVER int NOT NULL,
    NDRANK int NULL,
    CONSTRAINT PK_TCOCOMO PRIMARY KEY (NPROJECT, NFUNCTION, NDKIND, NDRIVER)
);

-- NPROC is the row of the process on the hours page (1..9), not its division code.
CREATE TABLE TCHARGE (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NPROC int NOT NULL,
    NADD int NOT NULL,
    NMEMBER int NULL CONSTRAINT FK_TCHARGE_NMEMBER REFERENCES MMEMBER (NMEMBER),
    NHOUR float NULL,
    CONSTRAINT PK_TCHARGE PRIMARY KEY (NPROJECT, NFUNCTION, NPROC, NADD)
);

CREATE TABLE THOUR (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NDKIND int NOT NULL,
    NHOUR float NULL,
    NPRI float NULL,
    CONSTRAINT PK_THOUR PRIMARY KEY (NPROJECT, NFUNCTION, NDKIND)
);

CREATE TABLE TCONTRACT (
    NPROJECT int NOT NULL,
    NCID int NOT NULL,
    NVAL int NULL,
    CNAME nvarchar(50) NULL,
    CMEMO nvarchar(255) NULL,
    NPRI float NULL,
    CONSTRAINT PK_TCONTRACT PRIMARY KEY (NPROJECT, NCID)
);

-- Here CDELIV is the name of a free deliverable, not a flag as in TPROJECT.
CREATE TABLE TDELIV (
    NPROJECT int NOT NULL,
    NADD int NOT NULL,
    NVAL int NULL,
    CHAVE nvarchar(1) NULL,
    CFMT nvarchar(1) NULL,
    CDELIV nvarchar(50) NULL,
    NPRI float NULL,
    CONSTRAINT PK_TDELIV PRIMARY KEY (NPROJECT, NADD)
);

CREATE TABLE TEXPENSE (
    NPROJECT int NOT NULL,
    NADD int NOT NULL,
    NITEM int NULL CONSTRAINT FK_TEXPENSE_NITEM REFERENCES MITEM (NITEM),
    NBUY int NULL,
    NAPIECE float NULL,
    NNUM int NULL,
    NDISCP float NULL,
    NPRICEP float NULL,
    CONSTRAINT PK_TEXPENSE PRIMARY KEY (NPROJECT, NADD)
);

CREATE TABLE TMEMBER (
    NPROJECT int NOT NULL,
    NADD int NOT NULL,
    NMEMBER int NULL CONSTRAINT FK_TMEMBER_NMEMBER REFERENCES MMEMBER (NMEMBER),
    NMKIND int NULL,
    NMEMBPRI float NULL,
    NMEMBOCCU float NULL,
    NINDIRECT float NULL,
    CONSTRAINT PK_TMEMBER PRIMARY KEY (NPROJECT, NADD)
);

-- NFUNCTION 0 holds the project's own dates, so there is no key to TFUNCTION.
CREATE TABLE TDATE (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NDKIND int NOT NULL,
    DDATE datetime NULL,
    CONSTRAINT PK_TDATE PRIMARY KEY (NPROJECT, NFUNCTION, NDKIND)
);

-- Indexes for the tree, the function list, assignment checks and the reference checks of
-- master deletes.

CREATE INDEX IX_TPROJECT_NPARPROJ ON TPROJECT (NPARPROJ);
CREATE INDEX IX_TPROJECT_NENDCUST ON TPROJECT (NENDCUST);
CREATE INDEX IX_TPROJECT_NCONTCUST ON TPROJECT (NCONTCUST);
CREATE INDEX IX_TPROJECT_NPRIKIND ON TPROJECT (NPRIKIND);
CREATE INDEX IX_TFUNCTION_NPROJECT ON TFUNCTION (NPROJECT, NFUNCTION);
CREATE INDEX IX_TFUNCTION_NLNG ON TFUNCTION (NLNG);
CREATE INDEX IX_TCHARGE_NMEMBER ON TCHARGE (NMEMBER, NPROJECT);
CREATE INDEX IX_TEXPENSE_NITEM ON TEXPENSE (NITEM);
-- A member appears once per project; VCHARGE relies on it to give one row per assignment.
-- (Unlike the other engines, SQL Server counts two NULL members as equal here; the program
-- never stores a member row without a member.)
CREATE UNIQUE INDEX UX_TMEMBER_NMEMBER ON TMEMBER (NMEMBER, NPROJECT);

-- Actual hours of a counted function per process (division 7 code), whole hours; a process
-- without a row has none recorded. Filled by INSERT ... VALUES without a column list.
CREATE TABLE TACTUAL (
    NPROJECT int NOT NULL,
    NFUNCTION int NOT NULL,
    NDKIND int NOT NULL,
    NHOUR int NOT NULL,
    CONSTRAINT PK_TACTUAL PRIMARY KEY (NPROJECT, NFUNCTION, NDKIND)
);

-- A finished project (完了) with the date it was finished; no row while it runs.
CREATE TABLE TPROJDONE (
    NPROJECT int NOT NULL,
    DDONE datetime NULL,
    CONSTRAINT PK_TPROJDONE PRIMARY KEY (NPROJECT)
);

-- The COCOMO constant A calibrated on the finished projects (NCALIB 1), shared by everyone
-- using the database; no row: the standard 2.94.
CREATE TABLE MCALIB (
    NCALIB int NOT NULL,
    NCOCOMOA float NULL,
    CONSTRAINT PK_MCALIB PRIMARY KEY (NCALIB)
);

-- Views

-- Every assignment once per price kind, priced by the member's kind in that project;
-- a missing member, kind or price gives NDPRI 0 instead of dropping the assignment.
CREATE VIEW VCHARGE AS
SELECT C.NPROJECT, C.NFUNCTION, C.NPROC, C.NADD, C.NMEMBER, C.NHOUR,
       M.CMEMBER, B.NPRIKIND, COALESCE(P.NDPRI, 0) AS NDPRI
FROM TCHARGE AS C
CROSS JOIN MPRIBASE AS B
LEFT JOIN MMEMBER AS M ON M.NMEMBER = C.NMEMBER
LEFT JOIN TMEMBER AS T ON T.NPROJECT = C.NPROJECT AND T.NMEMBER = C.NMEMBER
LEFT JOIN MPRIPROG AS P ON P.NPRIKIND = B.NPRIKIND AND P.CCKIND = '0' AND P.NDKIND = T.NMKIND;

CREATE VIEW VFP AS
SELECT F.NPROJECT, F.NFUNCTION, F.NADD, F.NKIND, F.NCOMPLEX, F.CTITLE, X.NFP
FROM TFP AS F
LEFT JOIN MFPMATRIX AS X ON X.NKIND = F.NKIND AND X.NCOMPLEX = F.NCOMPLEX;

-- The version this script sets up.
INSERT INTO MSCHEMA (NVERSION) VALUES (3);
