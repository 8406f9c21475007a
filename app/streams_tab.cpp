// The streams tab: opening the stream files, the list of competitors still to
// be placed, choosing a competitor into a stream, returning a removed one.
#include <QCheckBox>
#include <QTabWidget>
#include <exception>

#include "app/every_row.h"
#include "app/frames/stream_frame.h"
#include "app/held_pages.h"
#include "app/main_window.h"
#include "platform/widgets/data_link.h"

namespace {

const QString kName = QStringLiteral("Name");
const QString kExcept = QStringLiteral("Except");

void SetExcept(TClientDataSet& list, int value) {
  list.Edit();
  list.FieldByName(kExcept).SetAsInteger(value);
  list.Post();
}

// Excludes again, for each name in order, the first listed competitor of
// that name: two placed namesakes stay two excluded rows.
void ExcludeByName(TClientDataSet& list, const QStringList& names) {
  if (names.isEmpty()) {
    return;
  }
  OverEveryRow(list, [&] {
    for (const QString& name : names) {
      if (list.Locate(QStringLiteral("Name;Except"), QVariantList{name, 1})) {
        SetExcept(list, 0);
      }
    }
  });
}

}  // namespace

void TfrmMain::tbshStreamShow() {
  ShowHeldPages(*pcStream, {{tbshStreamSnatch, cbSnatch->isChecked()},
                            {tbshStreamLongCycle, cbLongCycle->isChecked()},
                            {tbshStreamBiathlon, cbBiathlon->isChecked()}});

  // The list is built from every competitor, whatever the weighing tab last
  // showed; a row a grid appended and nobody filled is nobody.
  if (dsCompetitor.Active()) {
    DropUntouchedInsert(dsCompetitor);
  }
  dsCompetitor.SetFiltered(false);
  dsCompetitor.SetFilter(QString());

  // A stream file that cannot be read keeps only its own discipline closed.
  std::exception_ptr failure;
  const struct {
    TfrmStream* Frame;
    const char* FileName;
  } files[] = {{frmStreamSnatch, "SStream.xml"},
               {frmStreamLongCycle, "LStream.xml"},
               {frmStreamBiathlon, "BStream.xml"}};
  for (const auto& file : files) {
    try {
      file.Frame->OpenStreamFile(FDataFolder, QString::fromLatin1(file.FileName));
    } catch (...) {
      if (!failure) {
        failure = std::current_exception();
      }
    }
  }

  if (!dsCompetitorStream.Active()) {
    btnRefreshStreamHBClick();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
}

void TfrmMain::tbshStreamSnatchShow() {
  dsCompetitorStream.SetFilter(QStringLiteral("Except=1 and Snatch<>0"));
}

void TfrmMain::tbshStreamLongCycleShow() {
  dsCompetitorStream.SetFilter(QStringLiteral("Except=1 and LongCycle<>0"));
}

void TfrmMain::tbshStreamBiathlonShow() {
  dsCompetitorStream.SetFilter(QStringLiteral("Except=1 and Biathlon<>0"));
}

void TfrmMain::btnRefreshStreamHBClick() {
  // The competitors placed so far, of every discipline, by name.
  QStringList excluded;
  if (dsCompetitorStream.Active()) {
    OverEveryRow(dsCompetitorStream, [&] {
      TField& name = dsCompetitorStream.FieldByName(kName);
      TField& except = dsCompetitorStream.FieldByName(kExcept);
      for (dsCompetitorStream.First(); !dsCompetitorStream.Eof(); dsCompetitorStream.Next()) {
        if (except.AsInteger() == 0) {
          excluded << name.AsString();
        }
      }
    });
  }

  dsCompetitorStream.Close();
  dsCompetitorStream.CreateDataSet();
  try {
    CopyAllRecords(dsCompetitor, dsCompetitorStream);
  } catch (...) {
    // A register row without a name or body weight stops the build there;
    // nobody already placed is offered again among the rows built.
    ExcludeByName(dsCompetitorStream, excluded);
    throw;
  }
  ExcludeByName(dsCompetitorStream, excluded);
}

void TfrmMain::butCompetitorStreamSelectClick() {
  if (!dsCompetitorStream.Active() || dsCompetitorStream.RecordCount() == 0) {
    return;
  }
  const QString name = dsCompetitorStream.FieldByName(kName).AsString();
  const double weight = dsCompetitorStream.FieldByName(QStringLiteral("Weight")).AsFloat();
  const auto bestResult = [this](const char* field) {
    return dsCompetitorStream.FieldByName(QString::fromLatin1(field)).AsFloat();
  };
  QWidget* page = pcStream->currentWidget();
  if (page == tbshStreamSnatch) {
    frmStreamSnatch->AddCompetitor(name, weight, bestResult("BestResSnatch"));
  } else if (page == tbshStreamLongCycle) {
    frmStreamLongCycle->AddCompetitor(name, weight, bestResult("BestResLongCycle"));
  } else if (page == tbshStreamBiathlon) {
    frmStreamBiathlon->AddCompetitor(name, weight, bestResult("BestResBiathlon"));
  } else {
    return;
  }
  if (cbExcept->isChecked()) {
    SetExcept(dsCompetitorStream, 0);
  }
}

void TfrmMain::grStreamHBKeyPress(TDataGrid& /*Sender*/, QChar& Key) {
  if (Key == QChar(13)) {
    butCompetitorStreamSelectClick();
  }
}

void TfrmMain::ReturnCompetitorToList(TClientDataSet& Stream) {
  if (!dsCompetitorStream.Active()) {
    return;
  }
  const QVariantList key{Stream.FieldByName(kName).AsString(),
                         Stream.FieldByName(QStringLiteral("Weight")).Value(), 0};
  // Of namesakes of one body weight the one still excluded comes back, not a
  // listed one a second time.
  OverEveryRow(dsCompetitorStream, [&] {
    if (dsCompetitorStream.Locate(QStringLiteral("Name;Weight;Except"), key)) {
      SetExcept(dsCompetitorStream, 1);
    }
  });
}

void TfrmMain::dsCompetitorStreamAfterInsert(TClientDataSet& DataSet) {
  DataSet.FieldByName(kExcept).SetAsInteger(1);
}
