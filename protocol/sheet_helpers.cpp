#include "platform/core/fmt.h"
#include "platform/spreadsheet/workbook_model.h"
#include "platform/table/client_dataset.h"
#include "protocol/cleanup.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"
#include "protocol/sheet_pen.h"

namespace {

void SetColumnWidths(TExcelManager& AExcel, int ASheet, std::initializer_list<int> AWidths) {
  int col = 1;
  for (const int width : AWidths) {
    AExcel.SetColumnWidth(ASheet, col++, width);
  }
}

}  // namespace

QString TProtocol::CellName(int ACol, int ARow) {
  return spreadsheet::ColumnName(ACol) + QString::number(ARow);
}

void TProtocol::WriteOrganizers(TExcelManager& AExcel, int ASheet, int& ARow, TClientDataSet& AOrganizer,
                                const QString& AFromCol, const QString& AToCol) {
  const QString filter = AOrganizer.Filter();
  const bool filtered = AOrganizer.Filtered();
  AOrganizer.DisableControls();
  RunProtected(
      [&] {
        // A closed organisers' table has nobody to print.
        if (!AOrganizer.Active()) {
          return;
        }
        // Every organiser belongs on the paper, whatever the window shows.
        AOrganizer.SetFiltered(false);
        TField& name = AOrganizer.FieldByName(QStringLiteral("Name"));
        AOrganizer.First();
        while (!AOrganizer.Eof()) {
          AExcel.SetCellValue(ASheet, 1, ARow, name.AsString());
          AExcel.MergeCells(ASheet, AFromCol + QString::number(ARow), AToCol + QString::number(ARow), true,
                            0);
          ++ARow;
          AOrganizer.Next();
        }
      },
      {[&] { AOrganizer.SetFilter(filter); }, [&] { AOrganizer.SetFiltered(filtered); },
       [&] { AOrganizer.EnableControls(); }});
}

QString TProtocol::SexWord(int ASex) {
  return ASex != 0 ? QStringLiteral("мужчин") : QStringLiteral("женщин");
}

QString TProtocol::SexCaption(int ASex) const {
  return ASex != 0 ? FLanguage->Men() : FLanguage->Women();
}

QString TProtocol::ChooseBySex(int ASex, const QString& AManValue, const QString& AWomanValue) {
  return ASex == 1 ? AManValue : AWomanValue;
}

QString TProtocol::WeightClassKey(int AWeight, const QString& AClassWord) const {
  QString key = QString::number(AWeight);
  if (AClassWord == FLanguage->MoreThan()) {
    key += u'+';
  }
  return key;
}

void TProtocol::GetRankRequirements(QString& AMSWC, QString& AMS, QString& ACMS, TClientDataSet& ANormative,
                                    const QString& ADiscipline, const QString& AKettlebellWeight,
                                    const QString& AWeightClass, int ASex) {
  const QString filter = ANormative.Filter();
  const bool filtered = ANormative.Filtered();
  // Three views that last a moment each: a grid on the handbook of
  // requirements catches up once, at the end.
  ANormative.DisableControls();
  RunProtected(
      [&] {
        AMSWC.clear();
        AMS.clear();
        ACMS.clear();
        // The weight goes into the filter unquoted; a text that is no number
        // (an empty weight box) cannot match a row, and must not break the print.
        bool numeric = false;
        const int kettlebell = AKettlebellWeight.trimmed().toInt(&numeric);
        if (!numeric || !ANormative.Active()) {
          return;
        }
        const QString base = Fmt(
            QStringLiteral(
                "(upper(Discipline)='%s') and (DumbbellWeight=%s) and (WeightClass='%s') and (SexRef=%d)"),
            {ADiscipline.toUpper(), QString::number(kettlebell), AWeightClass, QString::number(ASex)});
        TField& result = ANormative.FieldByName(QStringLiteral("Result"));
        const struct {
          const char* suffix;
          QString* text;
        } ranks[] = {
            {" and (RankRef = 21)", &AMSWC}, {" and (RankRef = 2)", &AMS}, {" and (RankRef = 3)", &ACMS}};
        for (const auto& rank : ranks) {
          ANormative.SetFilter(base + QLatin1String(rank.suffix));
          ANormative.SetFiltered(true);
          if (ANormative.RecordCount() > 0) {
            ANormative.First();
            *rank.text = result.AsString();
          }
        }
      },
      {[&] { ANormative.SetFilter(filter); }, [&] { ANormative.SetFiltered(filtered); },
       [&] { ANormative.EnableControls(); }});
}

void TProtocol::WriteReferees(TExcelManager& AExcel, int ASheet, int ARow, const QString& AMainReferee,
                              const QString& ASecretary, const QString& ARefereePlatform,
                              const QString& ARefereePlatformMain) const {
  TSheetPen pen(AExcel, ASheet);
  // Wrapped, a line too long for its half of the sheet would break inside
  // the name; it is shrunk instead.
  const auto line = [&](int row, char from, char to, const QString& caption, int blanks,
                        const QString& name) {
    if (!name.isEmpty()) {
      pen.PutLine(from, to, row, caption + QString(blanks, u' ') + name);
    }
  };
  line(ARow, 'A', 'F', FLanguage->MainJudgeOnPlatform(), 17, ARefereePlatformMain);
  line(ARow, 'G', 'L', FLanguage->MainSecretary(), 26, ASecretary);
  line(ARow + 2, 'A', 'F', FLanguage->Judge(), 48, ARefereePlatform);
  line(ARow + 2, 'G', 'L', FLanguage->MainJudge(), 32, AMainReferee);
}

void TProtocol::SetSnatchColumnWidths(TExcelManager& AExcel, int ASheet) {
  SetColumnWidths(AExcel, ASheet, {6, 15, 10, 11, 6, 23, 7, 7, 7, 8, 7, 8});
}

void TProtocol::SetLongCycleColumnWidths(TExcelManager& AExcel, int ASheet) {
  SetColumnWidths(AExcel, ASheet, {7, 15, 10, 11, 7, 23, 9, 9, 7, 8, 7, 8});
}

void TProtocol::SetBiathlonColumnWidths(TExcelManager& AExcel, int ASheet) {
  SetColumnWidths(AExcel, ASheet, {7, 7, 5, 5, 11, 7, 15, 7, 7, 7, 7, 7, 6, 7, 7, 8});
}

void TProtocol::SetRelayColumnWidths(TExcelManager& AExcel, int ASheet) {
  SetColumnWidths(AExcel, ASheet, {7, 7, 9, 42, 9, 9, 8, 11, 29});
}
