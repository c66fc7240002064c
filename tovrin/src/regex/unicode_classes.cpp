#include "unicode_classes.hpp"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "icu_sets.hpp"
#include "unicode_sets.hpp"

namespace tovrin::regex {

namespace {

using SetPtr = std::shared_ptr<const CodepointSet>;

// Every property name and alias of the Unicode Character Database, paired with its canonical
// name. Only the binary properties listed in binary_property_set have sets; the others are
// known names without a class of their own.
constexpr std::pair<std::string_view, std::string_view> kPropertyAliases[] = {
    {"cjkAccountingNumeric", "kAccountingNumeric"},
    {"kAccountingNumeric", "kAccountingNumeric"},
    {"cjkOtherNumeric", "kOtherNumeric"},
    {"kOtherNumeric", "kOtherNumeric"},
    {"cjkPrimaryNumeric", "kPrimaryNumeric"},
    {"kPrimaryNumeric", "kPrimaryNumeric"},
    {"nv", "Numeric_Value"},
    {"Numeric_Value", "Numeric_Value"},
    {"bmg", "Bidi_Mirroring_Glyph"},
    {"Bidi_Mirroring_Glyph", "Bidi_Mirroring_Glyph"},
    {"bpb", "Bidi_Paired_Bracket"},
    {"Bidi_Paired_Bracket", "Bidi_Paired_Bracket"},
    {"cf", "Case_Folding"},
    {"Case_Folding", "Case_Folding"},
    {"cjkCompatibilityVariant", "kCompatibilityVariant"},
    {"kCompatibilityVariant", "kCompatibilityVariant"},
    {"dm", "Decomposition_Mapping"},
    {"Decomposition_Mapping", "Decomposition_Mapping"},
    {"EqUIdeo", "Equivalent_Unified_Ideograph"},
    {"Equivalent_Unified_Ideograph", "Equivalent_Unified_Ideograph"},
    {"FC_NFKC", "FC_NFKC_Closure"},
    {"FC_NFKC_Closure", "FC_NFKC_Closure"},
    {"lc", "Lowercase_Mapping"},
    {"Lowercase_Mapping", "Lowercase_Mapping"},
    {"NFKC_CF", "NFKC_Casefold"},
    {"NFKC_Casefold", "NFKC_Casefold"},
    {"NFKC_SCF", "NFKC_Simple_Casefold"},
    {"NFKC_Simple_Casefold", "NFKC_Simple_Casefold"},
    {"scf", "Simple_Case_Folding"},
    {"sfc", "Simple_Case_Folding"},
    {"Simple_Case_Folding", "Simple_Case_Folding"},
    {"slc", "Simple_Lowercase_Mapping"},
    {"Simple_Lowercase_Mapping", "Simple_Lowercase_Mapping"},
    {"stc", "Simple_Titlecase_Mapping"},
    {"Simple_Titlecase_Mapping", "Simple_Titlecase_Mapping"},
    {"suc", "Simple_Uppercase_Mapping"},
    {"Simple_Uppercase_Mapping", "Simple_Uppercase_Mapping"},
    {"tc", "Titlecase_Mapping"},
    {"Titlecase_Mapping", "Titlecase_Mapping"},
    {"uc", "Uppercase_Mapping"},
    {"Uppercase_Mapping", "Uppercase_Mapping"},
    {"cjkIICore", "kIICore"},
    {"kIICore", "kIICore"},
    {"cjkIRG_GSource", "kIRG_GSource"},
    {"kIRG_GSource", "kIRG_GSource"},
    {"cjkIRG_HSource", "kIRG_HSource"},
    {"kIRG_HSource", "kIRG_HSource"},
    {"cjkIRG_JSource", "kIRG_JSource"},
    {"kIRG_JSource", "kIRG_JSource"},
    {"cjkIRG_KPSource", "kIRG_KPSource"},
    {"kIRG_KPSource", "kIRG_KPSource"},
    {"cjkIRG_KSource", "kIRG_KSource"},
    {"kIRG_KSource", "kIRG_KSource"},
    {"cjkIRG_MSource", "kIRG_MSource"},
    {"kIRG_MSource", "kIRG_MSource"},
    {"cjkIRG_SSource", "kIRG_SSource"},
    {"kIRG_SSource", "kIRG_SSource"},
    {"cjkIRG_TSource", "kIRG_TSource"},
    {"kIRG_TSource", "kIRG_TSource"},
    {"cjkIRG_UKSource", "kIRG_UKSource"},
    {"kIRG_UKSource", "kIRG_UKSource"},
    {"cjkIRG_USource", "kIRG_USource"},
    {"kIRG_USource", "kIRG_USource"},
    {"cjkIRG_VSource", "kIRG_VSource"},
    {"kIRG_VSource", "kIRG_VSource"},
    {"cjkRSUnicode", "kRSUnicode"},
    {"kRSUnicode", "kRSUnicode"},
    {"Unicode_Radical_Stroke", "kRSUnicode"},
    {"URS", "kRSUnicode"},
    {"isc", "ISO_Comment"},
    {"ISO_Comment", "ISO_Comment"},
    {"JSN", "Jamo_Short_Name"},
    {"Jamo_Short_Name", "Jamo_Short_Name"},
    {"kEH_Cat", "kEH_Cat"},
    {"kEH_Desc", "kEH_Desc"},
    {"kEH_HG", "kEH_HG"},
    {"kEH_IFAO", "kEH_IFAO"},
    {"kEH_JSesh", "kEH_JSesh"},
    {"na", "Name"},
    {"Name", "Name"},
    {"na1", "Unicode_1_Name"},
    {"Unicode_1_Name", "Unicode_1_Name"},
    {"Name_Alias", "Name_Alias"},
    {"scx", "Script_Extensions"},
    {"Script_Extensions", "Script_Extensions"},
    {"age", "Age"},
    {"Age", "Age"},
    {"blk", "Block"},
    {"Block", "Block"},
    {"sc", "Script"},
    {"Script", "Script"},
    {"bc", "Bidi_Class"},
    {"Bidi_Class", "Bidi_Class"},
    {"bpt", "Bidi_Paired_Bracket_Type"},
    {"Bidi_Paired_Bracket_Type", "Bidi_Paired_Bracket_Type"},
    {"ccc", "Canonical_Combining_Class"},
    {"Canonical_Combining_Class", "Canonical_Combining_Class"},
    {"dt", "Decomposition_Type"},
    {"Decomposition_Type", "Decomposition_Type"},
    {"ea", "East_Asian_Width"},
    {"East_Asian_Width", "East_Asian_Width"},
    {"gc", "General_Category"},
    {"General_Category", "General_Category"},
    {"GCB", "Grapheme_Cluster_Break"},
    {"Grapheme_Cluster_Break", "Grapheme_Cluster_Break"},
    {"hst", "Hangul_Syllable_Type"},
    {"Hangul_Syllable_Type", "Hangul_Syllable_Type"},
    {"InCB", "Indic_Conjunct_Break"},
    {"Indic_Conjunct_Break", "Indic_Conjunct_Break"},
    {"InPC", "Indic_Positional_Category"},
    {"Indic_Positional_Category", "Indic_Positional_Category"},
    {"InSC", "Indic_Syllabic_Category"},
    {"Indic_Syllabic_Category", "Indic_Syllabic_Category"},
    {"jg", "Joining_Group"},
    {"Joining_Group", "Joining_Group"},
    {"jt", "Joining_Type"},
    {"Joining_Type", "Joining_Type"},
    {"lb", "Line_Break"},
    {"Line_Break", "Line_Break"},
    {"NFC_QC", "NFC_Quick_Check"},
    {"NFC_Quick_Check", "NFC_Quick_Check"},
    {"NFD_QC", "NFD_Quick_Check"},
    {"NFD_Quick_Check", "NFD_Quick_Check"},
    {"NFKC_QC", "NFKC_Quick_Check"},
    {"NFKC_Quick_Check", "NFKC_Quick_Check"},
    {"NFKD_QC", "NFKD_Quick_Check"},
    {"NFKD_Quick_Check", "NFKD_Quick_Check"},
    {"nt", "Numeric_Type"},
    {"Numeric_Type", "Numeric_Type"},
    {"SB", "Sentence_Break"},
    {"Sentence_Break", "Sentence_Break"},
    {"vo", "Vertical_Orientation"},
    {"Vertical_Orientation", "Vertical_Orientation"},
    {"WB", "Word_Break"},
    {"Word_Break", "Word_Break"},
    {"AHex", "ASCII_Hex_Digit"},
    {"ASCII_Hex_Digit", "ASCII_Hex_Digit"},
    {"Alpha", "Alphabetic"},
    {"Alphabetic", "Alphabetic"},
    {"Bidi_C", "Bidi_Control"},
    {"Bidi_Control", "Bidi_Control"},
    {"Bidi_M", "Bidi_Mirrored"},
    {"Bidi_Mirrored", "Bidi_Mirrored"},
    {"Cased", "Cased"},
    {"CE", "Composition_Exclusion"},
    {"Composition_Exclusion", "Composition_Exclusion"},
    {"CI", "Case_Ignorable"},
    {"Case_Ignorable", "Case_Ignorable"},
    {"Comp_Ex", "Full_Composition_Exclusion"},
    {"Full_Composition_Exclusion", "Full_Composition_Exclusion"},
    {"CWCF", "Changes_When_Casefolded"},
    {"Changes_When_Casefolded", "Changes_When_Casefolded"},
    {"CWCM", "Changes_When_Casemapped"},
    {"Changes_When_Casemapped", "Changes_When_Casemapped"},
    {"CWKCF", "Changes_When_NFKC_Casefolded"},
    {"Changes_When_NFKC_Casefolded", "Changes_When_NFKC_Casefolded"},
    {"CWL", "Changes_When_Lowercased"},
    {"Changes_When_Lowercased", "Changes_When_Lowercased"},
    {"CWT", "Changes_When_Titlecased"},
    {"Changes_When_Titlecased", "Changes_When_Titlecased"},
    {"CWU", "Changes_When_Uppercased"},
    {"Changes_When_Uppercased", "Changes_When_Uppercased"},
    {"Dash", "Dash"},
    {"Dep", "Deprecated"},
    {"Deprecated", "Deprecated"},
    {"DI", "Default_Ignorable_Code_Point"},
    {"Default_Ignorable_Code_Point", "Default_Ignorable_Code_Point"},
    {"Dia", "Diacritic"},
    {"Diacritic", "Diacritic"},
    {"EBase", "Emoji_Modifier_Base"},
    {"Emoji_Modifier_Base", "Emoji_Modifier_Base"},
    {"EComp", "Emoji_Component"},
    {"Emoji_Component", "Emoji_Component"},
    {"EMod", "Emoji_Modifier"},
    {"Emoji_Modifier", "Emoji_Modifier"},
    {"Emoji", "Emoji"},
    {"EPres", "Emoji_Presentation"},
    {"Emoji_Presentation", "Emoji_Presentation"},
    {"Ext", "Extender"},
    {"Extender", "Extender"},
    {"ExtPict", "Extended_Pictographic"},
    {"Extended_Pictographic", "Extended_Pictographic"},
    {"Gr_Base", "Grapheme_Base"},
    {"Grapheme_Base", "Grapheme_Base"},
    {"Gr_Ext", "Grapheme_Extend"},
    {"Grapheme_Extend", "Grapheme_Extend"},
    {"Gr_Link", "Grapheme_Link"},
    {"Grapheme_Link", "Grapheme_Link"},
    {"Hex", "Hex_Digit"},
    {"Hex_Digit", "Hex_Digit"},
    {"Hyphen", "Hyphen"},
    {"ID_Compat_Math_Continue", "ID_Compat_Math_Continue"},
    {"ID_Compat_Math_Start", "ID_Compat_Math_Start"},
    {"IDC", "ID_Continue"},
    {"ID_Continue", "ID_Continue"},
    {"Ideo", "Ideographic"},
    {"Ideographic", "Ideographic"},
    {"IDS", "ID_Start"},
    {"ID_Start", "ID_Start"},
    {"IDSB", "IDS_Binary_Operator"},
    {"IDS_Binary_Operator", "IDS_Binary_Operator"},
    {"IDST", "IDS_Trinary_Operator"},
    {"IDS_Trinary_Operator", "IDS_Trinary_Operator"},
    {"IDSU", "IDS_Unary_Operator"},
    {"IDS_Unary_Operator", "IDS_Unary_Operator"},
    {"Join_C", "Join_Control"},
    {"Join_Control", "Join_Control"},
    {"kEH_NoMirror", "kEH_NoMirror"},
    {"kEH_NoRotate", "kEH_NoRotate"},
    {"LOE", "Logical_Order_Exception"},
    {"Logical_Order_Exception", "Logical_Order_Exception"},
    {"Lower", "Lowercase"},
    {"Lowercase", "Lowercase"},
    {"Math", "Math"},
    {"MCM", "Modifier_Combining_Mark"},
    {"Modifier_Combining_Mark", "Modifier_Combining_Mark"},
    {"NChar", "Noncharacter_Code_Point"},
    {"Noncharacter_Code_Point", "Noncharacter_Code_Point"},
    {"OAlpha", "Other_Alphabetic"},
    {"Other_Alphabetic", "Other_Alphabetic"},
    {"ODI", "Other_Default_Ignorable_Code_Point"},
    {"Other_Default_Ignorable_Code_Point", "Other_Default_Ignorable_Code_Point"},
    {"OGr_Ext", "Other_Grapheme_Extend"},
    {"Other_Grapheme_Extend", "Other_Grapheme_Extend"},
    {"OIDC", "Other_ID_Continue"},
    {"Other_ID_Continue", "Other_ID_Continue"},
    {"OIDS", "Other_ID_Start"},
    {"Other_ID_Start", "Other_ID_Start"},
    {"OLower", "Other_Lowercase"},
    {"Other_Lowercase", "Other_Lowercase"},
    {"OMath", "Other_Math"},
    {"Other_Math", "Other_Math"},
    {"OUpper", "Other_Uppercase"},
    {"Other_Uppercase", "Other_Uppercase"},
    {"Pat_Syn", "Pattern_Syntax"},
    {"Pattern_Syntax", "Pattern_Syntax"},
    {"Pat_WS", "Pattern_White_Space"},
    {"Pattern_White_Space", "Pattern_White_Space"},
    {"PCM", "Prepended_Concatenation_Mark"},
    {"Prepended_Concatenation_Mark", "Prepended_Concatenation_Mark"},
    {"QMark", "Quotation_Mark"},
    {"Quotation_Mark", "Quotation_Mark"},
    {"Radical", "Radical"},
    {"RI", "Regional_Indicator"},
    {"Regional_Indicator", "Regional_Indicator"},
    {"SD", "Soft_Dotted"},
    {"Soft_Dotted", "Soft_Dotted"},
    {"STerm", "Sentence_Terminal"},
    {"Sentence_Terminal", "Sentence_Terminal"},
    {"Term", "Terminal_Punctuation"},
    {"Terminal_Punctuation", "Terminal_Punctuation"},
    {"UIdeo", "Unified_Ideograph"},
    {"Unified_Ideograph", "Unified_Ideograph"},
    {"Upper", "Uppercase"},
    {"Uppercase", "Uppercase"},
    {"VS", "Variation_Selector"},
    {"Variation_Selector", "Variation_Selector"},
    {"WSpace", "White_Space"},
    {"space", "White_Space"},
    {"White_Space", "White_Space"},
    {"XIDC", "XID_Continue"},
    {"XID_Continue", "XID_Continue"},
    {"XIDS", "XID_Start"},
    {"XID_Start", "XID_Start"},
    {"XO_NFC", "Expands_On_NFC"},
    {"Expands_On_NFC", "Expands_On_NFC"},
    {"XO_NFD", "Expands_On_NFD"},
    {"Expands_On_NFD", "Expands_On_NFD"},
    {"XO_NFKC", "Expands_On_NFKC"},
    {"Expands_On_NFKC", "Expands_On_NFKC"},
    {"XO_NFKD", "Expands_On_NFKD"},
    {"Expands_On_NFKD", "Expands_On_NFKD"},
};

struct GeneralCategory {
  std::string_view canonical;
  std::uint32_t mask;
  std::initializer_list<std::string_view> aliases;
};

// General categories and their aliases; `C` (Other) leaves out the surrogates.
const GeneralCategory kGeneralCategories[] = {
    {"Other", U_GC_CC_MASK | U_GC_CF_MASK | U_GC_CN_MASK | U_GC_CO_MASK, {"C"}},
    {"Control", U_GC_CC_MASK, {"Cc", "cntrl"}},
    {"Format", U_GC_CF_MASK, {"Cf"}},
    {"Unassigned", U_GC_CN_MASK, {"Cn"}},
    {"Private_Use", U_GC_CO_MASK, {"Co"}},
    {"Surrogate", 0, {"Cs"}},
    {"Letter", U_GC_L_MASK, {"L"}},
    {"Cased_Letter", U_GC_LC_MASK, {"LC"}},
    {"Lowercase_Letter", U_GC_LL_MASK, {"Ll"}},
    {"Modifier_Letter", U_GC_LM_MASK, {"Lm"}},
    {"Other_Letter", U_GC_LO_MASK, {"Lo"}},
    {"Titlecase_Letter", U_GC_LT_MASK, {"Lt"}},
    {"Uppercase_Letter", U_GC_LU_MASK, {"Lu"}},
    {"Mark", U_GC_M_MASK, {"M", "Combining_Mark"}},
    {"Spacing_Mark", U_GC_MC_MASK, {"Mc"}},
    {"Enclosing_Mark", U_GC_ME_MASK, {"Me"}},
    {"Nonspacing_Mark", U_GC_MN_MASK, {"Mn"}},
    {"Number", U_GC_N_MASK, {"N"}},
    {"Decimal_Number", U_GC_ND_MASK, {"Nd", "digit"}},
    {"Letter_Number", U_GC_NL_MASK, {"Nl"}},
    {"Other_Number", U_GC_NO_MASK, {"No"}},
    {"Punctuation", U_GC_P_MASK, {"P", "punct"}},
    {"Connector_Punctuation", U_GC_PC_MASK, {"Pc"}},
    {"Dash_Punctuation", U_GC_PD_MASK, {"Pd"}},
    {"Close_Punctuation", U_GC_PE_MASK, {"Pe"}},
    {"Final_Punctuation", U_GC_PF_MASK, {"Pf"}},
    {"Initial_Punctuation", U_GC_PI_MASK, {"Pi"}},
    {"Other_Punctuation", U_GC_PO_MASK, {"Po"}},
    {"Open_Punctuation", U_GC_PS_MASK, {"Ps"}},
    {"Symbol", U_GC_S_MASK, {"S"}},
    {"Currency_Symbol", U_GC_SC_MASK, {"Sc"}},
    {"Modifier_Symbol", U_GC_SK_MASK, {"Sk"}},
    {"Math_Symbol", U_GC_SM_MASK, {"Sm"}},
    {"Other_Symbol", U_GC_SO_MASK, {"So"}},
    {"Separator", U_GC_Z_MASK, {"Z"}},
    {"Line_Separator", U_GC_ZL_MASK, {"Zl"}},
    {"Paragraph_Separator", U_GC_ZP_MASK, {"Zp"}},
    {"Space_Separator", U_GC_ZS_MASK, {"Zs"}},
};

// Script codes that ICU knows but that are not Unicode Script values (ISO 15924 variants).
constexpr std::string_view kNonUnicodeScripts[] = {
    "Blis", "Cirt", "Cyrs", "Egyd", "Egyh", "Geok", "Hans", "Hant", "Inds", "Latf", "Latg", "Maya",
    "Roro", "Sara", "Syre", "Syrj", "Syrn", "Teng", "Visp", "Zxxx", "Jpan", "Moon", "Kore", "Phlv",
    "Zmth", "Zsym", "Nkgb", "Kpel", "Loma", "Afak", "Jurc", "Wole", "Hanb", "Jamo", "Zsye",
};

// Scripts newer than the ICU data: known names whose sets ICU cannot give.
constexpr std::pair<std::string_view, std::string_view> kNewerScripts[] = {
    {"Garay", "Gara"},   {"Gurung_Khema", "Gukh"}, {"Kirat_Rai", "Krai"},     {"Ol_Onal", "Onao"},
    {"Sunuwar", "Sunu"}, {"Todhri", "Todr"},       {"Tulu_Tigalari", "Tutg"},
};

constexpr std::string_view kAges[] = {
    "1.1",  "2.0",  "2.1",  "3.0",  "3.1",  "3.2",  "4.0",  "4.1",  "5.0",
    "5.1",  "5.2",  "6.0",  "6.1",  "6.2",  "6.3",  "7.0",  "8.0",  "9.0",
    "10.0", "11.0", "12.0", "12.1", "13.0", "14.0", "15.0", "15.1", "16.0",
};
// The newest version the ICU data knows; later ages use its set.
constexpr std::string_view kNewestIcuAge = "15.0";

constexpr int kNoSet = -1;
constexpr int kEmptySet = -2;

struct NameTables {
  std::unordered_map<std::string, std::string_view> properties;
  std::unordered_map<std::string, const GeneralCategory*> general_categories;
  // Script, Grapheme_Cluster_Break, Word_Break and Sentence_Break values: the ICU value, or
  // kNoSet for a known value without a class, or kEmptySet for a value ICU does not know.
  std::unordered_map<std::string, int> scripts;
  std::unordered_map<std::string, int> grapheme_cluster_breaks;
  std::unordered_map<std::string, int> word_breaks;
  std::unordered_map<std::string, int> sentence_breaks;
  std::unordered_map<std::string, std::string_view> ages;

