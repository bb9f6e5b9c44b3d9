// Character set names, aliases and code page numbers.
#include "charset/charset_names.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

struct NameEntry {
  CharsetId id;
  std::string_view aliases;  // upper case, single spaces, primary name first
};

// Several entries may share an identifier; the first one gives its primary name. csCP895 and
// csMUTF_7 have no entry: their names are recognised by rule.
constexpr std::array<NameEntry, 113> CharsetNameTable = {{
    {csISO_8859_1,
     "ISO-8859-1 CP819 IBM819 ISO-IR-100 ISO8859-1 ISO_8859-1 ISO_8859-1:1987 L1 LATIN1 "
     "CSISOLATIN1"},
    {csUTF_8, "UTF-8"},
    {csUCS_2, "ISO-10646-UCS-2 UCS-2 CSUNICODE"},
    {csUCS_2, "UCS-2BE UNICODE-1-1 UNICODEBIG CSUNICODE11"},
    {csUCS_2LE, "UCS-2LE UNICODELITTLE"},
    {csUCS_4, "ISO-10646-UCS-4 UCS-4 CSUCS4"},
    {csUCS_4, "UCS-4BE"},
    {csUCS_4LE, "UCS-4LE"},
    {csUTF_16, "UTF-16"},
    {csUTF_16, "UTF-16BE"},
    {csUTF_16LE, "UTF-16LE"},
    {csUTF_32, "UTF-32"},
    {csUTF_32, "UTF-32BE"},
    {csUTF_32, "UTF-32LE"},
    {csUTF_7, "UNICODE-1-1-UTF-7 UTF-7 CSUNICODE11UTF7"},
    {csC99, "C99"},
    {csJAVA, "JAVA"},
    {csISO_8859_1,
     "US-ASCII ANSI_X3.4-1968 ANSI_X3.4-1986 ASCII CP367 IBM367 ISO-IR-6 ISO646-US "
     "ISO_646.IRV:1991 US CSASCII"},
    {csISO_8859_2,
     "ISO-8859-2 ISO-IR-101 ISO8859-2 ISO_8859-2 ISO_8859-2:1987 L2 LATIN2 CSISOLATIN2"},
    {csISO_8859_3,
     "ISO-8859-3 ISO-IR-109 ISO8859-3 ISO_8859-3 ISO_8859-3:1988 L3 LATIN3 CSISOLATIN3"},
    {csISO_8859_4,
     "ISO-8859-4 ISO-IR-110 ISO8859-4 ISO_8859-4 ISO_8859-4:1988 L4 LATIN4 CSISOLATIN4"},
    {csISO_8859_5,
     "ISO-8859-5 CYRILLIC ISO-IR-144 ISO8859-5 ISO_8859-5 ISO_8859-5:1988 CSISOLATINCYRILLIC"},
    {csISO_8859_6,
     "ISO-8859-6 ARABIC ASMO-708 ECMA-114 ISO-IR-127 ISO8859-6 ISO_8859-6 ISO_8859-6:1987 "
     "CSISOLATINARABIC"},
    {csISO_8859_7,
     "ISO-8859-7 ECMA-118 ELOT_928 GREEK GREEK8 ISO-IR-126 ISO8859-7 ISO_8859-7 ISO_8859-7:1987 "
     "CSISOLATINGREEK"},
    {csISO_8859_8,
     "ISO_8859-8 HEBREW ISO-8859-8 ISO-IR-138 ISO8859-8 ISO_8859-8:1988 CSISOLATINHEBREW"},
    {csISO_8859_9,
     "ISO-8859-9 ISO-IR-148 ISO8859-9 ISO_8859-9 ISO_8859-9:1989 L5 LATIN5 CSISOLATIN5"},
    {csISO_8859_10,
     "ISO-8859-10 ISO-IR-157 ISO8859-10 ISO_8859-10 ISO_8859-10:1992 L6 LATIN6 CSISOLATIN6"},
    {csISO_8859_13, "ISO-8859-13 ISO-IR-179 ISO8859-13 ISO_8859-13 L7 LATIN7"},
    {csISO_8859_14,
     "ISO-8859-14 ISO-CELTIC ISO-IR-199 ISO8859-14 ISO_8859-14 ISO_8859-14:1998 L8 LATIN8"},
    {csISO_8859_15, "ISO-8859-15 ISO-IR-203 ISO8859-15 ISO_8859-15 ISO_8859-15:1998"},
    {csISO_8859_16, "ISO-8859-16 ISO-IR-226 ISO8859-16 ISO_8859-16 ISO_8859-16:2000"},
    {csKOI8_R, "KOI8-R CSKOI8R"},
    {csKOI8_U, "KOI8-U"},
    {csKOI8_RU, "KOI8-RU"},
    {csCP1250, "WINDOWS-1250 CP1250 MS-EE"},
    {csCP1251, "WINDOWS-1251 CP1251 MS-CYRL"},
    {csCP1252, "WINDOWS-1252 CP1252 MS-ANSI"},
    {csCP1253, "WINDOWS-1253 CP1253 MS-GREEK"},
    {csCP1254, "WINDOWS-1254 CP1254 MS-TURK"},
    {csCP1255, "WINDOWS-1255 CP1255 MS-HEBR"},
    {csCP1256, "WINDOWS-1256 CP1256 MS-ARAB"},
    {csCP1257, "WINDOWS-1257 CP1257 WINBALTRIM"},
    {csCP1258, "WINDOWS-1258 CP1258"},
    {csISO_8859_1, "850 CP850 IBM850 CSPC850MULTILINGUAL"},
    {csCP862, "862 CP862 IBM862 CSPC862LATINHEBREW"},
    {csCP866, "866 CP866 IBM866 CSIBM866"},
    {csMACROMAN, "MAC MACINTOSH MACROMAN CSMACINTOSH"},
    {csMACCENTRALEUROPE, "MACCENTRALEUROPE"},
    {csMACICELAND, "MACICELAND"},
    {csMACCROATIAN, "MACCROATIAN"},
    {csMACROMANIA, "MACROMANIA"},
    {csMACCYRILLIC, "MACCYRILLIC"},
    {csMACUKRAINE, "MACUKRAINE"},
    {csMACGREEK, "MACGREEK"},
    {csMACTURKISH, "MACTURKISH"},
    {csMACHEBREW, "MACHEBREW"},
    {csMACARABIC, "MACARABIC"},
    {csMACTHAI, "MACTHAI"},
    {csHP_ROMAN8, "HP-ROMAN8 R8 ROMAN8 CSHPROMAN8"},
    {csNEXTSTEP, "NEXTSTEP"},
    {csARMSCII_8, "ARMSCII-8"},
    {csGEORGIAN_ACADEMY, "GEORGIAN-ACADEMY"},
    {csGEORGIAN_PS, "GEORGIAN-PS"},
    {csKOI8_T, "KOI8-T"},
    {csMULELAO_1, "MULELAO-1"},
    {csCP1133, "CP1133 IBM-CP1133"},
    {csTIS_620, "TIS-620 ISO-IR-166 TIS620 TIS620-0 TIS620.2529-1 TIS620.2533-0 TIS620.2533-1"},
    {csCP874, "CP874 WINDOWS-874"},
    {csVISCII, "VISCII VISCII1.1-1 CSVISCII"},
    {csTCVN, "TCVN TCVN-5712 TCVN5712-1 TCVN5712-1:1993"},
    {csISO_IR_14, "ISO-IR-14 ISO646-JP JIS_C6220-1969-RO JP CSISO14JISC6220RO"},
    {csJIS_X0201, "JISX0201-1976 JIS_X0201 X0201 CSHALFWIDTHKATAKANA"},
    {csJIS_X0208,
     "ISO-IR-87 JIS0208 JIS_C6226-1983 JIS_X0208 JIS_X0208-1983 JIS_X0208-1990 X0208 "
     "CSISO87JISX0208"},
    {csJIS_X0212,
     "ISO-IR-159 JIS_X0212 JIS_X0212-1990 JIS_X0212.1990-0 X0212 CSISO159JISX02121990"},
    {csGB_1988_80, "CN GB_1988-80 ISO-IR-57 ISO646-CN CSISO57GB1988"},
    {csGB_2312_80, "CHINESE GB_2312-80 ISO-IR-58 CSISO58GB231280"},
    {csISO_IR_165, "CN-GB-ISOIR165 ISO-IR-165"},
    {csKSC_5601, "ISO-IR-149 KOREAN KSC_5601 KS_C_5601-1987 KS_C_5601-1989 CSKSC56011987"},
    {csEUC_JP, "EUC-JP EUCJP EXTENDED_UNIX_CODE_PACKED_FORMAT_FOR_JAPANESE CSEUCPKDFMTJAPANESE"},
    {csSHIFT_JIS, "SHIFT_JIS SHIFT-JIS MS_KANJI SJIS CSSHIFTJIS"},
    {csCP932, "CP932"},
    {csISO_2022_JP, "ISO-2022-JP CSISO2022JP"},
    {csISO_2022_JP_1, "ISO-2022-JP-1"},
    {csISO_2022_JP_2, "ISO-2022-JP-2 CSISO2022JP2"},
    {csGB2312, "CN-GB EUC-CN EUCCN GB2312 CSGB2312"},
    {csCP936, "CP936 GBK"},
    {csGB18030, "GB18030"},
    {csISO_2022_CN, "ISO-2022-CN CSISO2022CN"},
    {csISO_2022_CN_EXT, "ISO-2022-CN-EXT"},
    {csHZ, "HZ HZ-GB-2312"},
    {csEUC_TW, "EUC-TW EUCTW CSEUCTW"},
    {csBIG5, "BIG5 BIG-5 BIG-FIVE BIGFIVE CN-BIG5 CSBIG5"},
    {csCP950, "CP950"},
    {csBIG5_HKSCS, "BIG5-HKSCS BIG5HKSCS"},
    {csEUC_KR, "EUC-KR EUCKR CSEUCKR"},
    {csCP949, "CP949 UHC"},
    {csCP1361, "CP1361 JOHAB"},
    {csISO_2022_KR, "ISO-2022-KR CSISO2022KR"},
    {csISO_8859_1, "437 CP437 IBM437 CSPC8CODEPAGE437"},
    {csCP737, "CP737"},
    {csCP775, "CP775 IBM775 CSPC775BALTIC"},
    {csCP852, "852 CP852 IBM852 CSPCP852"},
    {csCP853, "CP853"},
    {csCP855, "855 CP855 IBM855 CSIBM855"},
    {csCP857, "857 CP857 IBM857 CSIBM857"},
    {csCP858, "CP858"},
    {csCP860, "860 CP860 IBM860 CSIBM860"},
    {csCP861, "861 CP-IS CP861 IBM861 CSIBM861"},
    {csCP863, "863 CP863 IBM863 CSIBM863"},
    {csCP864, "CP864 IBM864 CSIBM864"},
    {csCP865, "865 CP865 IBM865 CSIBM865"},
    {csCP869, "869 CP-GR CP869 IBM869 CSIBM869"},
    {csCP1125, "CP1125"},
}};

