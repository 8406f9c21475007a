#pragma once

#include <QString>

// Texts that a spreadsheet reads as something else when they are typed into
// it, as a protocol file from elsewhere may carry them in its names, teams,
// coaches and organisers. Each must print and export exactly as it stands.
namespace typed_texts {

inline const QString kFormulaName = QStringLiteral("=1+1");                        // would print 2
inline const QString kLinkName = QStringLiteral("=HYPERLINK(\"x.ru\",\"клик\")");  // a live link
inline const QString kNumberTeam = QStringLiteral("007");                          // the number 7
inline const QString kFormulaCoach = QStringLiteral("=A1");                        // a cell's value
inline const QString kQuotedOrganiser = QStringLiteral("'Динамо'");                // loses its apostrophe

}  // namespace typed_texts
