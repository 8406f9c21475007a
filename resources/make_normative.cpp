// Build-time tool: turns the ranks-requirements source table normative.csv
// into the Normative.xml data packet the program and the installer ship,
// written by the program's own table layer so the packet always has the exact
// form and index the program reads.
//   make_normative <normative.csv> <Normative.xml>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

#include "app/data/tables.h"

namespace {

int Fail(const QString& message) {
  std::fprintf(stderr, "make_normative: %s\n", qPrintable(message));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    return Fail(QStringLiteral("usage: make_normative <normative.csv> <Normative.xml>"));
  }
  QFile csv(QString::fromLocal8Bit(argv[1]));
  if (!csv.open(QIODevice::ReadOnly | QIODevice::Text)) {
    return Fail(QStringLiteral("cannot read %1").arg(csv.fileName()));
  }
  try {
    TCompetitionTables tables;
    TClientDataSet& ds = tables.dsNormative;
    ds.CreateDataSet();
    QTextStream in(&csv);
    in.setEncoding(QStringConverter::Utf8);
    const QStringList header = in.readLine().split(u',');
    const QStringList expected = {"Discipline", "SexRef", "DumbbellWeight", "WeightClass", "RankRef", "Result"};
    for (int i = 0; i < expected.size(); ++i) {
      if (header.value(i) != expected[i]) {
        return Fail(QStringLiteral("unexpected header: %1").arg(header.join(u',')));
      }
    }
    int line = 1;
    while (!in.atEnd()) {
      const QString text = in.readLine();
      ++line;
      if (text.trimmed().isEmpty()) {
        continue;
      }
      const QStringList cells = text.split(u',');
      if (cells.size() < expected.size()) {
        return Fail(QStringLiteral("line %1: too few columns").arg(line));
      }
      ds.Append();
      for (int i = 0; i < expected.size(); ++i) {
        ds.FieldByName(expected[i]).SetAsString(cells[i].trimmed());
      }
      ds.Post();
    }
    ds.SaveToFile(QString::fromLocal8Bit(argv[2]), 1);
  } catch (const Exception& e) {
    return Fail(e.Message());
  }
  return 0;
}
