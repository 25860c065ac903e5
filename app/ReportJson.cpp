#include "app/ReportJson.h"

#include "core/junk/JunkScanner.h"
#include "core/proc/MemoryReader.h"
#include "core/proc/ProcessReader.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>
#include <iostream>
#include <limits>

namespace brisklet::Report {

namespace {

// JSON readers commonly hold numbers as doubles or signed 64-bit integers; memory counts are
// unsigned, and a figure beyond the signed range is a broken reading, so it is held at the top.
qint64 integer(std::uint64_t bytes) {
    constexpr auto top = static_cast<std::uint64_t>(std::numeric_limits<qint64>::max());
    return static_cast<qint64>(bytes > top ? top : bytes);
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

QJsonObject diskJson(const DiskInfo& disk) {
    return QJsonObject{{"name", text(disk.name)},
                       {"total", qint64{disk.total}},
                       {"available", qint64{disk.available}},
                       {"used", qint64{disk.used()}}};
}

QJsonObject memoryJson(const MemorySnapshot& m) {
    return QJsonObject{{"total", integer(m.total)},
                       {"used", integer(m.used())},
                       {"app", integer(m.app)},
                       {"wired", integer(m.wired)},
                       {"compressed", integer(m.compressed)},
                       {"cached", integer(m.cached)},
                       {"swapUsed", integer(m.swapUsed)},
                       {"pressure", QString::fromUtf8(toString(m.pressure))}};
}

QJsonObject junkJson(const JunkCategory& category) {
    QJsonArray items;
    for (const JunkItem& item : category.items)
        items.append(QJsonObject{{"name", text(item.name)},
                                 {"path", text(item.url.string())},
                                 {"size", qint64{item.size}},
                                 {"selected", item.recommended}});
    return QJsonObject{{"kind", QString::fromUtf8(rawValue(category.kind))},
                       {"title", QString::fromUtf8(title(category.kind))},
                       {"size", qint64{category.size()}},
                       {"selectedSize", qint64{preselectedSize(category)}},
                       {"accessDenied", category.accessDenied},
                       {"items", items}};
}

QJsonObject processJson(const ProcessSample& process) {
    return QJsonObject{
        {"pid", process.pid}, {"name", text(process.name)}, {"footprint", integer(process.footprint)}};
}

void writeJson(std::ostream& out, const Sources& sources) {
    QJsonObject report;
    report.insert("disk", diskJson(sources.disk(sources.locations.home)));
    report.insert("memory", memoryJson(MemoryReader::snapshot(sources.procRoot, sources.sysRoot)));
    QJsonArray junk;
    for (const JunkKind kind : allJunkKinds)
        junk.append(junkJson(JunkScanner::scan(kind, sources.locations)));
    report.insert("junk", junk);
    QJsonArray processes;
    for (const ProcessSample& process : topProcesses(ProcessReader::sample(sources.procRoot)))
        processes.append(processJson(process));
    report.insert("topProcesses", processes);
    out << QJsonDocument(report).toJson(QJsonDocument::Indented).toStdString() << std::flush;
}

void printJson() {
    writeJson(std::cout, Sources{});
}

} // namespace brisklet::Report
