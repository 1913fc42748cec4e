#pragma once

struct MasterTable;

// The master tables the editors keep, with the columns they edit and their list statements.
const MasterTable& CustomerTable();  // MCUSTOMER: name, comment
const MasterTable& LanguageTable();  // MLANG: name, FP-to-LOC coefficient
const MasterTable& MemberTable();    // MMEMBER: name
const MasterTable& ItemTable();      // MITEM: name
const MasterTable& PriceKindTable(); // MPRIBASE: name, base fee
