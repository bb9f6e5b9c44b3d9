// Character set identifiers, their names and aliases as written in mail headers, the map from
// Windows code page numbers, and the identifier of the system's own code page.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pictolumen {

// One byte per character set. The ordinals are fixed: they are stored in parts and walked in
// ascending order when the best set for a text is chosen. Ordinal 35 is free (no name, no code
// page).
enum CharsetId : std::uint8_t {
  csISO_8859_1 = 0,
  csISO_8859_2 = 1,
  csISO_8859_3 = 2,
  csISO_8859_4 = 3,
  csISO_8859_5 = 4,
  csISO_8859_6 = 5,
  csISO_8859_7 = 6,
  csISO_8859_8 = 7,
  csISO_8859_9 = 8,
  csISO_8859_10 = 9,
  csISO_8859_13 = 10,
  csISO_8859_14 = 11,
  csISO_8859_15 = 12,
  csCP1250 = 13,
  csCP1251 = 14,
  csCP1252 = 15,
  csCP1253 = 16,
  csCP1254 = 17,
  csCP1255 = 18,
  csCP1256 = 19,
  csCP1257 = 20,
  csCP1258 = 21,
  csKOI8_R = 22,
  csCP895 = 23,
  csCP852 = 24,
  csUCS_2 = 25,
  csUCS_4 = 26,
  csUTF_8 = 27,
  csUTF_7 = 28,
  csMUTF_7 = 29,
  csUCS_2LE = 30,
  csUCS_4LE = 31,
  csUTF_16 = 32,
  csUTF_16LE = 33,
  csUTF_32 = 34,
  csC99 = 36,
  csJAVA = 37,
  csISO_8859_16 = 38,
  csKOI8_U = 39,
  csKOI8_RU = 40,
  csCP862 = 41,
  csCP866 = 42,
  csMACROMAN = 43,
  csMACCENTRALEUROPE = 44,
  csMACICELAND = 45,
  csMACCROATIAN = 46,
  csMACROMANIA = 47,
  csMACCYRILLIC = 48,
  csMACUKRAINE = 49,
  csMACGREEK = 50,
  csMACTURKISH = 51,
  csMACHEBREW = 52,
  csMACARABIC = 53,
  csMACTHAI = 54,
  csHP_ROMAN8 = 55,
  csNEXTSTEP = 56,
  csARMSCII_8 = 57,
  csGEORGIAN_ACADEMY = 58,
  csGEORGIAN_PS = 59,
  csKOI8_T = 60,
  csMULELAO_1 = 61,
  csCP1133 = 62,
  csTIS_620 = 63,
  csCP874 = 64,
  csVISCII = 65,
  csTCVN = 66,
  csISO_IR_14 = 67,
  csJIS_X0201 = 68,
  csJIS_X0208 = 69,
  csJIS_X0212 = 70,
  csGB_1988_80 = 71,
  csGB_2312_80 = 72,
  csISO_IR_165 = 73,
  csKSC_5601 = 74,
  csEUC_JP = 75,
  csSHIFT_JIS = 76,
  csCP932 = 77,
  csISO_2022_JP = 78,
  csISO_2022_JP_1 = 79,
  csISO_2022_JP_2 = 80,
  csGB2312 = 81,
  csCP936 = 82,
  csGB18030 = 83,
  csISO_2022_CN = 84,
  csISO_2022_CN_EXT = 85,
  csHZ = 86,
  csEUC_TW = 87,
  csBIG5 = 88,
  csCP950 = 89,
  csBIG5_HKSCS = 90,
  csEUC_KR = 91,
  csCP949 = 92,
  csCP1361 = 93,
  csISO_2022_KR = 94,
  csCP737 = 95,
  csCP775 = 96,
  csCP853 = 97,
  csCP855 = 98,
  csCP857 = 99,
  csCP858 = 100,
  csCP860 = 101,
  csCP861 = 102,
  csCP863 = 103,
  csCP864 = 104,
  csCP865 = 105,
  csCP869 = 106,
  csCP1125 = 107,
};

// Number of ordinals (0 to 107).
inline constexpr int kCharsetIdCount = 108;

// A set of identifiers, e.g. the candidates handed to BestRoundTripCharset.
// CharsetSet{csISO_8859_1, csKOI8_R}.Contains(csKOI8_R) == true
class CharsetSet {
 public:
  constexpr CharsetSet() = default;
  constexpr CharsetSet(std::initializer_list<CharsetId> ids) {
    for (CharsetId id : ids) Insert(id);
  }
  constexpr void Insert(CharsetId id) {
    if (id < kCharsetIdCount) bits_[id / 64] |= std::uint64_t{1} << (id % 64);
  }
  constexpr bool Contains(CharsetId id) const {
    return id < kCharsetIdCount && (bits_[id / 64] >> (id % 64)) & 1;
  }
  constexpr bool Empty() const { return bits_[0] == 0 && bits_[1] == 0; }

 private:
  std::uint64_t bits_[2] = {0, 0};
};

// The identifier named by a charset name of any letter case. A name containing "KAMENICKY" or
// "895" is csCP895, one containing "MUTF-7" is csMUTF_7; otherwise the first name table entry
// that lists the name as one of its space-separated aliases decides; unknown names give
// csISO_8859_1.
// CharsetIdFromName("shift_jis") == csSHIFT_JIS;  CharsetIdFromName("x-sjis") == csISO_8859_1
CharsetId CharsetIdFromName(std::string_view name);

// The primary name written into headers: the first alias of the identifier's first table entry;
// csCP895 gives "CP-895", csMUTF_7 "mUTF-7", an identifier without entry "ISO-8859-1".
// CharsetNameFromId(csISO_2022_JP) == "ISO-2022-JP";  CharsetNameFromId(csCP852) == "852"
std::string CharsetNameFromId(CharsetId id);

// The identifier of a Windows code page number; unlisted numbers give csCP1252.
// CharsetIdFromCodePage(932) == csCP932;  CharsetIdFromCodePage(50220) == csISO_2022_JP
CharsetId CharsetIdFromCodePage(unsigned code_page);

// CharsetIdFromCodePage of the system's ANSI code page (csCP932 on Japanese systems).
CharsetId SystemCharsetId();

}  // namespace pictolumen
