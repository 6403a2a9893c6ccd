// The pieces of kivoconv's conversions: the ADIF grammar over the layouts other
// programs write, the mode table both ways, FREQ, the Cabrillo token rule and the
// record a contact becomes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "logbook/interchange/adif_bands.h"
#include "logbook/interchange/adif_modes.h"
#include "logbook/interchange/adif_reader.h"
#include "logbook/interchange/cabrillo_tokens.h"
#include "logbook/interchange/contact_import.h"
#include "logbook/interchange/input_window.h"
#include "logbook/interchange/outside_text.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

using namespace kivo;

namespace {

// "CALL=DATE=TIME;" per record, in file order.
std::string scan(std::string_view text) {
  AdifScanner scanner(text);
  AdifRecord r;
  std::string out;
  while (scanner.next(r))
    out += std::string(r.value("CALL")) + "=" + std::string(r.value("QSO_DATE")) + "=" +
           std::string(r.value("TIME_ON")) + ";";
  return out;
}

}  // namespace

TEST(KivoconvAdifGrammar, LayoutsOfOtherPrograms) {
  struct Case {
    const char* what;
    std::string text;
    std::string records;
  };
  const std::vector<Case> cases = {
      {"one record a line, header",
       "Export\r\n<ADIF_VER:5>3.1.4<EOH>\r\n<CALL:4>K1AB <QSO_DATE:8>20240101 <TIME_ON:4>1200 <EOR>\r\n",
       "K1AB=20240101=1200;"},
      {"one field a line, no header", "<call:4>K1AB\n<qso_date:8:d>20240101\n<time_on:6>120000\n<eor>\n\n",
       "K1AB=20240101=120000;"},
      {"a record wrapped over lines", "<CALL:4>K1AB <QSO_DATE:8>20240101\n<TIME_ON:4>1200\n<EOR>",
       "K1AB=20240101=1200;"},
      {"several records on a line",
       "<CALL:2>A1<QSO_DATE:8>20240101<TIME_ON:4>0001<eor><CALL:2>B2<QSO_DATE:8>20240102<TIME_ON:4>0002<EoR>",
       "A1=20240101=0001;B2=20240102=0002;"},
      {"typed indicators", "<CALL:4:S>K1AB<QSO_DATE:8:D>20240101<TIME_ON:4:T>1200<EOR>", "K1AB=20240101=1200;"},
      {"zero-length fields", "<CALL:0><COMMENT:0><CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:0><EOR>", "K1AB=20240101=;"},
      {"text after values and between",
       "// LOTW <CALL:4>K1ABjunk <x> <QSO_DATE:8>20240101 // <TIME_ON:4>1200 more <EOR>", "K1AB=20240101=1200;"},
      {"a value holding < and line ends", "<COMMENT:7>a<b\n>c <CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:4>1200<EOR>",
       "K1AB=20240101=1200;"},
      {"a header without <EOH> holds no call", "<PROGRAMID:4>LoTW\n<APP_LoTW_EOF>\n", ""},
      {"a last record without <EOR>", "<CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:4>1200", "K1AB=20240101=1200;"},
      {"a length past the end", "<CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:40>1200", "K1AB=20240101=1200;"},
      {"an <EOR> alone, a stray <EOH> later", "<EOR><CALL:1>A<EOR><EOH><CALL:1>B<EOR>", "A==;B==;"},
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.text), c.records) << c.what;
}

TEST(KivoconvAdifGrammar, LengthNeverCutsAUtf8Character) {
  AdifScanner scanner("<NAME:2>M\xc3\xbcller<CALL:1>A<EOR>");
  AdifRecord r;
  ASSERT_TRUE(scanner.next(r));
  EXPECT_EQ(r.value("NAME"), "M\xc3\xbc");
  EXPECT_EQ(codePageText("M\xc3\xbc"), "M\x81");  // UTF-8 u umlaut, code page 437 0x81
  EXPECT_EQ(codePageText("M\xfc"
                         "ller"),
            "M\x81ller");  // the same as a Latin-1 byte
  EXPECT_EQ(codePageText("a\xc2\xa0"
                         "b\xe2\x82\xac"),
            "a b");  // no-break space; the euro is missing
  EXPECT_EQ(asciiText("\x82t\x8e \xe1 \xb3"), "etA s ?");
}

