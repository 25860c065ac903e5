#include "app/Report.h"

#include "core/fs/Bytes.h"
#include "core/junk/JunkScanner.h"
#include "core/proc/MemoryReader.h"
#include "core/proc/ProcessReader.h"

#include <algorithm>
#include <iostream>

namespace brisklet::Report {

namespace {

constexpr std::size_t kItemsPerCategory = 6;
constexpr std::size_t kTopProcesses = 8;
constexpr std::size_t kAmountWidth = 10;

// Pads or cuts to exactly `width` characters (code points, not bytes).
std::string fitted(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    std::size_t i = 0;
    while (i < text.size() && characters < width) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
        ++characters;
    }
    std::string out = text.substr(0, i);
    out.append(width - characters, ' ');
    return out;
}

// A name is shown on one line of its own: control characters (a newline in a file name) would
// break the report's shape, so they show as the replacement character.
std::string oneLine(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            out += "\xEF\xBF\xBD";
        else
            out += c;
    }
    return out;
}

void emit(std::ostream& out, const std::string& line) {
    out << line << '\n';
    out.flush();
}

} // namespace

std::string diskLine(const DiskInfo& disk) {
    return "Disk  " + disk.name + ": " + Bytes::disk(disk.available) + " free of " + Bytes::disk(disk.total);
}

std::string memoryLine(const MemorySnapshot& m) {
    return "RAM   " + Bytes::memory(m.used()) + " used of " + Bytes::memory(m.total) + " · app " +
           Bytes::memory(m.app) + " · wired " + Bytes::memory(m.wired) + " · compressed " +
           Bytes::memory(m.compressed) + " · cached " + Bytes::memory(m.cached) + " · swap " +
           Bytes::memory(m.swapUsed) + " · pressure " + std::string(toString(m.pressure));
}

std::int64_t preselectedSize(const JunkCategory& category) {
    std::int64_t preselected = 0;
    for (const JunkItem& item : category.items)
        if (item.recommended) preselected += item.size;
    return preselected;
}

std::vector<std::string> junkLines(const JunkCategory& category) {
    std::vector<std::string> lines;
    std::string heading = "\n" + std::string(title(category.kind)) + ": " + Bytes::disk(category.size()) +
                          " (" + Bytes::disk(preselectedSize(category)) + " pre-selected)";
    if (category.accessDenied) heading += " — access denied";
    lines.push_back(std::move(heading));

    const std::size_t shown = std::min(category.items.size(), kItemsPerCategory);
    for (std::size_t i = 0; i < shown; ++i) {
        const JunkItem& item = category.items[i];
        lines.push_back(std::string("  ") + (item.recommended ? "☑" : "☐") + " " +
                        fitted(Bytes::disk(item.size), kAmountWidth) + " " + oneLine(item.name));
    }
    return lines;
}

std::vector<ProcessSample> topProcesses(const std::vector<ProcessSample>& samples) {
    std::vector<const ProcessSample*> order;
    order.reserve(samples.size());
    for (const ProcessSample& sample : samples)
        order.push_back(&sample);
    std::stable_sort(order.begin(), order.end(), [](const ProcessSample* a, const ProcessSample* b) {
        return a->footprint > b->footprint;
    });
    std::vector<ProcessSample> top;
    const std::size_t shown = std::min(order.size(), kTopProcesses);
    for (std::size_t i = 0; i < shown; ++i)
        top.push_back(*order[i]);
    return top;
}

std::vector<std::string> processLines(const std::vector<ProcessSample>& samples) {
    std::vector<std::string> lines{"\nTop processes"};
    for (const ProcessSample& process : topProcesses(samples))
        lines.push_back("  " + fitted(Bytes::memory(process.footprint), kAmountWidth) + " " + oneLine(process.name));
    return lines;
}

void write(std::ostream& out, const Sources& sources) {
    emit(out, diskLine(sources.disk(sources.locations.home)));
    emit(out, memoryLine(MemoryReader::snapshot(sources.procRoot, sources.sysRoot)));
    for (const JunkKind kind : allJunkKinds)
        for (const std::string& line : junkLines(JunkScanner::scan(kind, sources.locations)))
            emit(out, line);
    for (const std::string& line : processLines(ProcessReader::sample(sources.procRoot)))
        emit(out, line);
}

void print() {
    write(std::cout, Sources{});
}

} // namespace brisklet::Report
