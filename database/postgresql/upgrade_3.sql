-- VORNA schema upgrade to version 3 for PostgreSQL: the actual hours of finished projects and the
-- calibrated COCOMO constant. Run by the program in one transaction with the other missing
-- steps; it then records the new version.

-- Actual hours of a counted function per process (division 7 code), whole hours; a process
-- without a row has none recorded. Filled by INSERT ... VALUES without a column list.
CREATE TABLE TACTUAL (
    NPROJECT integer NOT NULL,
    NFUNCTION integer NOT NULL,
    NDKIND integer NOT NULL,
    NHOUR integer NOT NULL,
    CONSTRAINT PK_TACTUAL PRIMARY KEY (NPROJECT, NFUNCTION, NDKIND)
);

-- A finished project (完了) with the date it was finished; no row while it runs.
CREATE TABLE TPROJDONE (
    NPROJECT integer NOT NULL,
    DDONE timestamp(0),
    CONSTRAINT PK_TPROJDONE PRIMARY KEY (NPROJECT)
);

-- The COCOMO constant A calibrated on the finished projects (NCALIB 1), shared by everyone
-- using the database; no row: the standard 2.94.
CREATE TABLE MCALIB (
    NCALIB integer NOT NULL,
    NCOCOMOA double precision,
    CONSTRAINT PK_MCALIB PRIMARY KEY (NCALIB)
);
