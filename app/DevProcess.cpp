#include "app/AppUsage.h"

#include "core/fs/TildePath.h"
#include "core/proc/ProcessReader.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace brisklet {

namespace {

constexpr qsizetype kCommandLimit = 70;

// As a file manager names the item: trailing slashes do not make an empty name, and a path of
// slashes only is the root itself.
QString lastPathComponent(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/')
        --end;
    const QStringView trimmed = QStringView(path).left(end);
    if (trimmed == u"/") return QStringLiteral("/");
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1).toString();
}

// Cut by what the reader sees as characters, so that an accent or a flag is never split in two.
QString limitedToCharacters(QString text, qsizetype limit) {
    // No text of `limit` UTF-16 units can hold more than `limit` characters.
    if (text.size() <= limit) return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    qsizetype cut = 0;
    for (qsizetype at = graphemes.toNextBoundary(); at != -1; at = graphemes.toNextBoundary()) {
        if (++count == limit) {
            cut = at;
        } else if (count > limit) {
            text.truncate(cut);
            return text + u'…';
        }
    }
    return text;
}

} // namespace

QString DevProcess::commandFrom(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    QStringList taken;
    for (std::size_t i = 1; i < arguments.size() && i < 4; ++i) {
        // Invalid UTF-8 becomes U+FFFD here: a command line is bytes, not text.
        const QString argument = QString::fromStdString(arguments[i]);
        taken << (argument.startsWith(u'/') ? lastPathComponent(argument) : argument);
    }
    QString command = taken.isEmpty() ? QString::fromStdString(arguments.front()) : taken.join(u' ');
    // Shown on one line: a script passed with -c may hold line breaks and tabs.
    for (QChar& c : command)
        if (c.category() == QChar::Other_Control) c = u' ';
    return limitedToCharacters(command.simplified(), kCommandLimit);
}

std::vector<DevProcess> readDevProcesses(const std::vector<ProcessSample>& candidates,
                                         const std::filesystem::path& procRoot,
                                         const std::filesystem::path& home) {
    std::vector<DevProcess> rows;
    rows.reserve(candidates.size());
    for (const ProcessSample& sample : candidates) {
        DevProcess row;
        row.id = sample.pid;
        row.runtime = QString::fromStdString(sample.name);
        row.command = DevProcess::commandFrom(ProcessReader::arguments(sample.pid, procRoot));
        if (const auto directory = ProcessReader::workingDirectory(sample.pid, procRoot))
            row.directory = QString::fromStdString(tildePath(*directory, home));
        row.memory = sample.footprint;
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const DevProcess& a, const DevProcess& b) { return a.memory > b.memory; });
    return rows;
}

} // namespace brisklet
