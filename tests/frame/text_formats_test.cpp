#include "frame/text_formats.h"

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

TEST(TextFormats, NaprawXMLDropsWhatStandsBeforeTheFirstBracket) {
  EXPECT_EQ(NaprawXML(QStringLiteral("\xFEFF  garbage<?xml version=\"1.0\"?><a/>")), QStringLiteral("<?xml version=\"1.0\"?><a/>"));
  EXPECT_EQ(NaprawXML(QStringLiteral("<a/>")), QStringLiteral("<a/>"));
  EXPECT_EQ(NaprawXML(QStringLiteral("no markup")), QStringLiteral("no markup"));
}

}  // namespace
}  // namespace velmora::frame
