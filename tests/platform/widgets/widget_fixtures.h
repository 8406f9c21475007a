#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <deque>
#include <memory>
#include <ostream>
#include <utility>

#include "platform/table/client_dataset.h"
#include "platform/widgets/shared_dialogs.h"
#include "tests/support/test_sandbox.h"

namespace widgets_test {

// Takes over both shared dialogs for one test: records every error text and
// every question, and answers the questions from a queue (OK when empty).
class TDialogRecorder {
 public:
  TDialogRecorder() {
    FOldDisplay = SetErrorDisplay([this](const QString& message) {
      Errors << message;
      if (OnError) {
        OnError(message);
      }
    });
    FOldConfirmation = SetConfirmation([this](const QString& question) {
      Questions << question;
      if (Answers.empty()) {
        return true;
      }
      const bool answer = Answers.front();
      Answers.pop_front();
      return answer;
    });
  }
  ~TDialogRecorder() {
    SetErrorDisplay(std::move(FOldDisplay));
    SetConfirmation(std::move(FOldConfirmation));
  }
  TDialogRecorder(const TDialogRecorder&) = delete;
  TDialogRecorder& operator=(const TDialogRecorder&) = delete;

  QStringList Errors;
  QStringList Questions;
  std::deque<bool> Answers;
  // Runs while an error is "shown", as a real message box would (it takes
  // the focus, runs events).
  std::function<void(const QString&)> OnError;

 private:
  TErrorDisplay FOldDisplay;
  TConfirmation FOldConfirmation;
};

// Records the warnings Qt logs while it lives, still passing them on: a view
// handed an editor it no longer has says so only this way.
class TQtWarnings {
 public:
  TQtWarnings() {
    Current() = this;
    FOld = qInstallMessageHandler(&Handle);
  }
  ~TQtWarnings() {
    qInstallMessageHandler(FOld);
    Current() = nullptr;
  }
  TQtWarnings(const TQtWarnings&) = delete;
  TQtWarnings& operator=(const TQtWarnings&) = delete;

  // The warnings that mention the text.
  QStringList About(const QString& text) const { return FMessages.filter(text); }

 private:
  static TQtWarnings*& Current() {
    static TQtWarnings* current = nullptr;
    return current;
  }
  static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    TQtWarnings* self = Current();
    if (self == nullptr) {
      return;
    }
    if (type == QtWarningMsg) {
      self->FMessages << message;
    }
    if (self->FOld != nullptr) {
      self->FOld(type, context, message);
    }
  }

  QtMessageHandler FOld = nullptr;
  QStringList FMessages;
};

// The rank lookup table: ID and Name, rows in the given order.
inline void FillLookup(TClientDataSet& t, const std::vector<std::pair<int, const char*>>& rows) {
  t.AddField("ID", TFieldType::ftInteger);
  t.AddField("Name", TFieldType::ftString, 50);
  t.CreateDataSet();
  for (const auto& [id, name] : rows) {
    t.Append();
    t.FieldByName("ID").SetAsInteger(id);
    t.FieldByName("Name").SetAsString(QString::fromUtf8(name));
    t.Post();
  }
  t.First();
}

// A register-like table: Name, Weight, RankRef (hidden), Rank (lookup into
// ranks), Team, AtTheTeam. Not yet created.
inline void DefineCompetitors(TClientDataSet& t, TClientDataSet* ranks) {
  t.AddField("Name", TFieldType::ftString, 50);
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("RankRef", TFieldType::ftInteger).SetVisible(false);
  if (ranks != nullptr) {
    t.AddLookupField("Rank", 50, "RankRef", ranks, "ID", "Name");
  }
  t.AddField("Team", TFieldType::ftString, 50);
  t.AddField("AtTheTeam", TFieldType::ftBoolean);
}

struct TCompetitorRow {
  const char* Name;
  QVariant Weight;
  QVariant RankRef;
  const char* Team;
};

inline void AppendCompetitors(TClientDataSet& t, const std::vector<TCompetitorRow>& rows) {
  for (const auto& r : rows) {
    t.Append();
    t.FieldByName("Name").SetAsString(QString::fromUtf8(r.Name));
    t.FieldByName("Weight").SetValue(r.Weight);
    t.FieldByName("RankRef").SetValue(r.RankRef);
    t.FieldByName("Team").SetAsString(QString::fromUtf8(r.Team));
    t.Post();
  }
  t.First();
}

// The display texts of one model column, top to bottom.
inline QStringList ModelColumn(const QAbstractItemModel& model, int column) {
  QStringList out;
  for (int row = 0; row < model.rowCount(); ++row) {
    out << model.index(row, column).data().toString();
  }
  return out;
}

// The display texts of one field down the table's current view, read the way
// a grid reads them (cursor untouched).
inline QStringList ViewTexts(TClientDataSet& t, const QString& field) {
  QStringList out;
  for (int row = 0; row < t.ViewRowCount(); ++row) {
    out << t.DisplayTextAt(row, t.FieldByName(field));
  }
  return out;
}

inline QStringList Titles(const QAbstractItemModel& model) {
  QStringList out;
  for (int column = 0; column < model.columnCount(); ++column) {
    out << model.headerData(column, Qt::Horizontal).toString();
  }
  return out;
}

// Every model in these tests runs under the model tester; a broken promise
// of the model aborts the test program.
inline std::unique_ptr<QAbstractItemModelTester> WatchModel(QAbstractItemModel* model) {
  return std::make_unique<QAbstractItemModelTester>(model,
                                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
}

// Lets the deferred work of the controls run (timers of zero interval,
// queued commits).
inline void RunEventLoop() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
  }
}

// Shows a top-level window and makes it the active one, so that focus moves
// behave as on a desktop.
inline void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

}  // namespace widgets_test
