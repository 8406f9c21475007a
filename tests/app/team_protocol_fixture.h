#pragma once
// The team protocol tests' window, and the discipline and relay rows and the
// protocol files they put into it.
#include <QTest>
#include <QToolButton>
#include <climits>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "platform/core/scope_exit.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/window_fixture.h"

namespace app_test {

inline constexpr int kNoPoint = INT_MIN;

struct TEntry {
  const char* Team;
  int Sex;
  double Weight;
  int Point = kNoPoint;
  bool AtTheTeam = true;
  int Result = 0;  // orders the protocol: the larger first
};

// Rows of a discipline protocol, as the competition tab would hold them once
// its places are given (the places that a typed result renumbers are out of
// the way).
inline void Fill(TClientDataSet& protocol, std::initializer_list<TEntry> entries) {
  if (!protocol.Active()) {
    protocol.CreateDataSet();
  }
  TField* typed = protocol.FindField("Result");
  const auto renumber = typed != nullptr ? typed->OnChange : TField::TFieldNotify();
  if (typed != nullptr) {
    typed->OnChange = {};
  }
  const TScopeExit reattach([&] {
    if (typed != nullptr) {
      typed->OnChange = renumber;
    }
  });
  for (const TEntry& e : entries) {
    protocol.Append();
    protocol.FieldByName("Name").SetAsString(QStringLiteral("Спортсмен %1").arg(protocol.RecordCount() + 1));
    protocol.FieldByName("Team").SetAsString(QString::fromUtf8(e.Team));
    protocol.FieldByName("SexRef").SetAsInteger(e.Sex);
    protocol.FieldByName("Weight").SetAsFloat(e.Weight);
    protocol.FieldByName(protocol.FindField("Summa") ? "Summa" : "Result").SetAsInteger(e.Result);
    if (e.Point != kNoPoint) {
      protocol.FieldByName("Point").SetAsInteger(e.Point);
    }
    protocol.FieldByName("AtTheTeam").SetAsBoolean(e.AtTheTeam);
    protocol.Post();
  }
}

struct TStage {
  const char* Team;
  int Sex;
  int Discipline;  // 1 jerk, 2 long cycle, 3 snatch
  const char* Category;
  const char* Result;  // "" for none
};

// Relay rows as the relay tab's member selection puts them in, its guard
// and running total out of the way.
inline void FillRelay(TClientDataSet& relay, std::initializer_list<TStage> stages) {
  const auto guard = relay.BeforeInsert;
  TField& result = relay.FieldByName("Result");
  const auto change = result.OnChange;
  relay.BeforeInsert = {};
  result.OnChange = {};
  if (!relay.Active()) {
    relay.CreateDataSet();
  }
  for (const TStage& s : stages) {
    relay.Append();
    relay.FieldByName("Team").SetAsString(QString::fromUtf8(s.Team));
    relay.FieldByName("SexRef").SetAsInteger(s.Sex);
    relay.FieldByName("Discipline").SetAsInteger(s.Discipline);
    relay.FieldByName("WeightCategory").SetAsString(QString::fromUtf8(s.Category));
    relay.FieldByName("Step").SetAsInteger(relay.RecordCount() + 1);
    result.SetAsString(QString::fromLatin1(s.Result));
    relay.Post();
  }
  relay.BeforeInsert = guard;
  result.OnChange = change;
}

// A team protocol file's packet made by hand, as an older build or another
// competition left it: the fields named, texts of the given width (Point an
// integer), and each row given by the values of some of its fields.
using TTeamRow = std::vector<std::pair<QString, QString>>;
inline QByteArray TeamProtocolPacket(const QStringList& fields, int width,
                                     const std::vector<TTeamRow>& rows = {}) {
  TClientDataSet team(QStringLiteral("dsTeamProtocol"));
  for (const QString& name : fields) {
    if (name == QLatin1String("Point")) {
      team.AddField(name, TFieldType::ftInteger);
    } else {
      team.AddField(name, TFieldType::ftString, width);
    }
  }
  team.CreateDataSet();
  for (const TTeamRow& row : rows) {
    team.Append();
    for (const auto& [field, value] : row) {
      team.FieldByName(field).SetAsString(value);
    }
    team.Post();
  }
  return team.SaveToBytes();
}

// The names of a table's fields, in order.
inline QStringList FieldNames(const TClientDataSet& table) {
  QStringList names;
  for (int i = 0; i < table.FieldCount(); ++i) {
    names << table.Fields(i).FieldName();
  }
  return names;
}

class TeamProtocol : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window = Start();
  }
  void TearDown() override {
    window.reset();
    WindowTest::TearDown();
  }

  void Click(const char* button) {
    auto* found = Find<QToolButton>(*window, button);
    ASSERT_NE(found, nullptr);
    QTest::mouseClick(found, Qt::LeftButton);
  }
  void Build() { Click("btnCreateTeamProtocol"); }
  void Calculate() { Click("btnCalculatePosition"); }

  TClientDataSet& Team() { return window->dsTeamProtocol; }

  // The view row of a team, found by its exact name; -1 when none.
  int RowOf(const QString& team) {
    TField& name = Team().FieldByName("Team");
    for (int row = 0; row < Team().RecordCount(); ++row) {
      if (Team().ValueAt(row, name).toString() == team) {
        return row;
      }
    }
    return -1;
  }
  // Every filled field of a team's row but Team, as "name=value".
  QStringList Values(const QString& team) {
    const int row = RowOf(team);
    if (row < 0) {
      return {QStringLiteral("no row")};
    }
    QStringList values;
    for (int i = 0; i < Team().FieldCount(); ++i) {
      TField& field = Team().Fields(i);
      const TValue value = Team().ValueAt(row, field);
      if (value.isValid() && field.FieldName() != QLatin1String("Team")) {
        values << field.FieldName() + u'=' + value.toString();
      }
    }
    return values;
  }
  QString Value(const QString& team, const char* field) {
    const int row = RowOf(team);
    return row < 0 ? QStringLiteral("no row") : Team().ValueAt(row, Team().FieldByName(field)).toString();
  }
  // The titles of the grid's columns, left to right.
  QStringList GridTitles() {
    QStringList titles;
    TDataGrid& grid = *window->grTeamProtocol;
    for (int i = 0; i < grid.ColumnCount(); ++i) {
      titles << grid.model()->headerData(i, Qt::Horizontal).toString();
    }
    return titles;
  }
  // Team rows with the given class cells, put in by hand after an empty
  // build (the only way rows come into the table).
  void TeamsWithCells(const std::vector<std::pair<const char*, const char*>>& teams) {
    for (const auto& [team, cell] : teams) {
      Fill(window->dsLongCycle, {{team, 0, 55}});
    }
    Build();
    for (const auto& [team, cell] : teams) {
      ASSERT_TRUE(Team().Locate("Team", QString::fromUtf8(team))) << team;
      Team().Edit();
      Team().FieldByName("LC_058").SetAsString(QString::fromUtf8(cell));
      Team().Post();
    }
  }
  // A fresh window on the settings the last one left.
  void Restart() {
    window.reset();
    window = Start();
  }

  std::unique_ptr<TfrmMain> window;
};

}  // namespace app_test
