#pragma once

#include <QString>

namespace spreadsheet {

class TWorkbook;

// Writes the workbook as an .xlsx file, whole: the file appears (or replaces
// the old one) only once it is complete. Formulas carry their computed
// results (formula.h). Raises Exception with the reason on failure.
void WriteXlsx(const TWorkbook& workbook, const QString& path);

}  // namespace spreadsheet
