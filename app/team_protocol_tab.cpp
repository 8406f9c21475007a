// The team protocol: its run-time columns, filling them from the discipline
// protocols and the relay race, the best-N cut, team expressions, totals and
// places, the display mark of points that do not count for the team.
#include "app/team_protocol_tab.h"

#include <QCheckBox>
#include <QSpinBox>
#include <limits>

#include "app/every_row.h"
#include "app/main_window.h"
#include "common/int_sort_list.h"
#include "platform/core/fmt.h"
#include "platform/core/scope_exit.h"
#include "platform/widgets/data_grid.h"

namespace team_protocol {
namespace {

const QString kPosition = QStringLiteral("Position");
const QString kTeam = QStringLiteral("Team");
const QString kPoint = QStringLiteral("Point");
constexpr int kOpenClass = 1000;
// Grid column widths in characters.
constexpr int kClassDisplayWidth = 12;
constexpr int kPositionDisplayWidth = 8;
constexpr int kTeamDisplayWidth = 25;

bool IsDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

// The standard conversion error of a text that is no 32-bit integer.
[[noreturn]] void NotAnInteger(const QString& text) {
  throw EConvertError(Fmt(QStringLiteral("'%s' is not a valid integer value"), {text}));
}

int ToInteger(const QString& digits) {
  bool ok = false;
  const int value = digits.toInt(&ok, 10);
  if (!ok) {
    NotAnInteger(digits);
  }
  return value;
}

// A total of many numbers stays a number the Point field can hold.
int ToInteger(qint64 sum) {
  if (sum > std::numeric_limits<int>::max() || sum < std::numeric_limits<int>::min()) {
    NotAnInteger(QString::number(sum));
  }
  return int(sum);
}

// A table walked with its controls disabled, and a row left in editing by a
// failure dropped, so the table is back in browsing whatever happens.
class TWalk {
 public:
  explicit TWalk(TClientDataSet& table) : FTable(table) { FTable.DisableControls(); }
  ~TWalk() {
    FTable.Cancel();
    FTable.EnableControls();
  }
  TWalk(const TWalk&) = delete;
  TWalk& operator=(const TWalk&) = delete;

 private:
  TClientDataSet& FTable;
};

// A table whose filter the walk changes: its filter and current row come
// back afterwards.
class TKeepView {
 public:
  explicit TKeepView(TClientDataSet& table)
      : FTable(table), FFilter(table.Filter()), FFiltered(table.Filtered()) {
    // A pending edit is posted now, so that putting the filter back has
    // nothing left to post and cannot fail.
    if (FTable.State() == TDataSetState::dsEdit || FTable.State() == TDataSetState::dsInsert) {
      FTable.Post();
    }
    FRow = FTable.GetBookmark();
    FTable.DisableControls();
  }
  ~TKeepView() {
    FTable.SetFilter(FFilter);
    FTable.SetFiltered(FFiltered);
    if (FTable.BookmarkValid(FRow)) {
      FTable.GotoBookmark(FRow);
    }
    FTable.EnableControls();
  }
  TKeepView(const TKeepView&) = delete;
  TKeepView& operator=(const TKeepView&) = delete;

 private:
  TClientDataSet& FTable;
  QString FFilter;
  bool FFiltered;
  TBookmark FRow;
};

void ApplyFilter(TClientDataSet& table, const QString& filter) {
  table.SetFilter(filter);
  table.SetFiltered(true);
}

// The cell with the value added after a "+".
QString Joined(const TField& cell, const QString& value) {
  return cell.IsNull() ? value : cell.AsString() + u'+' + value;
}

// The class label: the discipline and sex prefix, then the bound; the open
// class is "свыше" in both languages.
QString ClassLabel(const QString& labelPrefix, int bound) {
  return labelPrefix + (bound == kOpenClass ? QStringLiteral(" свыше") : u' ' + QString::number(bound));
}

// The relay names the open class by the word of the language it was built
// in; a team protocol built in the other language still finds the column.
bool IsOpenClassWord(const QString& text) {
  return text == QStringLiteral("свыше") || text == QStringLiteral("above");
}

}  // namespace

void CheckTeamExpression(const QString& Text, TIntSortList& List) {
  const QString text = Text + u'#';
  const auto expectDigit = [](qsizetype index) {
    throw Exception(Fmt(QStringLiteral("Нарушен формат выражения: позиция %d, ожидается цифра"),
                        {QString::number(index + 1)}));
  };
  bool inNumber = false;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'#') {
      if (!inNumber) {
        expectDigit(i);
      }
      List.Add(ToInteger(text.mid(start, i - start)));
      return;
    }
    if (!inNumber) {
      if (!IsDigit(c)) {
        expectDigit(i);
      }
      inNumber = true;
      start = i;
    } else if (c == u'+') {
      List.Add(ToInteger(text.mid(start, i - start)));
      inNumber = false;
    } else if (!IsDigit(c)) {
      throw Exception(Fmt(QStringLiteral("Нарушен формат выражения: позиция %d, недопустимый символ %s"),
                          {QString::number(i + 1), QString(c)}));
    }
  }
}

