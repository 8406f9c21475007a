// The frame's stream logic: opening its file, stream numbers, adding a
// competitor, deleting streams and rows, printing.
#include <QComboBox>
#include <QFileInfo>
#include <algorithm>

#include "app/every_row.h"
#include "app/frames/stream_frame.h"
#include "app/wait_cursor.h"
#include "platform/widgets/shared_dialogs.h"
#include "protocol/protocol.h"

namespace {

QString StreamFilter(const QString& number) {
  return QStringLiteral("ID=") + number;
}

// The highest stream number the table holds over all its streams; 1 for an
// empty table, since stream 1 is always there to be shown.
int HighestStream(TClientDataSet& stream) {
  int highest = 1;
  OverEveryRow(stream, [&] {
    TField& id = stream.FieldByName(QStringLiteral("ID"));
    for (stream.First(); !stream.Eof(); stream.Next()) {
      highest = std::max(highest, id.AsInteger());
    }
  });
  return highest;
}

}  // namespace

void TfrmStream::OpenStreamFile(const QString& Folder, const QString& FileName) {
  if (dsStream.Active()) {
    return;
  }
  const QString path = Folder + FileName;
  if (!QFileInfo::exists(path)) {
    dsStream.CreateDataSet();
    try {
      dsStream.SaveToFile(path, 1);
    } catch (...) {
      // A table left open without its file would take the streams made in it
      // nowhere at exit; closed, the next showing of the tab tries again.
      dsStream.Close();
      throw;
    }
    // No file name yet: this close writes nothing.
    dsStream.Close();
  }
  dsStream.SetFileName(path);
  dsStream.SetFilter(StreamFilter(QStringLiteral("1")));
  dsStream.Open();
  dsStream.SetFiltered(true);

  // Every stored stream stays within reach of the selector; the frame still
  // opens on stream 1.
  const int highest = HighestStream(dsStream);
  cbStream->clear();
  for (int number = 1; number <= highest; ++number) {
    cbStream->addItem(QString::number(number));
  }
  cbStream->setCurrentIndex(0);
}

void TfrmStream::AddCompetitor(const QString& AName, double AWeight, double ABestResult) {
  // After all streams were deleted there is no stream to take the number
  // from: the competitor opens stream 1.
  const bool noStream = cbStream->count() == 0;
  const int id = noStream ? 1 : cbStream->currentText().toInt();
  dsStream.Insert();
  dsStream.FieldByName(QStringLiteral("Name")).SetAsString(AName);
  dsStream.FieldByName(QStringLiteral("Weight")).SetAsFloat(AWeight);
  dsStream.FieldByName(QStringLiteral("BestResult")).SetAsFloat(ABestResult);
  dsStream.FieldByName(QStringLiteral("ID")).SetAsInteger(id);
  dsStream.Post();
  if (noStream) {
    btnAddStreamClick();
  }
}

void TfrmStream::btnAddStreamClick() {
  const QString number = QString::number(cbStream->count() + 1);
  cbStream->addItem(number);
  cbStream->setCurrentIndex(cbStream->count() - 1);
  dsStream.SetFilter(StreamFilter(number));
}

void TfrmStream::btnDelStreamClick() {
  const int selected = cbStream->currentIndex();
  // After all streams were deleted there is nothing to delete.
  if (selected < 0) {
    return;
  }
  if (selected == 0 || selected != cbStream->count() - 1) {
    ShowInformation(Translate(QStringLiteral("Удалять можно только последний"),
                              QStringLiteral("Delete may be jast last")));
    return;
  }
  if (dsStream.RecordCount() > 0) {
    ShowInformation(Translate(QStringLiteral("Поток не пуст"), QStringLiteral("Stream is not empty")));
    return;
  }
  cbStream->removeItem(selected);
  cbStream->setCurrentIndex(cbStream->count() - 1);
  dsStream.SetFilter(StreamFilter(cbStream->currentText()));
}

void TfrmStream::cbStreamChange() {
  dsStream.SetFilter(StreamFilter(cbStream->currentText()));
}

void TfrmStream::btnDelAllStreamClick() {
  if (!dsStream.Active()) {
    return;
  }
  if (!Confirm(Translate(QStringLiteral("Будут удалены все потоки"),
                         QStringLiteral("All stream will be deleted")))) {
    return;
  }
  // Every stream, not only the one shown; each deletion hands its competitor
  // back to the window's list.
  OverEveryRow(dsStream, [&] {
    while (!dsStream.IsEmpty()) {
      dsStream.First();
      dsStream.Delete();
    }
  });
  // Emptied only once the rows are gone: should a deletion fail, the streams
  // still holding rows stay within reach.
  cbStream->clear();
}

void TfrmStream::btnPrintStreamClick() {
  const TWaitCursor wait;
  TProtocol protocol(
      [this](const QString& russian, const QString& english) { return Translate(russian, english); });
  protocol.PrintStream(dsStream);
}

void TfrmStream::dsStreamBeforeDelete(TClientDataSet& DataSet) {
  if (FOnCompetitorRemoved) {
    FOnCompetitorRemoved(DataSet);
  }
}
