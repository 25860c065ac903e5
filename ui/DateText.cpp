#include "ui/DateText.h"

#include <QLocale>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>

namespace brisklet::ui::DateText {

namespace {

icu::Locale userLocale() {
    // Qt calls the POSIX locale "C"; ICU would read that as its root locale, which words dates in
    // raw patterns. Programs started that way still speak English.
    const QString name = QLocale().name();
    return icu::Locale(name == QLatin1String("C") ? "en_US" : name.toUtf8().constData());
}

QString toQString(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

struct Span {
    URelativeDateTimeUnit unit;
    qint64 count;
};

// The largest calendar unit of which at least one whole fits between the two moments, `from` not
// after `to`. Months and years follow the calendar (a month from 31 January ends on the last day
// of February); the shorter units are elapsed time.
Span largestSpan(const QDateTime& from, const QDateTime& to) {
    int months = (to.date().year() - from.date().year()) * 12 + (to.date().month() - from.date().month());
    if (months > 0 && from.addMonths(months) > to) --months;
    if (months >= 12) return {UDAT_REL_UNIT_YEAR, months / 12};
    if (months >= 1) return {UDAT_REL_UNIT_MONTH, months};
    const qint64 seconds = from.secsTo(to);
    const qint64 days = seconds / 86'400;
    if (days >= 7) return {UDAT_REL_UNIT_WEEK, days / 7};
    if (days >= 1) return {UDAT_REL_UNIT_DAY, days};
    if (seconds >= 3'600) return {UDAT_REL_UNIT_HOUR, seconds / 3'600};
    if (seconds >= 60) return {UDAT_REL_UNIT_MINUTE, seconds / 60};
    return {UDAT_REL_UNIT_SECOND, seconds};
}

} // namespace

QString relative(const QDateTime& when, const QDateTime& now) {
    const bool past = when <= now;
    const Span span = past ? largestSpan(when, now) : largestSpan(now, when);
    UErrorCode status = U_ZERO_ERROR;
    // Long units and, through format() rather than formatNumeric(), the named forms.
    icu::RelativeDateTimeFormatter formatter(userLocale(), nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE,
                                             status);
    icu::UnicodeString text;
    const double offset = static_cast<double>(past ? -span.count : span.count);
    formatter.format(offset, span.unit, text, status);
    return U_SUCCESS(status) ? toQString(text) : QString();
}

QString mediumDate(const QDateTime& when) {
    const std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateInstance(icu::DateFormat::kMedium, userLocale()));
    if (!format) return {};
    icu::UnicodeString text;
    format->format(static_cast<UDate>(when.toMSecsSinceEpoch()), text);
    return toQString(text);
}

} // namespace brisklet::ui::DateText
