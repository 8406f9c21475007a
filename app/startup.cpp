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
#include "platform/core/atomic_file.h"
#include "platform/core/exception.h"
#include "platform/ini/ini_file.h"
#include "platform/table/key_index.h"
#include "platform/widgets/data_link.h"
#include "platform/widgets/shared_dialogs.h"
#include "protocol/cleanup.h"

void TfrmMain::FormCreate() {
  SetupStreamFrame(*frmStreamSnatch);
  SetupStreamFrame(*frmStreamLongCycle);
  SetupStreamFrame(*frmStreamBiathlon);
  InitDataFolder();
  // What saves cut short by a crash or a kill left beside the files.
  RemoveLeftoverTemporaryFiles(FDataFolder);
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
    try {
      Table.SaveToFile(path, 1);
    } catch (const Exception&) {
      // The table stays open with its path as its file: what is typed into
      // it goes there with the next save or the close, which say so when
      // they cannot write it either.
      Table.SetFileName(path);
      throw;
    }
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

// A row the close could not post, as the question that gives it up names
// it: the values the user sees in it.
QString RowText(TClientDataSet& Table) {
  QStringList values;
  for (int i = 0; i < Table.FieldCount(); ++i) {
    if (TField& field = Table.Fields(i); field.Visible()) {
      if (const QString text = field.DisplayText(); !text.trimmed().isEmpty()) {
        values << text;
      }
    }
  }
  return values.join(QStringLiteral(", "));
}

// Every register row, whatever view a tab left on the register, goes into
// the handbook: onto the handbook row of its name (letter case aside), sex
// and birthday, or as a new row. The rows are walked in the register's own
// order, so the new ones join the handbook in the order they were entered;
// afterwards the register shows what it showed before.
void MergeIntoHandbook(TClientDataSet& Register, TClientDataSet& Handbook) {
  const QString filter = Register.Filter();
  const bool filtered = Register.Filtered();
  const QString indexName = Register.IndexName();
  const QString indexFields = Register.IndexFieldNames();
  const TBookmark current = Register.GetBookmark();
  Register.DisableControls();
  Handbook.DisableControls();
  RunProtected(
      [&] {
        // The name completion leaves the handbook filtered to the names begun
        // in the name box while the caret is there; the merge must see every
        // row, or it would add the others once more.
        Handbook.SetFiltered(false);
        Register.SetFiltered(false);
        Register.SetIndexName(QString());
        TField& name = Register.FieldByName(QStringLiteral("Name"));
        TField& sexRef = Register.FieldByName(QStringLiteral("SexRef"));
        TField& birthday = Register.FieldByName(QStringLiteral("Birthday"));
        // One search of the whole handbook instead of one per competitor.
        TKeyIndex handbookRows(Handbook, QStringLiteral("Name;SexRef;Birthday"), loCaseInsensitive);
        for (Register.First(); !Register.Eof(); Register.Next()) {
          // A row left without sex matches a handbook row without one, as a
          // row without birthday does: read as 0 it would find nothing and be
          // added again at every close.
          const TBookmark found = handbookRows.Find({name.AsString(), sexRef.Value(), birthday.Value()});
          if (found.IsValid()) {
            Handbook.GotoBookmark(found);
            // Every post adds a row version to the file: a handbook row that
            // would take the values it has is left alone, or the file grows at
            // each close.
            const QVariantList before = StoredValues(Handbook);
            Handbook.Edit();
            CopyRecordByFieldNames(Register, Handbook);
            if (StoredValues(Handbook) == before) {
              Handbook.Cancel();
            } else {
              Handbook.Post();
            }
          } else {
            Handbook.Insert();
            CopyRecordByFieldNames(Register, Handbook);
            Handbook.Post();
            handbookRows.Add(Handbook.GetBookmark());
          }
        }
      },
      {[&] {
         if (!indexFields.isEmpty()) {
           Register.SetIndexFieldNames(indexFields);
         } else {
           Register.SetIndexName(indexName);
         }
       },
       [&] {
         Register.SetFilter(filter);
         Register.SetFiltered(filtered);
       },
       [&] {
         if (Register.BookmarkValid(current)) {
           Register.GotoBookmark(current);
         }
       },
       [&] { Handbook.EnableControls(); }, [&] { Register.EnableControls(); }});
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
  // The start-up stopped at the register or the handbook: there is nothing to
  // merge, or nowhere to merge into, and the window closes all the same.
  if (!dsCompetitor.Active() || !dsCompetitorHB.Active()) {
    return;
  }
  MergeIntoHandbook(dsCompetitor, dsCompetitorHB);
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
  // Loss names what giving the write up costs, where the message does not.
  const auto attempt = [&failures](const std::function<void()>& write, std::function<void()> giveUp,
                                   const std::function<QString()>& loss = {}) {
    try {
      write();
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      failures.append({loss ? e.Message() + u'\n' + loss() : e.Message(), std::move(giveUp)});
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
  const auto lostRow = [this](TClientDataSet& table) {
    const QString text = RowText(table);
    return Translate(QStringLiteral("Строка не будет сохранена"),
                     QStringLiteral("The row will not be saved")) +
           (text.isEmpty() ? QString() : QStringLiteral(": ") + text);
  };
  for (TClientDataSet* table : tables) {
    // A row that cannot be posted costs only itself: the rows posted before
    // it are written all the same, and only a file that cannot be written
    // costs its table.
    attempt([table] { PostPendingRow(*table); }, [table] { table->Cancel(); },
            [table, &lostRow] { return lostRow(*table); });
    attempt([table] { table->WriteBack(); }, [table] { table->SetFileName(QString()); });
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