// True when `name` is the whole alias list, its first word, its last word or a word between two
// spaces.
bool AliasListContains(std::string_view name, std::string_view aliases) {
  const std::size_t n = name.size();
  for (std::size_t pos = aliases.find(name); pos != std::string_view::npos;
       pos = aliases.find(name, pos + 1)) {
    const bool starts_word = pos == 0 || aliases[pos - 1] == ' ';
    const bool ends_word = pos + n == aliases.size() || aliases[pos + n] == ' ';
    if (starts_word && ends_word) return true;
  }
  return false;
}

}  // namespace

CharsetId CharsetIdFromName(std::string_view name) {
  const std::string upper = UpperCase(name);
  if (upper.find("KAMENICKY") != std::string::npos || upper.find("895") != std::string::npos)
    return csCP895;
  if (upper.find("MUTF-7") != std::string::npos) return csMUTF_7;
  if (upper.find(' ') == std::string::npos) {
    // A name of one word is looked up by its alias; the first entry that lists it wins, as in
    // the scan below.
    static const std::unordered_map<std::string_view, CharsetId> by_alias = [] {
      std::unordered_map<std::string_view, CharsetId> map;
      for (const NameEntry& entry : CharsetNameTable) {
        std::string_view rest = entry.aliases;
        while (!rest.empty()) {
          const std::size_t space = std::min(rest.find(' '), rest.size());
          map.emplace(rest.substr(0, space), entry.id);
          rest.remove_prefix(std::min(space + 1, rest.size()));
        }
      }
      return map;
    }();
    const auto found = by_alias.find(upper);
    return found == by_alias.end() ? csISO_8859_1 : found->second;
  }
  for (const NameEntry& entry : CharsetNameTable) {
    if (AliasListContains(upper, entry.aliases)) return entry.id;
  }
  return csISO_8859_1;
}