  NameTables() {
    for (const auto& [alias, canonical] : kPropertyAliases) {
      properties.emplace(normalize_symbolic_name(alias), canonical);
    }
    for (const GeneralCategory& gc : kGeneralCategories) {
      general_categories.emplace(normalize_symbolic_name(gc.canonical), &gc);
      for (std::string_view alias : gc.aliases) {
        general_categories.emplace(normalize_symbolic_name(alias), &gc);
      }
    }
    add_icu_values(UCHAR_SCRIPT, scripts,
                   [](int value, std::string_view long_name, std::string_view short_name) {
                     if (long_name == short_name) {
                       for (std::string_view other : kNonUnicodeScripts) {
                         if (other == short_name) return false;
                       }
                     }
                     (void)value;
                     return true;
                   });
    for (std::string_view no_set : {"Katakana_Or_Hiragana", "Unknown"}) {
      for (auto& [name, value] : scripts) {
        if (value == u_getPropertyValueEnum(UCHAR_SCRIPT, std::string(no_set).c_str())) {
          value = kNoSet;
        }
      }
    }
    for (const auto& [long_name, short_name] : kNewerScripts) {
      scripts.emplace(normalize_symbolic_name(long_name), kEmptySet);
      scripts.emplace(normalize_symbolic_name(short_name), kEmptySet);
    }
    auto all = [](int, std::string_view, std::string_view) { return true; };
    add_icu_values(UCHAR_GRAPHEME_CLUSTER_BREAK, grapheme_cluster_breaks, all);
    add_icu_values(UCHAR_WORD_BREAK, word_breaks, all);
    add_icu_values(UCHAR_SENTENCE_BREAK, sentence_breaks, all);
    for (auto* table : {&grapheme_cluster_breaks, &word_breaks}) {
      for (std::string_view no_set : {"other", "ebase", "ebasegaz", "emodifier", "glueafterzwj"}) {
        mark_no_set(*table, no_set);
      }
    }
    mark_no_set(sentence_breaks, "other");
    for (std::string_view age : kAges) {
      std::string_view icu_age = age;
      if (age == "15.1" || age == "16.0") icu_age = kNewestIcuAge;
      ages.emplace(normalize_symbolic_name(age), icu_age);
      // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
      std::string v_alias = 'V' + std::string(age);
      for (char& c : v_alias) {
        if (c == '.') c = '_';
      }
      ages.emplace(normalize_symbolic_name(v_alias), icu_age);
    }
  }

