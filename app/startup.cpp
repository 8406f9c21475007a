// Start-up and shutdown: the sequence that opens the data folder, the
// settings and every reference table, the merge of the register into the
// competitor handbook and the writes at close, and the saves at destruction.
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>

#include "app/frames/stream_frame.h"
#include "app/image_list.h"
#include "app/main_window.h"
#include "common/data_folder.h"
#include "common/record_copy.h"
#include "platform/core/exception.h"
#include "platform/ini/ini_file.h"
#include "platform/widgets/data_link.h"
#include "platform/widgets/shared_dialogs.h"

void TfrmMain::FormCreate() {
  SetupStreamFrame(*frmStreamSnatch);
  SetupStreamFrame(*frmStreamLongCycle);
  SetupStreamFrame(*frmStreamBiathlon);
  InitDataFolder();
  FSettings = std::make_unique<TIniFile>(FDataFolder + QStringLiteral("Tyazhar.ini"));
  FGridsIni = std::make_unique<TIniFile>(FDataFolder + QStringLiteral("Grids.ini"));
  LoadSettings();
  LoadAllGridColumns();
  pcMain->setCurrentIndex(0);
  pcProtocol->setCurrentIndex(0);

  for (const TTableFile& file : kTableFilesBeforeLookups) {
    TClientDataSet& table = Tables().*file.Table;
    std::function<void()> fill;
    if (&table == &dsManWeight) {
      fill = [this] { FillManWeightDefaults(); };
    } else if (&table == &dsWomanWeight) {
      fill = [this] { FillWomanWeightDefaults(); };
    }
    OpenOrCreate(table, QString::fromLatin1(file.FileName), fill);
  }

  dsRank.CreateDataSet();
  FillRankTable();
  dsSex.CreateDataSet();
  FillSexTable();

  for (const TTableFile& file : kTableFilesAfterLookups) {
    OpenOrCreate(Tables().*file.Table, QString::fromLatin1(file.FileName));
  }

  ApplyLanguage();
}

void TfrmMain::SetupStreamFrame(TfrmStream& Frame) {
  Frame.SetToolbarImages(*ImageList);
  Frame.FTranslate = TranslateFunc();
  Frame.FSetNavigatorHints = [this](TDataNavigator& navigator, TDataNavigator* source) {
    SetNavigatorHints(navigator, source);
  };
  Frame.FOnCompetitorRemoved = [this](TClientDataSet& stream) { ReturnCompetitorToList(stream); };
}

void TfrmMain::InitDataFolder() {
  FDataFolder = GetAppDataDir();
}

void TfrmMain::OpenOrCreate(TClientDataSet& Table, const QString& FileName,
                            const std::function<void()>& Fill) {
  const QString path = FDataFolder + FileName;
  if (!QFileInfo::exists(path)) {
    Table.CreateDataSet();
    if (Fill) {
      Fill();
    }
    Table.SaveToFile(path, 1);
    // No file name yet: this close writes nothing.
    Table.Close();
  }
  Table.SetFileName(path);
  Table.Open();
}

void TfrmMain::FillManWeightDefaults() {
  ::FillManWeightDefaults(dsManWeight);
}

void TfrmMain::FillWomanWeightDefaults() {
  ::FillWomanWeightDefaults(dsWomanWeight);
}

// A language switch after a start-up that stopped before the lookup tables
// were built finds them closed: then there is nothing to relabel.
void TfrmMain::FillRankTable() {
  if (dsRank.Active()) {
    ::FillRankTable(dsRank, TranslateFunc());
  }
}

void TfrmMain::FillSexTable() {
  if (dsSex.Active()) {
    ::FillSexTable(dsSex, TranslateFunc());
  }
}

namespace {

// The values a row keeps in the file, lookups left out.
QVariantList StoredValues(const TClientDataSet& Table) {
  QVariantList values;
  for (int i = 0; i < Table.FieldCount(); ++i) {
    if (const TField& field = Table.Fields(i); !field.IsLookup()) {
      values << field.Value();
    }
  }
  return values;
}

// A row typed into a table but not yet posted belongs to what the user
// entered: it is posted, as moving off it would, and a refusal raises with
// the row still in edit, so a Cancel of the close keeps it. A row a grid
// began and nobody filled is dropped.
void PostPendingRow(TClientDataSet& Table) {
  if (!Table.Active()) {
    return;
  }
  Table.UpdateRecord();
  if (!DropUntouchedInsert(Table)) {
    Table.Post();
  }
}

// A file table's write-back, done before the window may close so that its
// failure can still keep the window open.
void WriteBack(TClientDataSet& Table) {
  PostPendingRow(Table);
  Table.WriteBack();
}

}  // namespace

bool TfrmMain::FormCloseQuery() {
  // The question comes first: its Cancel leaves everything as it was.
  if (!ConfirmUnsavedProtocols()) {
    return false;
  }
  PostPendingRegisterRow();
  return true;
}

void TfrmMain::PostPendingRegisterRow() {
  // Text still typed into a register control belongs to the row, as it would
  // if the row were posted from the form; a refusal raises here, before
  // anything of the close has run.
  PostPendingRow(dsCompetitor);
}

