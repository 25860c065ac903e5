#pragma once

#include "app/Report.h"

#include <QJsonObject>

#include <ostream>

namespace brisklet::Report {

// The report's figures as one JSON document, for scripts: the same readings as the text report,
// with bytes as integers instead of worded amounts, every junk item (not only the first six) with
// its path and whether it is selected, and the same heaviest processes. Written once all is read,
// since half a document is of no use to a parser.
void printJson();
void writeJson(std::ostream& out, const Sources& sources);

// The document's pieces.
QJsonObject diskJson(const DiskInfo& disk);
QJsonObject memoryJson(const MemorySnapshot& memory);
QJsonObject junkJson(const JunkCategory& category);
QJsonObject processJson(const ProcessSample& process);

} // namespace brisklet::Report
