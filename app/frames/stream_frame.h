#pragma once

#include <QWidget>
#include <functional>

#include "common/translate_func.h"
#include "platform/table/client_dataset.h"

class QComboBox;
class QToolBar;
class QToolButton;
class TDataGrid;
class TDataNavigator;
class TImageList;

// The stream frame: one discipline's streams (flights), the order in which the
// athletes go out to the platform. Placed three times on the streams tab; each
// instance has its own stream table and file.
class TfrmStream : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmStream(QWidget* parent = nullptr);
  // Writes the stream table back to its file when it changed; an error is
  // shown, never thrown.
  ~TfrmStream() override;

  // ---- Components ----
  QToolBar* tlbarStream;
  QToolButton* btnPrintStream;
  QToolButton* btnAddStream;
  QToolButton* btnDelStream;
  TDataNavigator* dbnvgrStream;
  QComboBox* cbStream;
  QToolButton* btnDelAllStream;
  TDataGrid* grStream;

  TClientDataSet dsStream{QStringLiteral("dsStream")};

  // ---- Callbacks, set by the window; each called only when assigned ----
  TTranslateFunc FTranslate;
  // Given a navigator and no source: the ten bilingual navigator hints.
  std::function<void(TDataNavigator& navigator, TDataNavigator* source)> FSetNavigatorHints;
  // Given the stream table whose current row is about to be deleted.
  std::function<void(TClientDataSet& stream)> FOnCompetitorRemoved;

  // The window's image list for the tool bar.
  void SetToolbarImages(const TImageList& Images);
  // The frame's texts in the language FTranslate gives.
  void SetLanguage();

  // ---- Stream numbers, adding, deleting, printing (stream_operations.cpp) ----
  void OpenStreamFile(const QString& Folder, const QString& FileName);
  void AddCompetitor(const QString& AName, double AWeight, double ABestResult);
  void btnAddStreamClick();
  void btnDelStreamClick();
  void cbStreamChange();
  void btnDelAllStreamClick();
  void btnPrintStreamClick();
  void dsStreamBeforeDelete(TClientDataSet& DataSet);

 private:
  QString Translate(const QString& russian, const QString& english) const;
};
