#pragma once

// The people the registration tests put into the register and the
// competitor handbook before the window starts.

#include <QList>
#include <QString>

#include "app/data/tables.h"

namespace app_test {

// The start of the refusal of an empty value; the field's label follows.
inline const QString kRefused = QStringLiteral("Не допускается пустое значение поля ");

struct TPerson {
  const char* Name;
  int Sex = 1;
  const char* Birthday = "01.02.1990";
  double Weight = 70;
  const char* Team = "";
  const char* Trainer = "";
  const char* Passport = "";
  int Rank = -1;  // none
};

// Writes the people into the table's file in the data folder.
void WritePeople(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                 const QList<TPerson>& people);

}  // namespace app_test