int SumTeamExpression(const QString& Text) {
  TIntSortList numbers;
  CheckTeamExpression(Text, numbers);
  qint64 sum = 0;
  while (!numbers.IsEmpty()) {
    sum += numbers.Pop();
  }
  return ToInteger(sum);
}

void SetTeamDisplayWidth(TField& Field) {
  // A field's size is room for the text; on screen a class column holds its
  // label and a few scorers, and the points column stays in view.
  const QString name = Field.FieldName();
  if (name == kTeam) {
    Field.SetDisplayWidth(kTeamDisplayWidth);
  } else if (name == kPosition) {
    Field.SetDisplayWidth(kPositionDisplayWidth);
  } else if (name != kPoint) {
    Field.SetDisplayWidth(kClassDisplayWidth);
  }
}

void SetTeamText(TField& Field, const QString& Text) {
  if (Field.Size() > 0 && Text.size() > Field.Size()) {
    throw Exception(Fmt(QStringLiteral("%s: значение \"%s\" длиннее поля %s (%d символов)"),
                        {Field.DataSet().Name(), Text, Field.FieldName(), QString::number(Field.Size())}));
  }
  Field.SetAsString(Text);
}

void AddTeamClassFields(TClientDataSet& Table, TField& WeightField, const QString& NamePrefix,
                        const QString& LabelPrefix) {
  TClientDataSet& classes = WeightField.DataSet();
  const TKeepView keep(classes);
  for (classes.First(); !classes.Eof(); classes.Next()) {
    // A row without its limit, left by an older file, is no class.
    if (WeightField.IsNull()) {
      continue;
    }
    const QString bound = WeightField.AsString();
    TField& field = Table.AddField(NamePrefix + bound, TFieldType::ftString, kTeamTextWidth);
    SetTeamDisplayWidth(field);
    field.SetDisplayLabel(ClassLabel(LabelPrefix, WeightField.AsInteger()));
  }
}

void FillTeamColumns(TField& TeamField, TField& WeightField, TField& ProtocolTeamField, TField& PointField,
                     const QString& Sex, const QString& Prefix) {
  TClientDataSet& team = TeamField.DataSet();
  TClientDataSet& classes = WeightField.DataSet();
  TClientDataSet& protocol = ProtocolTeamField.DataSet();
  const TKeepView keepProtocol(protocol);
  const TKeepView keepClasses(classes);
  const TWalk walk(team);

  // Each class holds the body weights above the limit of the one before it.
  QString previous;
  for (classes.First(); !classes.Eof(); classes.Next()) {
    // A row without its limit, left by an older file, is no class.
    if (WeightField.IsNull()) {
      continue;
    }
    const QString bound = WeightField.AsString();
    ApplyFilter(protocol, previous.isEmpty()
                              ? Fmt(QStringLiteral("(SexRef=%s) and (Weight<=%s)"), {Sex, bound})
                              : Fmt(QStringLiteral("(SexRef=%s) and (Weight>%s) and (Weight<=%s)"),
                                    {Sex, previous, bound}));
    const QString column = Prefix + Sex + bound;
    for (protocol.First(); !protocol.Eof(); protocol.Next()) {
      const QString name = ProtocolTeamField.AsString();
      if (team.Locate(kTeam, name, loCaseInsensitive)) {
        team.Edit();
      } else {
        team.Insert();
      }
      if (!PointField.IsNull()) {
        TField& cell = team.FieldByName(column);
        SetTeamText(cell, Joined(cell, PointField.AsString()));
      }
      SetTeamText(TeamField, name);
      team.Post();
    }
    previous = bound;
  }
}

