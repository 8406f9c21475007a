// The frame's stream logic: stream numbers, adding a competitor, deleting
// streams and rows, printing. Filled in with the streams tab's logic.
#include "app/frames/stream_frame.h"

void TfrmStream::OpenStreamFile(const QString& Folder, const QString& FileName) {
  static_cast<void>(Folder);
  static_cast<void>(FileName);
}

void TfrmStream::AddCompetitor(const QString& AName, double AWeight, double ABestResult) {
  static_cast<void>(AName);
  static_cast<void>(AWeight);
  static_cast<void>(ABestResult);
}

void TfrmStream::btnAddStreamClick() {}

void TfrmStream::btnDelStreamClick() {}

void TfrmStream::cbStreamChange() {}

void TfrmStream::btnDelAllStreamClick() {}

void TfrmStream::btnPrintStreamClick() {}

void TfrmStream::dsStreamBeforeDelete(TClientDataSet& DataSet) {
  static_cast<void>(DataSet);
}