namespace {

// Each record as "line begin-end closed: NAME=value ...", the header after the first;
// offsets and lines in the whole text.
std::string describe(const AdifRecord& r, long long base, long long line) {
  std::string out = std::to_string(line) + " " + std::to_string(base + static_cast<long long>(r.begin)) + "-" +
                    std::to_string(base + static_cast<long long>(r.end)) + (r.closed ? " closed:" : " open:");
  for (const AdifField& f : r.fields) out += " " + std::string(f.name) + "=" + std::string(f.value);
  return out + "\n";
}

std::string headerOf(const std::vector<AdifField>& header) {
  std::string out = "header:";
  for (const AdifField& f : header) out += " " + std::string(f.name) + "=" + std::string(f.value);
  return out + "\n";
}

std::string wholeText(std::string_view text) {
  AdifScanner scanner(text);
  AdifRecord r;
  std::string out;
  for (bool first = true; scanner.next(r); first = false) {
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(r.begin), '\n');
    out += describe(r, 0, line) + (first ? headerOf(scanner.header()) : "");
  }
  return out;
}

std::string throughWindow(const std::string& path, size_t windowBytes) {
  InputWindow window;
  int error = 0;
  if (!window.open(path, error, windowBytes)) return "cannot open";
  AdifWindowScanner scanner(window);
  AdifRecord r;
  std::string out;
  for (bool first = true; scanner.next(r); first = false)
    out += describe(r, window.base(), window.lineAt(r.begin)) + (first ? headerOf(scanner.header()) : "");
  return window.error() ? "read failed" : out;
}

}  // namespace

// A file is read a window at a time: every text, through windows of many sizes, from
// a file and from a pipe, gives the records, offsets, lines and header that the
// scanner gives over the whole text, whatever a window's end cuts.
TEST(KivoconvAdifGrammar, ReadThroughAWindow) {
  const std::string rec = "<CALL:4>K1AB <QSO_DATE:8>20240101 <TIME_ON:4>1200 <EOR>\r\n";
  const std::vector<std::string> texts = {
      "Export\r\n<ADIF_VER:5>3.1.4\r\n<PROGRAMID:4>LoTW<EOH>\r\n" + rec + rec + "\n\n" + rec,
      "<COMMENT:300>" + std::string(300, 'x') + "<CALL:2>A1<EOR>\n<call:2>b2<eor>",
      "<NAME:2>M\xc3\xbcller<CALL:1>A<EOR>\n<NAME:5>\xe2\x82\xac\xe2\x82<CALL:1>B<EOR>",
      rec + "<CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:4>1200",
      rec + "<CALL:4>K1AB<QSO_DATE:8>20240101<TIME_ON:40>12",
      rec + "<EOH> <eor> <x> <<CALL:2>C3<QSO_DATE:8:D>20240102 <EOR><APP_LoTW_EOF>\n<PROGRAMID:4>LoTW\n",
      "<COMMENT:7>a<b\n>c\n" + rec + "<CALL:1",
      "",
  };
  kivo::testing::TempDir dir;
  for (size_t t = 0; t < texts.size(); ++t) {
    const std::string& text = texts[t];
    const std::string want = wholeText(text);
    kivo::testing::writeFile("IN.ADI", text);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(pipeEnds[1]);
    EXPECT_EQ(throughWindow("/proc/self/fd/" + std::to_string(pipeEnds[0]), 3), want) << "text " << t << ", a pipe";
    ::close(pipeEnds[0]);
    for (size_t size : {1u, 2u, 3u, 5u, 8u, 13u, 40u, 64u, 1u << 20})
      EXPECT_EQ(throughWindow("IN.ADI", size), want) << "text " << t << ", window " << size;
  }
}

