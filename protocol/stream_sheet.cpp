#include "platform/table/client_dataset.h"
#include "protocol/cleanup.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"

// The order in which athletes go out, stream by stream; printed in Russian
// only and in portrait, since it is one narrow column.
void TProtocol::PrintStream(TClientDataSet& AStream) {
  const QString filter = AStream.Filter();
  const bool filtered = AStream.Filtered();
  AStream.DisableControls();
  std::unique_ptr<TExcelManager> excel;
  RunProtected(
      [&] {
        excel = TExcelManager::CreateHidden();
        // The frame shows one stream; the list is of them all.
        AStream.SetFiltered(false);
        if (AStream.Active() && AStream.RecordCount() > 0) {
          excel->SetCellValue(1, 1, 1, QStringLiteral("Порядок выхода спортсменов"));
          excel->SetColumnWidth(1, 1, 50);
          TField& id = AStream.FieldByName(QStringLiteral("ID"));
          TField& name = AStream.FieldByName(QStringLiteral("Name"));
          TField& weight = AStream.FieldByName(QStringLiteral("Weight"));
          int row = 2;
          int previousStream = -1;
          AStream.First();
          while (!AStream.Eof()) {
            if (id.AsInteger() != previousStream) {
              ++row;
              excel->SetCellValue(1, 1, row, QStringLiteral("Поток № ") + id.AsString());
              ++row;
              previousStream = id.AsInteger();
            }
            excel->SetCellValue(1, 1, row, name.AsString() + QStringLiteral(", ") + weight.AsString());
            ++row;
            AStream.Next();
          }
          excel->FitRowHeights(1);
        }
        excel->PrintOut(false);
      },
      {[&] { AStream.SetFilter(filter); }, [&] { AStream.SetFiltered(filtered); },
       [&] { AStream.EnableControls(); },
       [&] {
         if (excel) {
           excel->Destroy();
         }
       }});
}
