#include "frame/text_formats.h"
#include "host/ui/display_text.h"

#include "support/test_host.h"

namespace velmora::frame {
namespace {

TEST(TextFormats, DatesAndTimesInDocumentLayout) {
  EXPECT_EQ(GetDateAsString(QDate(2024, 3, 5)), QStringLiteral("2024-03-05"));
  EXPECT_EQ(GetDateTimeAsString(QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9, 750))), QStringLiteral("2024-03-05T08:04:09"));
  EXPECT_EQ(GetDateTimeAsString(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59))), QStringLiteral("2024-12-31T23:59:59"));

  struct Case {
    const char* text;
    QDateTime expected;
  };
  const Case cases[] = {
      {"2024-03-05T08:04:09", QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9))},
      {"2024/03/05 08.04.09.123+01:00", QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9))},  // separators not read
      {"2024-03-05", QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0))},                    // missing time counts as 0
      {"2024-03-05Txx:04:09", QDateTime(QDate(2024, 3, 5), QTime(0, 4, 9))},
      {"abcd-03-05", QDateTime()},                                                     // year 0: no date
      {"", QDateTime()},
  };
  for (const Case& c : cases) EXPECT_EQ(GetDateTimeFromString(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(TextFormats, MassesWithThreeDecimalsOrWholeWhenTooLong) {
  struct Case {
    double mass;
    const char* text;
  };
  const Case cases[] = {
      {12.5, "12.500"},        {0.0, ""},           {0.0004, "0.000"},          {1234.5678, "1234.568"},
      {9999999.999, "9999999.999"},  // 11 characters: kept
      {12345678.9, "12345679"},      // 12 characters: whole
      {-3.25, "-3.250"},
  };
  for (const Case& c : cases) EXPECT_EQ(GetMasa(c.mass), QString::fromLatin1(c.text)) << c.mass;
}

// What the lists and printouts show a clerk: the document forms turned into the Polish ones.
TEST(TextFormats, ShownValuesTakePolishDatesAndADecimalComma) {
  const std::pair<QVariant, const char*> cases[] = {
      {QStringLiteral("2026-12-07T09:05:00"), "07.12.2026 09:05"},
      {QStringLiteral("2026-12-07 09:05:31.250"), "07.12.2026 09:05"},
      {QStringLiteral("2026-12-07"), "07.12.2026"},
      {QStringLiteral("2026-13-07"), "2026-13-07"},  // no date: left as stored
      {QStringLiteral("24PL322010NS0001A7"), "24PL322010NS0001A7"},
      {QStringLiteral("1234.5"), "1234.5"},  // a text column keeps its text
      {QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9)), "05.03.2024 08:04"},
      {QDate(2024, 3, 5), "05.03.2024"},
      {1234.5, "1234,5"},
      {100000.0, "100000"},
      {qint64(42), "42"},
      {QVariant(), ""},
  };
  for (const auto& [value, shown] : cases) EXPECT_EQ(host::TekstKomorki(value), QString::fromUtf8(shown)) << shown;
  for (const auto& [text, shown] : {std::pair{"1234.5", "1234,5"}, std::pair{"-0.250", "-0,250"}, std::pair{"12,5", "12,5"},
                                    std::pair{"1.2.3", "1.2.3"}, std::pair{"v1.5a", "v1.5a"}})
    EXPECT_EQ(host::ZPrzecinkiem(QString::fromLatin1(text)), QString::fromLatin1(shown)) << text;
}

TEST(TextFormats, NaprawXMLDropsWhatStandsBeforeTheFirstBracket) {
  EXPECT_EQ(NaprawXML(QStringLiteral("\xFEFF  garbage<?xml version=\"1.0\"?><a/>")), QStringLiteral("<?xml version=\"1.0\"?><a/>"));
  EXPECT_EQ(NaprawXML(QStringLiteral("<a/>")), QStringLiteral("<a/>"));
  EXPECT_EQ(NaprawXML(QStringLiteral("no markup")), QStringLiteral("no markup"));
}

}  // namespace
}  // namespace velmora::frame