TEST(KivoconvModes, EveryAdifModeAndSubmodeBothWays) {
  std::set<std::string_view> seen;
  for (const ModeRow& row : modeTable()) {
    const std::string code = modeCode(row.mode, row.submode);
    EXPECT_EQ(code, row.code) << row.mode << "/" << row.submode;
    EXPECT_LE(code.size(), 4u);
    // The code read backwards gives a mode and submode that give the code again.
    const AdifMode back = adifMode(code);
    EXPECT_EQ(modeCode(back.mode, back.submode), code) << code;
    EXPECT_TRUE(seen.insert(row.submode.empty() ? row.mode : row.submode).second) << "twice: " << row.submode;
  }
  struct Case {
    const char *mode, *submode, *code;
  } cases[] = {
      {"CW", "", "CW"},    {"SSB", "USB", "SSB"},   {"ssb", "lsb", "SSB"},   {"FM", "", "FM"},
      {"AM", "", "AM"},    {"RTTY", "", "RTTY"},    {"FT8", "", "FT8"},      {"JT65", "", "JT65"},
      {"PKT", "", "DATA"}, {"MFSK", "FT4", "FT4"},  {"PSK31", "", "PS31"},   {"USB", "", "SSB"},
      {"FT4", "", "FT4"},  {"MFSK", "XYZ", "MFSK"}, {"NEWMODE", "", "NEWM"}, {"", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(modeCode(c.mode, c.submode), c.code) << c.mode << "/" << c.submode;
  EXPECT_EQ(adifMode("SSB").mode, "SSB");
  EXPECT_EQ(adifMode("FT4").submode, "FT4");
  EXPECT_EQ(adifMode("DATA").mode, "PKT");
  EXPECT_EQ(adifMode("USB").submode, "USB");
  EXPECT_EQ(adifMode("XYZ").mode, "XYZ");
}

TEST(KivoconvBands, FrequencyFieldAndBandDefaults) {
  const std::pair<const char*, const char*> freqs[] = {
      {"14.074000", "14.07400"},
      {"7.074000", "7.07400"},
      {"144.174000", "144.1740"},
      {"1296.2", "1296.2"},
      {"1296.200000", "1296.200"},
      {"14.296000000000001", "14.29600"},
      {"14.025", "14.025"},
      {"07.0250", "07.0250"},
      {"10368.1", "10368.1"},
      {"241920.123", "241920.1"},
      {"0", ""},
      {"abc", ""},
      {"1.2.3", ""},
      {"", ""},
  };
  for (auto [text, field] : freqs) EXPECT_EQ(frequencyField(text), field) << text;
  // A contact known only by its band lies in that band in every table: the ADIF one here.
  for (const char* name :
       {"160m", "80M", "60m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m", "2m", "70cm", "23cm"}) {
    const AdifBand* band = bandNamed(name);
    ASSERT_NE(band, nullptr) << name;
    EXPECT_EQ(bandOf(std::stof(std::string(band->frequency))), band) << name;
  }
}

TEST(KivoconvCabrillo, TokensOfTheRealShapes) {
  struct Case {
    const char* line;
    const char *freq, *call, *exchange, *transmitter;
  } cases[] = {
      // DXLog: fixed columns, a transmitter number at the end
      {"QSO: 21031 CW 2025-07-12 1215 GB0WR         599 27     RC2O          599 29     0  ", "21031", "RC2O", "599 29",
       "0"},
      // N1MM, single spaces, a four-token exchange
      {"QSO: 14050 CW 2024-11-02 2101 K5NZ 0001 U 69 STX K8LX 0002 M 64 MI", "14050", "K8LX", "0002 M 64 MI", ""},
      // the frequency right-aligned in seven columns, a VHF band designator
      {"QSO:    7025 PH 2024-01-01 0000 Q1QQ 59 001 Q9ZZ 59 002", "7025", "Q9ZZ", "59 002", ""},
      {"QSO: 1.2G DG 2024-01-01 0000 Q1QQ FN31 Q9ZZ FN42", "1.2G", "Q9ZZ", "FN42", ""},
  };
  for (const Case& c : cases) {
    CabrilloQso q;
    ASSERT_TRUE(splitCabrilloQso(c.line, q)) << c.line;
    std::string exchange;
    for (auto t : q.receivedExchange) exchange += (exchange.empty() ? "" : " ") + std::string(t);
    EXPECT_EQ(q.frequency, c.freq);
    EXPECT_EQ(q.receivedCall, c.call) << c.line;
    EXPECT_EQ(exchange, c.exchange) << c.line;
    EXPECT_EQ(q.transmitter, c.transmitter) << c.line;
  }
  CabrilloQso q;
  EXPECT_FALSE(splitCabrilloQso("QSO: 14050 CW 2024-11-02 2101 K5NZ", q));
  EXPECT_FALSE(isCabrilloQsoLine("X-QSO: 14050 CW 2024-11-02 2101 K5NZ 599 K8LX 599"));
  EXPECT_EQ(cabrilloBand("144"), "2M");
  EXPECT_EQ(cabrilloBand("1.2g"), "23CM");
}

namespace {

CountryTable table() {
  return parseCountryTable({"HEAD", "----", "K          USA", "DL         GERMANY", "G          ENGLAND"});
}

// The record of one ADIF text, or the reason it is refused.
std::string contact(const std::string& adif, LogRecord& out, bool lotw = false) {
  static const CountryTable countries = table();
  EntityFill fill(countries);
  AdifScanner scanner(adif);
  AdifRecord r;
  if (!scanner.next(r)) return "no record";
  ImportDefaults defaults;
  defaults.qslFieldsAreLotw = lotw;
  return adifContact(r, defaults, fill, out);
}

std::string field(const LogRecord& r, Field f) { return r.get(f); }

}  // namespace

TEST(KivoconvContact, ARecordAsTheScreenSavesIt) {
  LogRecord r;
  ASSERT_EQ(contact("<call:5>dl1ab<qso_date:8>20240304<time_on:6>123456<time_off:4>1240<freq:9>14.074000<band:3>20m"
                    "<mode:4>MFSK<submode:3>FT4<tx_pwr:3>50W<rst_sent:3>-05<qsl_sent:1>Y<lotw_qsl_rcvd:1>V"
                    "<comment:5>tnx 73<gridsquare:6>jo31ab<prop_mode:3>SAT<eor>",
                    r),
            "");
  LogRecord want;
  want.set(Field::DATE, "04 MAR 24");
  want.set(Field::FREQ, "14.07400");
  want.set(Field::MODE, "FT4");
  want.set(Field::PWR, "50");
  want.set(Field::TIME, "1234");
  want.set(Field::STATION, "DL1AB");
  want.set(Field::SN, "-05");
  want.set(Field::RD, "599");
  want.set(Field::TOFF, "1240");
  want.set(Field::COUNTRY, "GERMANY");
  want.set(Field::SR, "XL");
  want.set(Field::COMMENTS, "TNX 7 #JO31 SAT");
  want.setSeparators();
  EXPECT_EQ(r, want) << std::string(reinterpret_cast<const char*>(r.bytes.data()), 144);
}

TEST(KivoconvContact, DefaultsMarkersAndRefusals) {
  struct Case {
    const char* adif;
    Field field;
    const char* value;
  } cases[] = {
      {"<band:2>6m<mode:3>SSB", Field::FREQ, "50.15   "},
      {"<band:2>6m<mode:3>SSB", Field::SN, "59 "},
      {"<mode:4>RTTY<rst_rcvd:4>5999", Field::RD, "599"},
      {"<mode:2>AM", Field::RD, "59 "},
      {"", Field::PWR, "100 "},
      {"", Field::TOFF, "1200"},
      {"<qsl_sent:1>Y<lotw_qsl_sent:1>Y<qsl_rcvd:1>R<lotw_qsl_rcvd:1>N", Field::SR, "B "},
      {"<comment:5>#FN31<gridsquare:4>FN31", Field::COMMENTS, "#FN31"},
      {"<comment:40>A COMMENT OF FORTY CHARACTERS FOR A TEST<prop_mode:3>sat", Field::COMMENTS,
       "A COMMENT OF FORTY CHARACTERS FOR SAT"},
      {"<prop_mode:3>SAT", Field::COMMENTS, " SAT"},
      {"<freq:4>abcd<band:3>40M", Field::FREQ, "7.1     "},
      {"<time_off:4>9999", Field::TOFF, "1200"},
  };
  for (const Case& c : cases) {
    LogRecord r;
    ASSERT_EQ(contact(std::string("<CALL:3>K1A<QSO_DATE:8>20240101<TIME_ON:4>1200") + c.adif + "<EOR>", r), "")
        << c.adif;
    EXPECT_EQ(
        field(r, c.field),
        std::string(c.value) + std::string(static_cast<size_t>(fieldInfo(c.field).width) - std::strlen(c.value), ' '))
        << c.adif;
  }
  LogRecord r;
  ASSERT_EQ(contact("<CALL:3>K1A<QSO_DATE:8>20240101<TIME_ON:4>1200<QSL_RCVD:1>Y<EOR>", r, true), "");
  EXPECT_EQ(field(r, Field::SR), " L");  // LOTW's own report: its QSL_RCVD is the LOTW confirmation
  const std::pair<const char*, const char*> refused[] = {
      {"<QSO_DATE:8>20240101<TIME_ON:4>1200", "no call"},
      {"<CALL:17>K1ABCDEFGHIJKLMNO<QSO_DATE:8>20240101<TIME_ON:4>1200", "a call longer than 16 characters"},
      {"<CALL:3>K1A<QSO_DATE:8>20240230<TIME_ON:4>1200", "no date that can be read"},
      {"<CALL:3>K1A<QSO_DATE:6>240101<TIME_ON:4>1200", "no date that can be read"},
      {"<CALL:3>K1A<QSO_DATE:8>20240101<TIME_ON:4>2460", "no time that can be read"},
      {"<CALL:3>K1A<QSO_DATE:8>20240101", "no time that can be read"},
  };
  for (auto [adif, why] : refused) EXPECT_EQ(contact(std::string(adif) + "<EOR>", r), why) << adif;
}

// Names are told apart by their length and a few letters: names one letter off, or
// longer or shorter, are other fields and change nothing; any case is the same name.
TEST(KivoconvContact, NamesNearTheOnesReadAreOtherFields) {
  LogRecord plain, near;
  ASSERT_EQ(contact("<CALL:3>K1A<QSO_DATE:8>20240101<TIME_ON:4>1200<EOR>", plain), "");
  ASSERT_EQ(contact("<CALL:3>K1A<QSO_DATE:8>20240101<TIME_ON:4>1200<QSL_SENTX:1>Y<QSL_SEND:1>Y<QSO_DATX:8>20230101"
                    "<RST_SEN:3>111<RST_RCVX:3>222<LOTW_QSL_SENX:1>Y<LOTW_QSL_RCV:1>Y<TIME_ONX:4>1300<TIME_OF:4>1300"
                    "<TX_PW:2>50<TX_PWRS:2>50<CALLS:3>K2B<CAL:3>K2B<COMMENTS:3>abc<FREQX:6>14.025<BANDS:3>20m"
                    "<MODES:2>CW<SUBMODEX:3>FT4<GRIDSQUARES:4>FN31<PROP_MOD:3>SAT<QSO_DATE_OFF:8>20240102<EOR>",
                    near),
            "");
  EXPECT_EQ(near, plain);
  ASSERT_EQ(contact("<Call:3>K1A<Qso_Date:8>20240101<Time_On:4>1200<Rst_Rcvd:3>579<Lotw_Qsl_Sent:1>Y<Qsl_Rcvd:1>Y<EOR>",
                    near),
            "");
  EXPECT_EQ(field(near, Field::RD), "579");
  EXPECT_EQ(field(near, Field::SR), "LX");
}

// A call with a slash is looked up among the entries that can match it: the entity
// is the one the whole table gives, for calls of every shape, in the real table.
TEST(KivoconvContact, EntityOfACallWithASlashAsTheWholeTableGivesIt) {
  const CountryTable countries = loadCountryTable(kivo::testing::sourceDir() + "/data/demo/COUNTRY.DAT");
  ASSERT_GT(countries.entries.size(), 1000u);
  EntityFill fill(countries);
  for (const char* call :
       {"K1ABC/P",    "VP2E/K1ABC", "K1ABC/VP2E", "DL/K1ABC",  "KG4AB/4",  "4U1UN/P",    "/P",       "K1ABC/",
        "3D2/K1ABC",  "KH6/W1AW",   "W1AW/KH6",   "JA1XYZ/7",  "ZL9/K1AB", "A/B",        "K1ABC/MM", "K1ABC/QRP",
        "EA8/DL1AB",  "OH0/OH1AB",  "CE0Y/K1AB",  "UA9/DL1AB", "FO/F5XYZ", "VK9X/G4ABC", "*/K1",     "1A/K1",
        "9A/K1ABC/P", "K1ABC/P/MM", "KC4/K1ABC",  "W1AW",      "4U1UN",    "KG4AB"}) {
    const std::string want = lookupEntity(countries, call).substr(0, 12);
    EXPECT_EQ(fill.country(call), want) << call;
    EXPECT_EQ(fill.country(call), want) << call << ", again";
  }
}