void TfrmMain::FormClose() {
  if (!dsCompetitor.Active() || dsCompetitor.IsEmpty()) {
    return;
  }
  // The start-up stopped at the handbook: there is nowhere to merge into, and
  // the window closes all the same.
  if (!dsCompetitorHB.Active()) {
    return;
  }
  // The name completion leaves the handbook filtered to the names begun in
  // the name box while the caret is there; the merge must see every row, or
  // it would add the others once more.
  dsCompetitorHB.SetFiltered(false);
  TField& name = dsCompetitor.FieldByName(QStringLiteral("Name"));
  TField& sexRef = dsCompetitor.FieldByName(QStringLiteral("SexRef"));
  TField& birthday = dsCompetitor.FieldByName(QStringLiteral("Birthday"));
  dsCompetitor.First();
  while (!dsCompetitor.Eof()) {
    // A row left without sex matches a handbook row without one, as a row
    // without birthday does: read as 0 it would find nothing and be added
    // again at every close.
    const QVariantList key{name.AsString(), sexRef.Value(), birthday.Value()};
    if (dsCompetitorHB.Locate(QStringLiteral("Name;SexRef;Birthday"), key, loCaseInsensitive)) {
      // Every post adds a row version to the file: a handbook row that would
      // take the values it has is left alone, or the file grows at each close.
      const QVariantList before = StoredValues(dsCompetitorHB);
      dsCompetitorHB.Edit();
      CopyRecordByFieldNames(dsCompetitor, dsCompetitorHB);
      if (StoredValues(dsCompetitorHB) == before) {
        dsCompetitorHB.Cancel();
      } else {
        dsCompetitorHB.Post();
      }
    } else {
      dsCompetitorHB.Insert();
      CopyRecordByFieldNames(dsCompetitor, dsCompetitorHB);
      dsCompetitorHB.Post();
    }
    dsCompetitor.Next();
  }
}

void TfrmMain::RecreateDataFolder() {
  // Nothing was opened when the start-up found no data folder.
  if (FDataFolder.isEmpty() || QFileInfo(FDataFolder).isDir()) {
    return;
  }
  if (!QDir().mkpath(FDataFolder)) {
    throw Exception(QStringLiteral("Не удается создать каталог с данными приложения"));
  }
  ShowInformation(
      Translate(QStringLiteral("Каталог с данными приложения был удален во время работы "
                               "программы и создан заново; все открытые таблицы будут "
                               "записаны в него:\n"),
                QStringLiteral("The data folder was removed while the program was running and has "
                               "been created again; every open table will be written into it:\n")) +
      QDir::toNativeSeparators(FDataFolder));
}

bool TfrmMain::WriteFilesAtClose() {
  struct TFailure {
    QString Message;
    // Gives the write up, so that the destruction does not try it again.
    std::function<void()> GiveUp;
  };
  QList<TFailure> failures;
  const auto attempt = [&failures](const std::function<void()>& write, std::function<void()> giveUp) {
    try {
      write();
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      failures.append({e.Message(), std::move(giveUp)});
    }
  };

  attempt([this] { RecreateDataFolder(); }, {});
  QList<TClientDataSet*> tables;
  for (const TTableFile& file : kTableFilesBeforeLookups) {
    tables << &(Tables().*file.Table);
  }
  for (const TTableFile& file : kTableFilesAfterLookups) {
    tables << &(Tables().*file.Table);
  }
  for (TfrmStream* frame : {frmStreamSnatch, frmStreamLongCycle, frmStreamBiathlon}) {
    tables << &frame->dsStream;
  }
  for (TClientDataSet* table : tables) {
    attempt([table] { WriteBack(*table); }, [table] { table->SetFileName(QString()); });
  }
  // Nothing was opened when the data folder could not be found.
  const auto writeIni = [&](std::unique_ptr<TIniFile>& ini, void (TfrmMain::*save)()) {
    if (ini) {
      attempt(
          [&] {
            (this->*save)();
            ini->UpdateFile();
          },
          [&ini] { ini.reset(); });
    }
  };
  writeIni(FSettings, &TfrmMain::SaveSettings);
  writeIni(FGridsIni, &TfrmMain::SaveAllGridColumns);
  if (failures.isEmpty()) {
    return true;
  }

  QStringList messages;
  for (const TFailure& failure : failures) {
    messages << failure.Message;
  }
  // A data folder that cannot be made fails the language key the same way.
  messages.removeDuplicates();
  if (!Confirm(messages.join(u'\n') + QStringLiteral("\n\n") +
               Translate(QStringLiteral("Данные не сохранены. Закрыть программу?"),
                         QStringLiteral("Data is not saved. Close the program?")))) {
    return false;
  }
  for (const TFailure& failure : failures) {
    if (failure.GiveUp) {
      failure.GiveUp();
    }
  }
  return true;
}

void TfrmMain::FormDestroy() {
  // Nothing was opened when the data folder could not be found.
  if (FSettings) {
    SaveSettings();
    FSettings->UpdateFile();
    FSettings.reset();
  }
  if (FGridsIni) {
    SaveAllGridColumns();
    FGridsIni->UpdateFile();
    FGridsIni.reset();
  }
}