void LimitTeamCells(TClientDataSet& Team, int N) {
  const TWalk walk(Team);
  ForEachRow(Team, [&] {
    for (int i = kFirstClassColumn; i < Team.FieldCount(); ++i) {
      TField& cell = Team.Fields(i);
      if (cell.IsNull()) {
        continue;
      }
      Team.Edit();
      TIntSortList numbers;
      CheckTeamExpression(cell.AsString(), numbers);
      QString text;
      for (int taken = 0; taken < N && !numbers.IsEmpty(); ++taken) {
        if (taken > 0) {
          text += u'+';
        }
        text += QString::number(numbers.Pop());
      }
      SetTeamText(cell, text);
      Team.Post();
    }
  });
}

void AddRelayPoints(TClientDataSet& Team, TClientDataSet& Relay) {
  const TKeepView keep(Relay);
  const TWalk walk(Team);
  TField& relayTeam = Relay.FieldByName(kTeam);
  TField& category = Relay.FieldByName(QStringLiteral("WeightCategory"));
  TField& discipline = Relay.FieldByName(QStringLiteral("Discipline"));
  TField& sex = Relay.FieldByName(QStringLiteral("SexRef"));
  TField& result = Relay.FieldByName(QStringLiteral("Result"));
  ApplyFilter(Relay,
              Fmt(QStringLiteral("Discipline in (%d, %d)"), {QStringLiteral("2"), QStringLiteral("3")}));
  for (Relay.First(); !Relay.Eof(); Relay.Next()) {
    if (!Team.Locate(kTeam, relayTeam.AsString(), loCaseInsensitive)) {
      continue;
    }
    const QString weightClass =
        IsOpenClassWord(category.AsString()) ? QString::number(kOpenClass) : category.AsString();
    const QString prefix = discipline.AsInteger() == 2 ? QStringLiteral("LC_") : QStringLiteral("S_");
    TField* cell = Team.FindField(prefix + sex.AsString() + weightClass);
    if (cell == nullptr) {
      continue;
    }
    Team.Edit();
    // Beyond 32 bits the text still stands, and the totals refuse it.
    SetTeamText(*cell, Joined(*cell, QString::number(3 * qint64(result.AsInteger()))));
    Team.Post();
  }
}

void CalculateTeamPositions(TClientDataSet& Team) {
  const TWalk walk(Team);
  // The filter of the places goes, whatever happens; the walk's cleanup runs
  // after this one, on a table in browsing.
  const TScopeExit unfilter([&] {
    Team.Cancel();
    Team.SetFilter(QString());
    Team.SetFiltered(false);
  });
  TField& point = Team.FieldByName(kPoint);
  TField& position = Team.FieldByName(kPosition);
  TIntSortList totals;
  totals.Unique = true;
  ForEachRow(Team, [&] {
    qint64 total = 0;
    for (int i = kFirstClassColumn; i < Team.FieldCount(); ++i) {
      const TField& cell = Team.Fields(i);
      if (!cell.IsNull()) {
        total += SumTeamExpression(cell.AsString());
      }
    }
    const int checked = ToInteger(total);
    Team.Edit();
    point.SetAsInteger(checked);
    Team.Post();
    totals.Add(checked);
  });
  int place = 1;
  while (!totals.IsEmpty()) {
    ApplyFilter(Team, kPoint + u'=' + QString::number(totals.Pop()));
    const int shared = Team.RecordCount();
    QString text = QString::number(place);
    for (int j = 1; j < shared; ++j) {
      text += u'-' + QString::number(place + j);
    }
    ForEachRow(Team, [&] {
      Team.Edit();
      SetTeamText(position, text);
      Team.Post();
    });
    place += shared;
  }
}

QList<TDataColumn> TeamGridColumns(TClientDataSet& Team) {
  const auto column = [](const QString& name) {
    TDataColumn c;
    c.FieldName = name;
    return c;
  };
  // The place comes first and the total last, whether they hold anything
  // yet or not (a build has neither, an opened file may have both).
  QList<TDataColumn> columns;
  if (Team.FindField(kPosition) != nullptr) {
    columns.append(column(kPosition));
  }
  const TWalk walk(Team);
  const TScopeExit unfilter([&] {
    Team.SetFiltered(false);
    Team.SetFilter(QString());
  });
  for (int i = 0; i < Team.FieldCount(); ++i) {
    const QString name = Team.Fields(i).FieldName();
    if (name == kPosition || name == kPoint) {
      continue;
    }
    ApplyFilter(Team, name + QStringLiteral(" is not null"));
    if (Team.RecordCount() > 0) {
      columns.append(column(name));
    }
  }
  if (Team.FindField(kPoint) != nullptr) {
    columns.append(column(kPoint));
  }
  return columns;
}

}  // namespace team_protocol

