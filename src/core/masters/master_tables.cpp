#include "masters/master_tables.h"

#include "masters/master_rows.h"

const MasterTable& CustomerTable()
{
    static const MasterTable table{
        QStringLiteral("MCUSTOMER"), QStringLiteral("NCUSTOMER"),
        QStringLiteral("CCUSTNAME"), {QStringLiteral("CCUSTNAME"), QStringLiteral("CMEMO")},
        QStringLiteral(", "),        QStringLiteral("SELECT * FROM MCUSTOMER ORDER BY NSORT, NCUSTOMER")};
    return table;
}

const MasterTable& LanguageTable()
{
    static const MasterTable table{
        QStringLiteral("MLANG"), QStringLiteral("NLANG"),
        QStringLiteral("CLANG"), {QStringLiteral("CLANG"), QStringLiteral("NCOEF")},
        QStringLiteral(",  "),   QStringLiteral("SELECT * FROM MLANG ORDER BY NSORT,NLANG")};
    return table;
}

const MasterTable& MemberTable()
{
    static const MasterTable table{
        QStringLiteral("MMEMBER"), QStringLiteral("NMEMBER"),
        QStringLiteral("CMEMBER"), {QStringLiteral("CMEMBER")},
        QStringLiteral(", "),      QStringLiteral("SELECT * FROM MMEMBER ORDER BY NSORT, NMEMBPRI, NMEMBER")};
    return table;
}

const MasterTable& ItemTable()
{
    static const MasterTable table{
        QStringLiteral("MITEM"), QStringLiteral("NITEM"),
        QStringLiteral("CITEM"), {QStringLiteral("CITEM")},
        QStringLiteral(", "),    QStringLiteral("SELECT * FROM MITEM ORDER BY NSORT, NITEM")};
    return table;
}

const MasterTable& PriceKindTable()
{
    static const MasterTable table{
        QStringLiteral("MPRIBASE"), QStringLiteral("NPRIKIND"),
        QStringLiteral("CPRINAME"), {QStringLiteral("CPRINAME"), QStringLiteral("NBASE")},
        QStringLiteral(",  "),      QStringLiteral("SELECT * FROM MPRIBASE ORDER BY NSORT,NPRIKIND")};
    return table;
}
