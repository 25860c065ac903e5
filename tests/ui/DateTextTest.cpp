#include "ui/DateText.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace brisklet::ui {
namespace {

class DateTextTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    const QDateTime now{QDate(2026, 12, 7), QTime(15, 30), Qt::UTC};
};

TEST_F(DateTextTest, RelativeDatesUseTheLargestWholeUnitAndTheLanguagesOwnWords) {
    const struct {
        QDateTime when;
        const char* text;
    } cases[] = {
        {now, "now"},
        {now.addSecs(-45), "45 seconds ago"},
        {now.addSecs(-3 * 60), "3 minutes ago"},
        {now.addSecs(-2 * 3600 - 59), "2 hours ago"},
        {now.addDays(-1), "yesterday"},
        {now.addDays(-6), "6 days ago"},
        {now.addDays(-8), "last week"},
        {now.addDays(-21), "3 weeks ago"},
        {now.addDays(-29), "4 weeks ago"}, // not yet back to 7 November
        {now.addDays(-30), "last month"},
        {now.addMonths(-1), "last month"},
        {now.addMonths(-5).addDays(-3), "5 months ago"},
        {now.addMonths(-13), "last year"},
        {now.addYears(-3), "3 years ago"},
        {now.addDays(2), "in 2 days"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateText::relative(c.when, now).toStdString(), c.text) << c.when.toString().toStdString();
}

TEST_F(DateTextTest, MonthsFollowTheCalendarAndWordsTheUsersLanguage) {
    // Two months after 31 January end on 31 March, not after 59 days.
    const QDateTime endOfJanuary(QDate(2026, 1, 31), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(DateText::relative(endOfJanuary, QDateTime(QDate(2026, 3, 30), QTime(12, 0), Qt::UTC)),
              "last month");
    EXPECT_EQ(DateText::relative(endOfJanuary, QDateTime(QDate(2026, 3, 31), QTime(12, 0), Qt::UTC)),
              "2 months ago");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DateText::relative(now.addDays(-1), now), "gestern");
    EXPECT_EQ(DateText::relative(now.addDays(-21), now), "vor 3 Wochen");
    // The POSIX locale still reads as English.
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(DateText::relative(now.addDays(-1), now), "yesterday");
}

TEST_F(DateTextTest, MediumDateHasNoTime) {
    const QDateTime noon(QDate(2026, 3, 5), QTime(12, 0));
    EXPECT_EQ(DateText::mediumDate(noon), "Mar 5, 2026");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DateText::mediumDate(noon), "05.03.2026");
}

} // namespace
} // namespace brisklet::ui