std::string CharsetNameFromId(CharsetId id) {
  if (id == csCP895) return "CP-895";
  if (id == csMUTF_7) return "mUTF-7";
  for (const NameEntry& entry : CharsetNameTable) {
    if (entry.id == id) return std::string(entry.aliases.substr(0, entry.aliases.find(' ')));
  }
  return "ISO-8859-1";
}

CharsetId CharsetIdFromCodePage(unsigned code_page) {
  switch (code_page) {
    case 0:
    case 1200:
      return csUCS_2LE;
    case 437:
    case 850:
    case 20127:
    case 28591:
      return csISO_8859_1;
    case 28592:
      return csISO_8859_2;
    case 28593:
      return csISO_8859_3;
    case 28594:
      return csISO_8859_4;
    case 28595:
      return csISO_8859_5;
    case 708:
    case 28596:
      return csISO_8859_6;
    case 28597:
      return csISO_8859_7;
    case 28598:
    case 38598:
      return csISO_8859_8;
    case 28599:
      return csISO_8859_9;
    case 28605:
      return csISO_8859_15;
    case 1250:
      return csCP1250;
    case 1251:
      return csCP1251;
    case 1253:
      return csCP1253;
    case 1254:
      return csCP1254;
    case 1255:
      return csCP1255;
    case 1256:
      return csCP1256;
    case 1257:
      return csCP1257;
    case 1258:
      return csCP1258;
    case 20866:
      return csKOI8_R;
    case 21866:
      return csKOI8_U;
    case 895:
      return csCP895;
    case 852:
      return csCP852;
    case 1201:
      return csUCS_2;
    case 12001:
      return csUCS_4;
    case 12000:
      return csUCS_4LE;
    case 65000:
      return csUTF_7;
    case 65001:
      return csUTF_8;
    case 737:
      return csCP737;
    case 775:
      return csCP775;
    case 855:
      return csCP855;
    case 857:
      return csCP857;
    case 858:
      return csCP858;
    case 860:
      return csCP860;
    case 861:
      return csCP861;
    case 862:
      return csCP862;
    case 863:
      return csCP863;
    case 864:
      return csCP864;
    case 865:
      return csCP865;
    case 866:
      return csCP866;
    case 869:
      return csCP869;
    case 874:
      return csCP874;
    case 10000:
      return csMACROMAN;
    case 10004:
      return csMACARABIC;
    case 10005:
      return csMACHEBREW;
    case 10006:
      return csMACGREEK;
    case 10007:
      return csMACCYRILLIC;
    case 10010:
      return csMACROMANIA;
    case 10017:
      return csMACUKRAINE;
    case 10021:
      return csMACTHAI;
    case 10029:
      return csMACCENTRALEUROPE;
    case 10079:
      return csMACICELAND;
    case 10081:
      return csMACTURKISH;
    case 10082:
      return csMACCROATIAN;
    case 932:
      return csCP932;
    case 51932:
      return csEUC_JP;
    case 20932:
      return csJIS_X0208;
    case 50220:
      return csISO_2022_JP;
    case 50221:
      return csISO_2022_JP_1;
    case 50222:
      return csISO_2022_JP_2;
    case 936:
      return csCP936;
    case 20936:
    case 51936:
      return csGB2312;
    case 54936:
      return csGB18030;
    case 52936:
      return csHZ;
    case 50227:
      return csISO_2022_CN;
    case 50229:
      return csISO_2022_CN_EXT;
    case 950:
      return csCP950;
    case 949:
      return csCP949;
    case 51949:
      return csEUC_KR;
    case 1361:
      return csCP1361;
    case 50225:
      return csISO_2022_KR;
    default:
      return csCP1252;
  }
}

CharsetId SystemCharsetId() {
  return CharsetIdFromCodePage(platform::AnsiCodePage());
}

}  // namespace pictolumen