  // Marks the value named `alias` (and every other alias of it) as having no class.
  static void mark_no_set(std::unordered_map<std::string, int>& table, std::string_view alias) {
    auto it = table.find(std::string(alias));
    if (it == table.end()) return;
    int value = it->second;
    for (auto& entry : table) {
      if (entry.second == value) entry.second = kNoSet;
    }
  }

  template <class Keep>
  static void add_icu_values(UProperty property, std::unordered_map<std::string, int>& table,
                             Keep keep) {
    for (int value = 0; value <= u_getIntPropertyMaxValue(property); ++value) {
      const char* long_name = u_getPropertyValueName(property, value, U_LONG_PROPERTY_NAME);
      const char* short_name = u_getPropertyValueName(property, value, U_SHORT_PROPERTY_NAME);
      if (long_name == nullptr) continue;
      if (!keep(value, long_name, short_name ? short_name : "")) continue;
      for (int choice = 0; choice < 8; ++choice) {
        const char* alias =
            u_getPropertyValueName(property, value, static_cast<UPropertyNameChoice>(choice));
        if (alias != nullptr) table.emplace(normalize_symbolic_name(alias), value);
      }
    }
  }
};

const NameTables& name_tables() {
  static const NameTables tables;
  return tables;
}

CodepointSet fixed_set(std::initializer_list<CodepointRange> ranges) {
  return ranges;
}

CodepointSet difference(CodepointSet a, const CodepointSet& b) {
  a.subtract(b);
  return a;
}

// The set of one of the binary properties that have classes; nullopt for any other property.
std::optional<CodepointSet> binary_property_set(std::string_view canonical) {
  static const std::pair<std::string_view, UProperty> kIcuProperties[] = {
      {"ASCII_Hex_Digit", UCHAR_ASCII_HEX_DIGIT},
      {"Alphabetic", UCHAR_ALPHABETIC},
      {"Bidi_Control", UCHAR_BIDI_CONTROL},
      {"Bidi_Mirrored", UCHAR_BIDI_MIRRORED},
      {"Case_Ignorable", UCHAR_CASE_IGNORABLE},
      {"Cased", UCHAR_CASED},
      {"Changes_When_Casefolded", UCHAR_CHANGES_WHEN_CASEFOLDED},
      {"Changes_When_Casemapped", UCHAR_CHANGES_WHEN_CASEMAPPED},
      {"Changes_When_Lowercased", UCHAR_CHANGES_WHEN_LOWERCASED},
      {"Changes_When_Titlecased", UCHAR_CHANGES_WHEN_TITLECASED},
      {"Changes_When_Uppercased", UCHAR_CHANGES_WHEN_UPPERCASED},
      {"Dash", UCHAR_DASH},
      {"Default_Ignorable_Code_Point", UCHAR_DEFAULT_IGNORABLE_CODE_POINT},
      {"Deprecated", UCHAR_DEPRECATED},
      {"Diacritic", UCHAR_DIACRITIC},
      {"Emoji", UCHAR_EMOJI},
      {"Emoji_Component", UCHAR_EMOJI_COMPONENT},
      {"Emoji_Modifier", UCHAR_EMOJI_MODIFIER},
      {"Emoji_Modifier_Base", UCHAR_EMOJI_MODIFIER_BASE},
      {"Emoji_Presentation", UCHAR_EMOJI_PRESENTATION},
      {"Extended_Pictographic", UCHAR_EXTENDED_PICTOGRAPHIC},
      {"Extender", UCHAR_EXTENDER},
      {"Grapheme_Base", UCHAR_GRAPHEME_BASE},
      {"Grapheme_Extend", UCHAR_GRAPHEME_EXTEND},
      {"Grapheme_Link", UCHAR_GRAPHEME_LINK},
      {"Hex_Digit", UCHAR_HEX_DIGIT},
      {"Hyphen", UCHAR_HYPHEN},
      {"IDS_Binary_Operator", UCHAR_IDS_BINARY_OPERATOR},
      {"IDS_Trinary_Operator", UCHAR_IDS_TRINARY_OPERATOR},
      {"ID_Continue", UCHAR_ID_CONTINUE},
      {"ID_Start", UCHAR_ID_START},
      {"Ideographic", UCHAR_IDEOGRAPHIC},
      {"Join_Control", UCHAR_JOIN_CONTROL},
      {"Logical_Order_Exception", UCHAR_LOGICAL_ORDER_EXCEPTION},
      {"Lowercase", UCHAR_LOWERCASE},
      {"Math", UCHAR_MATH},
      {"Noncharacter_Code_Point", UCHAR_NONCHARACTER_CODE_POINT},
      {"Pattern_Syntax", UCHAR_PATTERN_SYNTAX},
      {"Pattern_White_Space", UCHAR_PATTERN_WHITE_SPACE},
      {"Prepended_Concatenation_Mark", UCHAR_PREPENDED_CONCATENATION_MARK},
      {"Quotation_Mark", UCHAR_QUOTATION_MARK},
      {"Radical", UCHAR_RADICAL},
      {"Regional_Indicator", UCHAR_REGIONAL_INDICATOR},
      {"Sentence_Terminal", UCHAR_S_TERM},
      {"Soft_Dotted", UCHAR_SOFT_DOTTED},
      {"Terminal_Punctuation", UCHAR_TERMINAL_PUNCTUATION},
      {"Unified_Ideograph", UCHAR_UNIFIED_IDEOGRAPH},
      {"Uppercase", UCHAR_UPPERCASE},
      {"Variation_Selector", UCHAR_VARIATION_SELECTOR},
      {"XID_Continue", UCHAR_XID_CONTINUE},
      {"XID_Start", UCHAR_XID_START},
  };
  if (canonical == "White_Space") return perl_space_set();
  for (const auto& [name, property] : kIcuProperties) {
    if (name == canonical) return icu_binary_property_set(property);
  }
  // The contributory properties and the properties newer than the ICU data: derived from the
  // properties they contribute to, or listed.
  auto gc = icu_general_category_set;
  auto binary = icu_binary_property_set;
  if (canonical == "Other_Alphabetic") {
    return difference(binary(UCHAR_ALPHABETIC), gc(U_GC_L_MASK | U_GC_NL_MASK));
  }
  if (canonical == "Other_Default_Ignorable_Code_Point") {
    return difference(difference(binary(UCHAR_DEFAULT_IGNORABLE_CODE_POINT), gc(U_GC_CF_MASK)),
                      binary(UCHAR_VARIATION_SELECTOR));
  }
  if (canonical == "Other_Grapheme_Extend") {
    return difference(binary(UCHAR_GRAPHEME_EXTEND), gc(U_GC_MN_MASK | U_GC_ME_MASK));
  }
  if (canonical == "Other_Lowercase") return difference(binary(UCHAR_LOWERCASE), gc(U_GC_LL_MASK));
  if (canonical == "Other_Uppercase") return difference(binary(UCHAR_UPPERCASE), gc(U_GC_LU_MASK));
  if (canonical == "Other_Math") return difference(binary(UCHAR_MATH), gc(U_GC_SM_MASK));
  if (canonical == "Other_ID_Start") {
    return fixed_set({{0x1885, 0x1886}, {0x2118, 0x2118}, {0x212E, 0x212E}, {0x309B, 0x309C}});
  }
  if (canonical == "Other_ID_Continue") {
    return fixed_set({{0x00B7, 0x00B7},
                      {0x0387, 0x0387},
                      {0x1369, 0x1371},
                      {0x19DA, 0x19DA},
                      {0x200C, 0x200D},
                      {0x30FB, 0x30FB},
                      {0xFF65, 0xFF65}});
  }
  if (canonical == "IDS_Unary_Operator") return fixed_set({{0x2FFE, 0x2FFF}});
  static const std::initializer_list<CodepointRange> kMathStart = {
      {0x2202, 0x2202},   {0x2207, 0x2207},   {0x221E, 0x221E},   {0x1D6C1, 0x1D6C1},
      {0x1D6DB, 0x1D6DB}, {0x1D6FB, 0x1D6FB}, {0x1D715, 0x1D715}, {0x1D735, 0x1D735},
      {0x1D74F, 0x1D74F}, {0x1D76F, 0x1D76F}, {0x1D789, 0x1D789}, {0x1D7A9, 0x1D7A9},
      {0x1D7C3, 0x1D7C3}};
  if (canonical == "ID_Compat_Math_Start") return fixed_set(kMathStart);
  if (canonical == "ID_Compat_Math_Continue") {
    CodepointSet set = fixed_set(kMathStart);
    set.add(fixed_set({{0x00B2, 0x00B3},
                       {0x00B9, 0x00B9},
                       {0x2070, 0x2070},
                       {0x2074, 0x207E},
                       {0x2080, 0x208E}}));
    return set;
  }
  if (canonical == "Modifier_Combining_Mark") {
    return fixed_set({{0x0654, 0x0655},
                      {0x0658, 0x0658},
                      {0x06DC, 0x06DC},
                      {0x06E3, 0x06E3},
                      {0x06E7, 0x06E8},
                      {0x08CA, 0x08CB},
                      {0x08CD, 0x08CF},
                      {0x08D3, 0x08D3},
                      {0x08F3, 0x08F3}});
  }
  return std::nullopt;
}

CodepointSet general_category_set(const GeneralCategory& gc) {
  if (gc.canonical == "Decimal_Number") return perl_digit_set();
  return icu_general_category_set(gc.mask);
}

// Process-wide cache of resolved sets, keyed by a canonical description.
class SetCache {
 public:
  template <class Build>
  SetPtr get(const std::string& key, Build build) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = sets_.find(key);
      if (it != sets_.end()) return it->second;
    }
    auto set = std::make_shared<const CodepointSet>(build());
    std::lock_guard<std::mutex> lock(mutex_);
    return sets_.emplace(key, std::move(set)).first->second;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, SetPtr> sets_;
};

SetCache& set_cache() {
  static SetCache cache;
  return cache;
}

using Resolved = Result<SetPtr, ErrorKind>;

// A General_Category value, `any`, `assigned` or `ascii`; nullptr if the name is none of them.
std::optional<Resolved> resolve_general_category(const std::string& norm) {
  if (norm == "any") {
    return Resolved(set_cache().get("any", [] { return CodepointSet::all(); }));
  }
  if (norm == "ascii") {
    return Resolved(set_cache().get("ascii", [] { return CodepointSet{{0, 0x7F}}; }));
  }
  if (norm == "assigned") {
    return Resolved(set_cache().get("assigned", [] {
      CodepointSet set = icu_general_category_set(U_GC_CN_MASK);
      set.negate();
      return set;
    }));
  }
  const NameTables& tables = name_tables();
  auto it = tables.general_categories.find(norm);
  if (it == tables.general_categories.end()) return std::nullopt;
  const GeneralCategory& gc = *it->second;
  if (gc.mask == 0) return Resolved(Err{ErrorKind::UnicodePropertyValueNotFound});
  return Resolved(set_cache().get("gc:" + std::string(gc.canonical),
                                  [&gc] { return general_category_set(gc); }));
}

std::optional<Resolved> resolve_script(const std::string& norm, UProperty property) {
  const NameTables& tables = name_tables();
  auto it = tables.scripts.find(norm);
  if (it == tables.scripts.end()) return std::nullopt;
  int value = it->second;
  if (value == kNoSet) return Resolved(Err{ErrorKind::UnicodePropertyValueNotFound});
  if (value == kEmptySet) return Resolved(std::make_shared<const CodepointSet>());
  std::string key = (property == UCHAR_SCRIPT ? "sc:" : "scx:") + std::to_string(value);
  return Resolved(set_cache().get(key, [&] { return icu_int_property_set(property, value); }));
}

Resolved resolve_enumerated(const std::unordered_map<std::string, int>& values, UProperty property,
                            const std::string& norm, std::string_view key_prefix) {
  auto it = values.find(norm);
  if (it == values.end() || it->second == kNoSet) {
    return Err{ErrorKind::UnicodePropertyValueNotFound};
  }
  int value = it->second;
  return set_cache().get(std::string(key_prefix) + std::to_string(value),
                         [&] { return icu_int_property_set(property, value); });
}

Resolved resolve_age(const std::string& norm) {
  const NameTables& tables = name_tables();
  auto it = tables.ages.find(norm);
  if (it == tables.ages.end()) return Err{ErrorKind::UnicodePropertyValueNotFound};
  std::string age(it->second);
  return set_cache().get("age:" + age, [&] {
    std::u16string pattern = u"[:Age=";
    pattern.append(age.begin(), age.end());
    pattern += u":]";
    return icu_pattern_set(pattern);
  });
}

// The binary properties that have classes; every other property name is "not found" alone.
constexpr std::string_view kBinaryNames[] = {
    "ASCII_Hex_Digit",
    "Alphabetic",
    "Bidi_Control",
    "Bidi_Mirrored",
    "Case_Ignorable",
    "Cased",
    "Changes_When_Casefolded",
    "Changes_When_Casemapped",
    "Changes_When_Lowercased",
    "Changes_When_Titlecased",
    "Changes_When_Uppercased",
    "Dash",
    "Default_Ignorable_Code_Point",
    "Deprecated",
    "Diacritic",
    "Emoji",
    "Emoji_Component",
    "Emoji_Modifier",
    "Emoji_Modifier_Base",
    "Emoji_Presentation",
    "Extended_Pictographic",
    "Extender",
    "Grapheme_Base",
    "Grapheme_Extend",
    "Grapheme_Link",
    "Hex_Digit",
    "Hyphen",
    "IDS_Binary_Operator",
    "IDS_Trinary_Operator",
    "IDS_Unary_Operator",
    "ID_Compat_Math_Continue",
    "ID_Compat_Math_Start",
    "ID_Continue",
    "ID_Start",
    "Ideographic",
    "Join_Control",
    "Logical_Order_Exception",
    "Lowercase",
    "Math",
    "Modifier_Combining_Mark",
    "Noncharacter_Code_Point",
    "Other_Alphabetic",
    "Other_Default_Ignorable_Code_Point",
    "Other_Grapheme_Extend",
    "Other_ID_Continue",
    "Other_ID_Start",
    "Other_Lowercase",
    "Other_Math",
    "Other_Uppercase",
    "Pattern_Syntax",
    "Pattern_White_Space",
    "Prepended_Concatenation_Mark",
    "Quotation_Mark",
    "Radical",
    "Regional_Indicator",
    "Sentence_Terminal",
    "Soft_Dotted",
    "Terminal_Punctuation",
    "Unified_Ideograph",
    "Uppercase",
    "Variation_Selector",
    "White_Space",
    "XID_Continue",
    "XID_Start",
};

Resolved resolve_binary(std::string_view canonical) {
  for (std::string_view name : kBinaryNames) {
    if (name != canonical) continue;
    return set_cache().get("bin:" + std::string(canonical),
                           [&] { return binary_property_set(canonical).value_or(CodepointSet{}); });
  }
  return Err{ErrorKind::UnicodePropertyNotFound};
}

std::optional<std::string_view> canonical_property(const std::string& norm) {
  const NameTables& tables = name_tables();
  auto it = tables.properties.find(norm);
  if (it == tables.properties.end()) return std::nullopt;
  return it->second;
}

Resolved resolve_single_name(std::string_view name) {
  std::string norm = normalize_symbolic_name(name);
  // `cf`, `sc` and `lc` name general categories here, not the properties they also abbreviate.
  if (norm != "cf" && norm != "sc" && norm != "lc") {
    if (auto canonical = canonical_property(norm)) return resolve_binary(*canonical);
  }
  if (auto gc = resolve_general_category(norm)) return std::move(*gc);
  if (auto script = resolve_script(norm, UCHAR_SCRIPT)) return std::move(*script);
  return Err{ErrorKind::UnicodePropertyNotFound};
}

Resolved resolve_name_value(std::string_view name, std::string_view value) {
  std::string norm_name = normalize_symbolic_name(name);
  std::string norm_value = normalize_symbolic_name(value);
  std::optional<std::string_view> canonical = canonical_property(norm_name);
  if (!canonical) return Err{ErrorKind::UnicodePropertyNotFound};
  const NameTables& tables = name_tables();
  if (*canonical == "General_Category") {
    if (auto gc = resolve_general_category(norm_value)) return std::move(*gc);
  } else if (*canonical == "Script") {
    if (auto script = resolve_script(norm_value, UCHAR_SCRIPT)) return std::move(*script);
  } else if (*canonical == "Script_Extensions") {
    if (auto script = resolve_script(norm_value, UCHAR_SCRIPT_EXTENSIONS)) {
      return std::move(*script);
    }
  } else if (*canonical == "Age") {
    return resolve_age(norm_value);
  } else if (*canonical == "Grapheme_Cluster_Break") {
    return resolve_enumerated(tables.grapheme_cluster_breaks, UCHAR_GRAPHEME_CLUSTER_BREAK,
                              norm_value, "gcb:");
  } else if (*canonical == "Word_Break") {
    return resolve_enumerated(tables.word_breaks, UCHAR_WORD_BREAK, norm_value, "wb:");
  } else if (*canonical == "Sentence_Break") {
    return resolve_enumerated(tables.sentence_breaks, UCHAR_SENTENCE_BREAK, norm_value, "sb:");
  }
  return Err{ErrorKind::UnicodePropertyValueNotFound};
}

}  // namespace

std::string normalize_symbolic_name(std::string_view name) {
  std::size_t start = 0;
  bool starts_with_is = false;
  if (name.size() >= 2 && (name[0] == 'i' || name[0] == 'I') &&
      (name[1] == 's' || name[1] == 'S')) {
    starts_with_is = true;
    start = 2;
  }
  std::string out;
  for (std::size_t i = start; i < name.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(name[i]);
    if (b == ' ' || b == '_' || b == '-' || b >= 0x80) continue;
    out += (b >= 'A' && b <= 'Z') ? static_cast<char>(b + ('a' - 'A')) : static_cast<char>(b);
  }
  // `isc` (ISO_Comment) would otherwise lose its prefix and read as `c` (Other).
  if (starts_with_is && out == "c") out = "isc";
  return out;
}

Result<std::shared_ptr<const CodepointSet>, ErrorKind> resolve_unicode_class(std::string_view name,
                                                                             std::string_view value,
                                                                             bool has_value) {
  return has_value ? resolve_name_value(name, value) : resolve_single_name(name);
}

}  // namespace tovrin::regex
