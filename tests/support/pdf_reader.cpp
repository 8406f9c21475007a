#include "tests/support/pdf_reader.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace testing_pdf {

namespace {

QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << program.toStdString() << " did not finish";
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

QString Text(const QString& pdf) {
  return Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

int Pages(const QString& pdf) {
  for (const QString& line : Run(QStringLiteral("pdfinfo"), {pdf}).split(u'\n')) {
    if (line.startsWith(QStringLiteral("Pages:"))) {
      return line.mid(6).trimmed().toInt();
    }
  }
  return 0;
}

}  // namespace testing_pdf
