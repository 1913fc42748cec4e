#pragma once

// The division numbers (MDIV.NDID) the program reads.
namespace Division {

// The five classes of a function, whose coefficients correct its price: new/update, importance,
// difficulty, safety, term (TFUNCTION.NNUP … NTRM).
constexpr int FirstClass = 1;
constexpr int ClassCount = 5;
// The development processes; CDEF '1' marks those in use.
constexpr int Process = 7;
constexpr int Deliverable = 8;
// The levels of the six fixed contract options (TCONTRACT.NCID 1 … 6), divisions 9 … 14.
constexpr int FirstContractOption = 9;
constexpr int CocomoRank = 15;
constexpr int Buyer = 16;
constexpr int MemberKind = 17;

} // namespace Division