namespace {

// The class columns' disciplines in the build's order: the protocol they
// are filled from, the box that holds the discipline, and the label prefixes
// of women and men.
struct TClassDiscipline {
  const char* Prefix;
  TClientDataSet TCompetitionTables::*Protocol;
  QCheckBox* TfrmMain::*Held;
  const char* Women;
  const char* WomenEnglish;
  const char* Men;
  const char* MenEnglish;
};

constexpr TClassDiscipline kClassDisciplines[] = {
    {"LC_", &TCompetitionTables::dsLongCycle, &TfrmMain::cbLongCycle, "Ж (ДЦ)", "W (LC)", "М (ДЦ)", "M (LC)"},
    {"S_", &TCompetitionTables::dsSnatch, &TfrmMain::cbSnatch, "Ж (Р)", "W (S)", "М (Р)", "M (S)"},
    {"B_", &TCompetitionTables::dsBiathlon, &TfrmMain::cbBiathlon, "Ж (Д)", "W (B)", "М (Д)", "M (B)"},
};

QString ClassLabelPrefix(const TfrmMain& window, const TClassDiscipline& discipline, bool men) {
  return men ? window.Translate(QString::fromUtf8(discipline.Men), QString::fromUtf8(discipline.MenEnglish))
             : window.Translate(QString::fromUtf8(discipline.Women),
                                QString::fromUtf8(discipline.WomenEnglish));
}

// The label a build gives the column of that name; empty for a name that is
// none of the team table's.
QString TeamColumnLabel(const TfrmMain& window, const QString& name) {
  if (name == QLatin1String("Position")) {
    return window.dsLongCycle.FieldByName(name).DisplayLabel();
  }
  if (name == QLatin1String("Team")) {
    return window.dsCompetitor.FieldByName(name).DisplayLabel();
  }
  if (name == QLatin1String("Point")) {
    return window.Translate(QStringLiteral("Очки"), QStringLiteral("Point"));
  }
  // A class column: discipline prefix, sex digit, bound (LC_058, S_11000).
  for (const TClassDiscipline& discipline : kClassDisciplines) {
    const QString prefix = QString::fromLatin1(discipline.Prefix);
    const QString rest = name.mid(prefix.size());
    bool isBound = false;
    const int bound = rest.mid(1).toInt(&isBound);
    if (name.startsWith(prefix) && (rest.startsWith(u'0') || rest.startsWith(u'1')) && isBound) {
      return team_protocol::ClassLabel(ClassLabelPrefix(window, discipline, rest.startsWith(u'1')), bound);
    }
  }
  return QString();
}

}  // namespace

void TfrmMain::btnCreateTeamProtocolClick() {
  dsTeamProtocol.Close();
  if (dsTeamProtocol.FieldCount() == 0) {
    for (const auto& [kind, name] :
         {std::pair{1, QStringLiteral("Position")}, std::pair{1, QStringLiteral("Team")},
          std::pair{3, QStringLiteral("Point")}}) {
      AddTeamProtocolField(dsTeamProtocol, kind, name, TeamColumnLabel(*this, name));
    }
    for (const TClassDiscipline& discipline : kClassDisciplines) {
      if (!(this->*discipline.Held)->isChecked()) {
        continue;
      }
      const QString prefix = QString::fromLatin1(discipline.Prefix);
      AddTeamProtocolClassFields(dsTeamProtocol, dsWomanWeight.FieldByName(QStringLiteral("Weight")),
                                 prefix + u'0', ClassLabelPrefix(*this, discipline, false));
      AddTeamProtocolClassFields(dsTeamProtocol, dsManWeight.FieldByName(QStringLiteral("Weight")),
                                 prefix + u'1', ClassLabelPrefix(*this, discipline, true));
    }
  }
  dsTeamProtocol.CreateDataSet();

  {
    const TClientDataSet::TDataSetNotify guard = dsTeamProtocol.BeforeInsert;
    dsTeamProtocol.BeforeInsert = {};
    const TScopeExit reattach([&] { dsTeamProtocol.BeforeInsert = guard; });
    TField& team = dsTeamProtocol.FieldByName(QStringLiteral("Team"));
    for (const TClassDiscipline& discipline : kClassDisciplines) {
      TClientDataSet& protocol = Tables().*discipline.Protocol;
      if (!protocol.Active()) {
        continue;
      }
      const QString prefix = QString::fromLatin1(discipline.Prefix);
      TField& protocolTeam = protocol.FieldByName(QStringLiteral("Team"));
      TField& point = protocol.FieldByName(QStringLiteral("Point"));
      FillTeamColumns(team, dsWomanWeight.FieldByName(QStringLiteral("Weight")), protocolTeam, point,
                      QStringLiteral("0"), prefix);
      FillTeamColumns(team, dsManWeight.FieldByName(QStringLiteral("Weight")), protocolTeam, point,
                      QStringLiteral("1"), prefix);
    }
  }

  grTeamProtocol->SetColumns(team_protocol::TeamGridColumns(dsTeamProtocol));
  if (cbCountTeamProtocolCompetitor->isChecked()) {
    LimitTeamCells(seCountTeamProtocolCompetitor->value());
  }
  if (cbAddRelayToTeamProtocol->isChecked()) {
    AddRelayPoints();
  }
  // Built from the other protocols, it holds nothing of its own yet.
  MarkProtocolSaved(dsTeamProtocol);
}

