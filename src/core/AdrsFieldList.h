#pragma once
// The fields of an address record, in the column order of Adrs.DB. This one
// list declares the members of TAdrsRecordFields and describes their columns
// (core/AdrsFields.h): table definition, reading and writing a row, the list
// cache and the record window's change test all follow from it. A field is
//
//     F(Member, "Column", Kind, Width, Type)
//
// Width is the column's width in code page 932 bytes (text kinds; 0 for the
// others); an array member is one column per element, named Column1..ColumnN.
// A new plain text field is one line at the end of the list:
//     F(X, "X", Narrow, 40, TShortStr<40>)
// Existing books hold exactly the columns below: never reorder them.

#include <cstdint>

enum class TFieldKind : std::uint8_t {
    RecNo,    // the table's own row number
    Narrow,   // code page 932 text
    Wide,     // code page 932 text, or "@XXXX" (four hex digits per UTF-16 unit) when it is not
    Digits,   // digits-only column, written as it stands
    Phone,    // digits-only column; written as the digits of the number, shown hyphenated
    Cipher,   // enciphered text (hex digits), compared and stored exactly
    Integer,
    Float,
    Boolean,
    DateTime, // days since 1899-12-30, see StoredToDateTime
    Lines,    // memo of CR LF ended lines; absent when the record has none
};

// clang-format off
#define TELVORA_ADRS_FIELDS(F) \
    F(RecNo,         "RecNo",         RecNo,    0,    std::int32_t)                   \
    F(Group,         "Group",         Integer,  0,    std::int32_t)                   \
    F(CustomCode,    "CustomCode",    Narrow,   20,   TShortStr<20>)                  \
    F(Tel,           "Tel",           Phone,    11,   TShortStr<13>)                  \
    F(TelDiv,        "TelDiv",        Integer,  0,    std::int32_t)                   \
    F(Fax,           "Fax",           Phone,    11,   TShortStr<13>)                  \
    F(PubDate,       "PubDate",       Digits,   6,    TShortStr<8>)                   \
    F(Portable1,     "Portable1",     Phone,    11,   TShortStr<13>)                  \
    F(Portable2,     "Portable2",     Phone,    11,   TShortStr<13>)                  \
    F(Pos,           "Pos",           Narrow,   7,    TShortStr<7>)                   \
    F(Tdfkn,         "Tdfkn",         Narrow,   8,    TShortStr<8>)                   \
    F(Adrs1,         "Adrs1",         Narrow,   32,   TShortStr<32>)                  \
    F(Adrs2,         "Adrs2",         Narrow,   100,  TShortStr<100>)                 \
    F(Adrs3,         "Adrs3",         Narrow,   116,  TShortStr<116>)                 \
    F(AdrsKana,      "AdrsKana",      Narrow,   100,  TShortStr<100>)                 \
    F(JisCode,       "JisCode",       Narrow,   5,    TShortStr<5>)                   \
    F(KajoCode,      "KajoCode",      Narrow,   6,    TShortStr<6>)                   \
    F(Latitude,      "Latitude",      Integer,  0,    std::int32_t)                   \
    F(Longitude,     "Longitude",     Integer,  0,    std::int32_t)                   \
    F(PrivCorp,      "PrivCorp",      Boolean,  0,    bool)                           \
    F(MyNumber,      "MyNumber",      Cipher,   34,   TShortStr<34>)                  \
    F(CorpKanji,     "CorpKanji",     Narrow,   112,  TShortStr<112>)                 \
    F(CorpKana,      "CorpKana",      Narrow,   80,   TShortStr<80>)                  \
    F(Dptmnt,        "Dptmnt",        Narrow,   100,  TShortStr<100>)                 \
    F(Post,          "Post",          Narrow,   50,   TShortStr<50>)                  \
    F(EmployeeNo,    "EmployeeNo",    Narrow,   15,   TShortStr<15>)                  \
    F(NameKanji,     "NameKanji",     Wide,     75,   TShortStr<75>)                  \
    F(NameKana,      "NameKana",      Narrow,   25,   TShortStr<25>)                  \
    F(Honor,         "Honor",         Narrow,   10,   TShortStr<10>)                  \
    F(IgnoreName,    "IgnoreName",    Boolean,  0,    bool)                           \
    F(URL,           "URL",           Narrow,   128,  TShortStr<128>)                 \
    F(EMail1,        "EMail1",        Narrow,   64,   TShortStr<64>)                  \
    F(EMail2,        "EMail2",        Narrow,   64,   TShortStr<64>)                  \
    F(Joint,         "Joint",         Wide,     55,   std::array<TShortStr<55>, 5>)   \
    F(JointHonor,    "JointHonor",    Narrow,   10,   std::array<TShortStr<10>, 5>)   \
    F(JointMyNumber, "JointMyNumber", Cipher,   34,   std::array<TShortStr<34>, 5>)   \
    F(JointOwner,    "JointOwner",    Integer,  0,    std::int32_t)                   \
    F(JointPrint,    "JointPrint",    Boolean,  0,    bool)                           \
    F(JointPrintN,   "JointPrint",    Boolean,  0,    std::array<bool, 5>)            \
    F(Sender,        "Sender",        Integer,  0,    std::int32_t)                   \
    F(PrintTarget,   "PrintTarget",   Integer,  0,    std::int32_t)                   \
    F(Note,          "Note",          Lines,    0,    TLineList)                      \
    F(Keyword,       "Keyword",       Narrow,   100,  std::array<TShortStr<100>, 8>)  \
    F(ProtectMemo,   "ProtectMemo",   Cipher,   130,  std::array<TShortStr<130>, 10>) \
    F(ProtectNote,   "ProtectNote",   Narrow,   1000, TShortStr<1000>)                \
    F(ExtLink,       "ExtLink",       Lines,    0,    TLineList)                      \
    F(SymbolMark,    "SymbolMark",    Narrow,   10,   TShortStr<10>)                  \
    F(SymbolColor,   "SymbolColor",   Integer,  0,    std::int32_t)                   \
    F(CodeMain,      "CodeMain",      Integer,  0,    std::int32_t)                   \
    F(CodeSub,       "CodeSub",       Integer,  0,    std::int32_t)                   \
    F(CodeGenre,     "CodeGenre",     Integer,  0,    std::int32_t)                   \
    F(AddDateTime,   "AddDateTime",   DateTime, 0,    double)                         \
    F(UpdDateTime,   "UpdDateTime",   DateTime, 0,    double)                         \
    /* new fields go above this line */
// clang-format on
