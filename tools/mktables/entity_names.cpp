#include "tools/mktables/entity_names.h"

#include <algorithm>
#include <array>

#include "common/text.h"

namespace kivo {

namespace {

constexpr size_t kNameWidth = 12;

// The spellings of the worked table that operators already keep: islands are "IS",
// "ST." stands for saint, and a few names are the ones the logbook itself tests
// (USA for the short KG4 calls, UNITED NATIO for 4U1UN, and the four Caribbean
// entities whose contacts before 10 Oct 2010 count for the deleted ones).
// A table, four entities a row.
// clang-format off
constexpr NamedEntity kCurrent[] = {
    {1, "CANADA"},        {3, "AFGHANISTAN"},   {4, "AGALEGA"},       {5, "ALAND IS"},
    {6, "ALASKA"},        {7, "ALBANIA"},       {9, "AMER. SAMOA"},   {10, "AMSTERDAM IS"},
    {11, "ANDAMAN IS"},   {12, "ANGUILLA"},     {13, "ANTARCTICA"},   {14, "ARMENIA"},
    {15, "ASIATIC RUSS"}, {16, "NZ SUBANTARC"}, {17, "AVES ISLAND"},  {18, "AZERBAIJAN"},
    {20, "BAKER & HOWL"}, {21, "BALEARIC IS"},  {22, "PALAU"},        {24, "BOUVET"},
    {27, "BELARUS"},      {29, "CANARY IS"},    {31, "C KIRIBATI"},   {32, "CEUTA & MELI"},
    {33, "CHAGOS IS"},    {34, "CHATHAM IS"},   {35, "CHRISTMAS IS"}, {36, "CLIPPERTON"},
    {37, "COCOS ISLAND"}, {38, "KEELING IS"},   {40, "CRETE"},        {41, "CROZET"},
    {43, "DESECHEO"},     {45, "DODECANESE"},   {46, "E MALAYSIA"},   {47, "EASTER IS"},
    {48, "E KIRIBATI"},   {49, "EQUAT GUINEA"}, {50, "MEXICO"},       {51, "ERITREA"},
    {52, "ESTONIA"},      {53, "ETHIOPIA"},     {54, "EUROPEAN RUS"}, {56, "F DE NORONHA"},
    {60, "BAHAMAS"},      {61, "FRANZ JOSEF"},  {62, "BARBADOS"},     {63, "FR. GUIANA"},
    {64, "BERMUDA"},      {65, "BR VIRGIN IS"}, {66, "BELIZE"},       {69, "CAYMAN IS"},
    {70, "CUBA"},         {71, "GALAPAGOS"},    {72, "DOMINICAN RP"}, {74, "EL SALVADOR"},
    {75, "GEORGIA"},      {76, "GUATEMALA"},    {77, "GRENADA"},      {78, "HAITI"},
    {79, "GUADELOUPE"},   {80, "HONDURAS"},     {82, "JAMAICA"},      {84, "MARTINIQUE"},
    {86, "NICARAGUA"},    {88, "PANAMA"},       {89, "TURKS CAICOS"}, {90, "TRINIDAD"},
    {91, "ARUBA"},        {94, "ANTIGUA"},      {95, "DOMINICA"},     {96, "MONTSERRAT"},
    {97, "ST. LUCIA"},    {98, "ST. VINCENT"},  {99, "GLORIOSO IS"},  {100, "ARGENTINA"},
    {103, "GUAM"},        {104, "BOLIVIA"},     {105, "GUANTANAMO B"}, {106, "GUERNSEY"},
    {107, "GUINEA"},      {108, "BRAZIL"},      {109, "GUINEA-BISS"}, {110, "HAWAII"},
    {111, "HEARD IS"},    {112, "CHILE"},       {114, "ISLE OF MAN"}, {116, "COLOMBIA"},
    {117, "ITU HQ"},      {118, "JAN MAYEN"},   {120, "ECUADOR"},     {122, "JERSEY"},
    {123, "JOHNSTON IS"}, {124, "JUAN DE NOVA"}, {125, "JUAN FERNAND"}, {126, "KALININGRAD"},
    {129, "GUYANA"},      {130, "KAZAKHSTAN"},  {131, "KERGUELEN"},   {132, "PARAGUAY"},
    {133, "KERMADEC"},    {135, "KYRGYZSTAN"},  {136, "PERU"},        {137, "SOUTH KOREA"},
    {138, "KURE IS"},     {140, "SURINAME"},    {141, "FALKLAND IS"}, {142, "LAKSHADWEEP"},
    {143, "LAOS"},        {144, "URUGUAY"},     {145, "LATVIA"},      {146, "LITHUANIA"},
    {147, "LORD HOWE IS"}, {148, "VENEZUELA"},  {149, "AZORES"},      {150, "AUSTRALIA"},
    {152, "MACAO"},       {153, "MACQUARIE IS"}, {157, "NAURU"},      {158, "VANUATU"},
    {159, "MALDIVES"},    {160, "TONGA"},       {161, "MALPELO"},     {162, "N. CALEDONIA"},
    {163, "PAPUA N.G."},  {165, "MAURITIUS"},   {166, "MARIANA IS"},  {167, "MARKET REEF"},
    {168, "MARSHALL IS"}, {169, "MAYOTTE"},     {170, "NEW ZEALAND"}, {171, "MELLISH REEF"},
    {172, "PITCAIRN"},    {173, "MICRONESIA"},  {174, "MIDWAY"},      {175, "FR POLYNESIA"},
    {176, "FIJI"},        {177, "MINAMI TORI"}, {179, "MOLDOVA"},     {180, "MOUNT ATHOS"},
    {181, "MOZAMBIQUE"},  {182, "NAVASSA"},     {185, "SOLOMON IS"},  {187, "NIGER"},
    {188, "NIUE"},        {189, "NORFOLK IS"},  {190, "SAMOA"},       {191, "N COOK IS"},
    {192, "OGASAWARA"},   {195, "ANNOBON"},     {197, "PALMYRA"},     {199, "PETER I IS"},
    {201, "PR EDWARD IS"}, {202, "PUERTO RICO"}, {203, "ANDORRA"},    {204, "REVILLAGIGED"},
    {205, "ASCENSION"},   {206, "AUSTRIA"},     {207, "RODRIGUEZ"},   {209, "BELGIUM"},
    {211, "SABLE IS"},    {212, "BULGARIA"},    {213, "ST. MARTIN"},  {214, "CORSICA"},
    {215, "CYPRUS"},      {216, "SAN ANDRES"},  {217, "SAN FELIX"},   {219, "SAO TOME"},
    {221, "DENMARK"},     {222, "FAROE IS"},    {223, "ENGLAND"},     {224, "FINLAND"},
    {225, "SARDINIA"},    {227, "FRANCE"},      {230, "GERMANY"},     {232, "SOMALIA"},
    {233, "GIBRALTAR"},   {234, "S COOK IS"},   {235, "S GEORGIA"},   {236, "GREECE"},
    {237, "GREENLAND"},   {238, "S ORKNEY"},    {239, "HUNGARY"},     {240, "S SANDWICH"},
    {241, "S SHETLAND"},  {242, "ICELAND"},     {245, "IRELAND"},     {246, "SMOM"},
    {247, "SPRATLY IS"},  {248, "ITALY"},       {249, "ST. KITTS"},   {250, "ST. HELENA"},
    {251, "LIECHTENSTN"}, {252, "ST. PAUL IS"}, {253, "ST PETER & P"}, {254, "LUXEMBOURG"},
    {256, "MADEIRA"},     {257, "MALTA"},       {259, "SVALBARD"},    {260, "MONACO"},
    {262, "TAJIKISTAN"},  {263, "NETHERLANDS"}, {265, "NORTHERN IRE"}, {266, "NORWAY"},
    {269, "POLAND"},      {270, "TOKELAU"},     {272, "PORTUGAL"},    {273, "TRINDADE"},
    {274, "TRISTAN"},     {275, "ROMANIA"},     {276, "TROMELIN"},    {277, "ST. PIERRE"},
    {278, "SAN MARINO"},  {279, "SCOTLAND"},    {280, "TURKMENISTAN"}, {281, "SPAIN"},
    {282, "TUVALU"},      {283, "UK SOV BASES"}, {284, "SWEDEN"},     {285, "US VIRGIN IS"},
    {286, "UGANDA"},      {287, "SWITZERLAND"}, {288, "UKRAINE"},     {289, "UNITED NATIO"},
    {291, "USA"},         {292, "UZBEKISTAN"},  {293, "VIETNAM"},     {294, "WALES"},
    {295, "VATICAN"},     {296, "SERBIA"},      {297, "WAKE IS"},     {298, "WALLIS & FUT"},
    {299, "W MALAYSIA"},  {301, "W KIRIBATI"},  {302, "W SAHARA"},    {303, "WILLIS IS"},
    {304, "BAHRAIN"},     {305, "BANGLADESH"},  {306, "BHUTAN"},      {308, "COSTA RICA"},
    {309, "MYANMAR"},     {312, "CAMBODIA"},    {315, "SRI LANKA"},   {318, "CHINA"},
    {321, "HONG KONG"},   {324, "INDIA"},       {327, "INDONESIA"},   {330, "IRAN"},
    {333, "IRAQ"},        {336, "ISRAEL"},      {339, "JAPAN"},       {342, "JORDAN"},
    {344, "NORTH KOREA"}, {345, "BRUNEI"},      {348, "KUWAIT"},      {354, "LEBANON"},
    {363, "MONGOLIA"},    {369, "NEPAL"},       {370, "OMAN"},        {372, "PAKISTAN"},
    {375, "PHILIPPINES"}, {376, "QATAR"},       {378, "SAUDI ARABIA"}, {379, "SEYCHELLES"},
    {381, "SINGAPORE"},   {382, "DJIBOUTI"},    {384, "SYRIA"},       {386, "TAIWAN"},
    {387, "THAILAND"},    {390, "TURKEY"},      {391, "UAE"},         {400, "ALGERIA"},
    {401, "ANGOLA"},      {402, "BOTSWANA"},    {404, "BURUNDI"},     {406, "CAMEROON"},
    {408, "CENT AFR REP"}, {409, "CAPE VERDE"}, {410, "CHAD"},        {411, "COMOROS"},
    {412, "CONGO"},       {414, "DR CONGO"},    {416, "BENIN"},       {420, "GABON"},
    {422, "GAMBIA"},      {424, "GHANA"},       {428, "IVORY COAST"}, {430, "KENYA"},
    {432, "LESOTHO"},     {434, "LIBERIA"},     {436, "LIBYA"},       {438, "MADAGASCAR"},
    {440, "MALAWI"},      {442, "MALI"},        {444, "MAURITANIA"},  {446, "MOROCCO"},
    {450, "NIGERIA"},     {452, "ZIMBABWE"},    {453, "REUNION"},     {454, "RWANDA"},
    {456, "SENEGAL"},     {458, "SIERRA LEONE"}, {460, "ROTUMA"},     {462, "SOUTH AFRICA"},
    {464, "NAMIBIA"},     {466, "SUDAN"},       {468, "ESWATINI"},    {470, "TANZANIA"},
    {474, "TUNISIA"},     {478, "EGYPT"},       {480, "BURKINA FASO"}, {482, "ZAMBIA"},
    {483, "TOGO"},        {489, "CONWAY REEF"}, {490, "BANABA"},      {492, "YEMEN"},
    {497, "CROATIA"},     {499, "SLOVENIA"},    {501, "BOSNIA"},      {502, "N MACEDONIA"},
    {503, "CZECH REP"},   {504, "SLOVAKIA"},    {505, "PRATAS"},      {506, "SCARBOROUGH"},
    {507, "TEMOTU"},      {508, "AUSTRAL IS"},  {509, "MARQUESAS"},   {510, "PALESTINE"},
    {511, "TIMOR-LESTE"}, {512, "CHESTERFIELD"}, {513, "DUCIE"},      {514, "MONTENEGRO"},
    {515, "SWAINS"},      {516, "ST. BARTS"},   {517, "CURACAO"},     {518, "ST. MAARTEN"},
    {519, "SABA & ST. E"}, {520, "BONAIRE"},    {521, "SOUTH SUDAN"}, {522, "KOSOVO"},
};

// Deleted entities keep their lines so that old contacts still count. Where a
// deleted entity shares its name with a current one, "OLD" tells them apart: the
// logbook finds a contact's line by the name alone.
constexpr NamedEntity kDeleted[] = {
    {2, "ABU AIL"},       {8, "ALDABRA"},       {19, "BAJO NUEVO"},   {23, "BLENHEIM RF"},
    {25, "BR N BORNEO"},  {26, "BR SOMALILND"}, {28, "CANAL ZONE"},   {30, "CELEBE & MOL"},
    {39, "OLD COMOROS"},  {42, "DAMAO DIU"},    {44, "DESROCHES"},    {55, "FARQUHAR"},
    {57, "FR EQ AFRICA"}, {58, "FR INDOCHINA"}, {59, "FR W AFRICA"},  {67, "FRENCH INDIA"},
    {68, "KUWAIT-SA NZ"}, {81, "OLD GERMANY"},  {85, "NETH ANTILLE"}, {93, "GEYSER REEF"},
    {101, "GOA"},         {102, "GOLD COAST"},  {113, "IFNI"},        {115, "IT SOMALILND"},
    {119, "JAVA"},        {127, "KAMARAN IS"},  {128, "KARELO-FINN"}, {134, "KINGMAN REEF"},
    {139, "KURIA MURIA"}, {151, "MALYJ VYSOTS"}, {154, "YEMEN AR"},   {155, "MALAYA"},
    {164, "MANCHURIA"},   {178, "MINERVA REEF"}, {183, "NETH BORNEO"}, {184, "NETH N GUIN"},
    {186, "NEWFOUNDLAND"}, {193, "OKINAWA"},    {194, "OKINO TORI"},  {196, "OLD PALESTIN"},
    {198, "PAPUA TERR"},  {200, "PORT TIMOR"},  {208, "RUANDA-URUND"}, {210, "SAAR"},
    {218, "CZECHOSLOVAK"}, {220, "SARAWAK"},    {226, "SA-IRAQ NZ"},  {228, "SERRANA BANK"},
    {229, "EAST GERMANY"}, {231, "SIKKIM"},     {243, "SOUTH YEMEN"}, {244, "SOUTHERN SUD"},
    {255, "OLD MAARTEN"}, {258, "SUMATRA"},     {261, "SWAN IS"},     {264, "TANGIER"},
    {267, "TERR N GUIN"}, {268, "TIBET"},       {271, "TRIESTE"},     {307, "ZANZIBAR"},
    {488, "WALVIS BAY"},  {493, "PENGUIN IS"},
};
// clang-format on

}  // namespace

std::span<const NamedEntity> currentEntityNames() { return kCurrent; }
std::span<const NamedEntity> deletedEntities() { return kDeleted; }

const char* shortEntityName(int dxcc) {
  auto it =
      std::find_if(std::begin(kCurrent), std::end(kCurrent), [dxcc](const NamedEntity& e) { return e.dxcc == dxcc; });
  return it == std::end(kCurrent) ? nullptr : it->name;
}

bool isUsableEntityName(std::string_view name) {
  if (name.empty() || name.size() > kNameWidth || name.front() == ' ') return false;
  for (char c : name) {
    if (c < ' ' || c > '~' || c == '?' || c == '$' || (c >= 'a' && c <= 'z')) return false;
  }
  return name.find("DELETED") == std::string_view::npos;
}

std::string fallbackEntityName(std::string_view fileName) {
  std::string name;
  for (char c : upperCase(fileName)) {
    if (c < ' ' || c > '~' || c == '?' || c == '$') continue;
    if (c == ' ' && name.empty()) continue;
    name += c;
    if (name.size() == kNameWidth) break;
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  // Whatever the file calls an entity, it must not open the deleted section.
  if (name.find("DELETED") != std::string::npos) return {};
  return name;
}

}  // namespace kivo