void TfrmMain::btnCalculatePositionClick() {
  team_protocol::CalculateTeamPositions(dsTeamProtocol);
}

void TfrmMain::grTeamProtocolKeyPress(TDataGrid& /*Sender*/, QChar& Key) {
  if (Key != u'+' && !(Key >= u'0' && Key <= u'9')) {
    Abort();
  }
}

void TfrmMain::grTeamProtocolTitleClick(TDataGrid& Sender, int Position) {
  dsTeamProtocol.SetIndexFieldNames(Sender.ColumnFieldName(Position));
}

// Teams come only from a build.
void TfrmMain::dsTeamProtocolBeforeInsert(TClientDataSet& /*DataSet*/) {
  Abort();
}

// A point that does not count for the team is shown marked.
void TfrmMain::TeamPointGetText(TField& Sender, QString& Text, bool DisplayText) {
  if (!DisplayText) {
    return;
  }
  Text = Sender.AsString();
  if (!Sender.DataSet().FieldByName(QStringLiteral("AtTheTeam")).AsBoolean()) {
    Text += QStringLiteral("(л)");
  }
}

TField& TfrmMain::AddTeamProtocolField(TClientDataSet& Table, int Kind, const QString& Name,
                                       const QString& Label) {
  TField* field = nullptr;
  if (Kind == 1) {
    const bool team = Name == QStringLiteral("Team");
    field = &Table.AddField(Name, TFieldType::ftString,
                            team ? team_protocol::kTeamNameWidth : team_protocol::kTeamTextWidth);
    team_protocol::SetTeamDisplayWidth(*field);
  } else {
    field = &Table.AddField(Name, TFieldType::ftInteger);
  }
  field->SetDisplayLabel(Label);
  return *field;
}

void TfrmMain::AddTeamProtocolClassFields(TClientDataSet& Table, TField& WeightField,
                                          const QString& NamePrefix, const QString& LabelPrefix) {
  team_protocol::AddTeamClassFields(Table, WeightField, NamePrefix, LabelPrefix);
}

void TfrmMain::FillTeamColumns(TField& TeamField, TField& WeightField, TField& ProtocolTeamField,
                               TField& PointField, const QString& Sex, const QString& Prefix) {
  team_protocol::FillTeamColumns(TeamField, WeightField, ProtocolTeamField, PointField, Sex, Prefix);
}

void TfrmMain::LimitTeamCells(int N) {
  team_protocol::LimitTeamCells(dsTeamProtocol, N);
}

void TfrmMain::AddRelayPoints() {
  if (dsRelayRace.Active()) {
    team_protocol::AddRelayPoints(dsTeamProtocol, dsRelayRace);
  }
}

void TfrmMain::CheckTeamExpression(const QString& Text, TIntSortList& List) {
  team_protocol::CheckTeamExpression(Text, List);
}

int TfrmMain::SumTeamExpression(const QString& Text) {
  return team_protocol::SumTeamExpression(Text);
}

void ShowOpenedTeamProtocol(TfrmMain& Window) {
  TClientDataSet& team = Window.dsTeamProtocol;
  if (!team.Active()) {
    return;
  }
  // Fields a file brought show their bare names; those of a build carry the
  // labels of the language it was built in and keep them.
  bool fromFile = false;
  for (int i = 0; i < team.FieldCount(); ++i) {
    TField& field = team.Fields(i);
    const QString label = TeamColumnLabel(Window, field.FieldName());
    if (field.DisplayLabel() == field.FieldName() && !label.isEmpty()) {
      fromFile = true;
      team_protocol::SetTeamDisplayWidth(field);
      field.SetDisplayLabel(label);
    }
  }
  if (fromFile) {
    Window.grTeamProtocol->SetColumns(team_protocol::TeamGridColumns(team));
  }
}
