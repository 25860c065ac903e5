#pragma once

#include <QDateTime>
#include <QString>

// Dates worded for people, in the user's language (the application's default QLocale, which is the
// system's unless a test sets another), through ICU.
namespace brisklet::ui::DateText {

// How long ago (or ahead) `when` is from `now`, in the largest whole unit that fits — years,
// months, weeks, days, hours, minutes, seconds — worded with full unit names and with the
// language's own words where it has them: "yesterday", "last week", "3 weeks ago", "in 2 days",
// "now".
QString relative(const QDateTime& when, const QDateTime& now);

// The date alone in the language's medium style ("Mar 5, 2026" in American English), in local time.
QString mediumDate(const QDateTime& when);

} // namespace brisklet::ui::DateText
