#pragma once
// The consistency check: domains whose base data type is not among the
// declared data types, entities without key or without non-key attributes,
// and attributes whose data type is neither declared, nor a domain, nor
// "Default".

#include <QString>
#include <QStringList>

namespace veska {

class TDiagram;

// The report's choices; the defaults are the dialog's initial states.
struct TConsistencyReportOptions {
  bool Domains = true;
  bool Entities = true;
};

// The whole report, every line ended by CR LF. `dataTypes` is the key list
// of the settings file's "DataTypes" section.
QString ConsistencyReportText(const TDiagram& model, const QStringList& dataTypes,
                              const TConsistencyReportOptions& options);
// Writes the report to the file (created or truncated). Throws
// TReportFileError when the file cannot be written.
void WriteConsistencyReport(const TDiagram& model, const QStringList& dataTypes,
                            const TConsistencyReportOptions& options, const QString& fileName);

}  // namespace veska
