#pragma once
// The entity list report: every entity with its table name, description, key
// and non-key attributes and the relations it is parent of, then every
// relation with its parent, child, cardinality and kind, in the "Labelled"
// layout (one labelled line per item) or the "Tabular" one (rows under
// column headings).

#include <QString>
#include <QStringList>

namespace veska {

class TDiagram;

// The report's choices; the defaults are the dialog's initial states.
struct TEntityReportOptions {
  bool TableName = false;
  bool EntityDesc = false;
  bool PrimaryKey = true;
  // In Tabular the PK column boxes govern the columns of every attribute row.
  bool PKColName = false;
  bool PKColType = false;
  bool PKNull = false;
  bool PKDesc = false;
  bool Attributes = true;
  bool AttrColName = false;
  bool AttrColType = false;
  bool AttrNull = false;
  bool AttrDesc = false;
  bool Relations = true;
  bool RelDesc = false;
  bool Tabular = false;  // false: "Labelled"
};

// The whole report, every line ended by CR LF.
QString EntityReportText(const TDiagram& model, const TEntityReportOptions& options);
// Writes the report to the file (created or truncated). Throws
// TReportFileError when the file cannot be written.
void WriteEntityReport(const TDiagram& model, const TEntityReportOptions& options, const QString& fileName);

class TReportText;
// One labelled description block: the lines joined and cut every
// 50 - length of `indent` characters (at least 10), the first piece after
// indent + "Description: ", the others after indent and 13 blanks.
void WriteDescription(TReportText& out, const QString& indent, const QStringList& lines);

}  // namespace veska
