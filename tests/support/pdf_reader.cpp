#include "tests/support/pdf_reader.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>
#include <map>

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

double Attribute(const QXmlStreamReader& xml, const char* name) {
  return xml.attributes().value(QLatin1String(name)).toDouble();
}

// pdftotext's box of a word runs 0.95 of the font size above the baseline and
// 0.35 below, whichever font it is.
constexpr double kBoxPerFontSize = 1.3;

// The size of the font that most words of the page are printed in.
double CommonFontSize(const TPage& page) {
  std::map<int, int> heights;  // tenths of a point
  for (const TWord& word : page.Words) {
    ++heights[qRound(word.Box.height() * 10)];
  }
  const auto common = std::max_element(heights.begin(), heights.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
  return common == heights.end() ? 0 : common->first / 10.0 / kBoxPerFontSize;
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

QStringList Fonts(const QString& pdf) {
  QStringList fonts;
  // A header line, a rule, then one font a line, its name first.
  const QStringList lines = Run(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts);
  for (qsizetype i = 2; i < lines.size(); ++i) {
    QString name = lines[i].section(u' ', 0, 0);
    name.remove(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+")));
    if (!fonts.contains(name)) {
      fonts << name;
    }
  }
  return fonts;
}

std::vector<TPage> Words(const QString& pdf) {
  std::vector<TPage> pages;
  QXmlStreamReader xml(Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) {
      continue;
    }
    if (xml.name() == QLatin1String("page")) {
      pages.push_back({QSizeF(Attribute(xml, "width"), Attribute(xml, "height")), {}});
    } else if (xml.name() == QLatin1String("word") && !pages.empty()) {
      const QPointF topLeft(Attribute(xml, "xMin"), Attribute(xml, "yMin"));
      const QPointF bottomRight(Attribute(xml, "xMax"), Attribute(xml, "yMax"));
      pages.back().Words.push_back({xml.readElementText(), QRectF(topLeft, bottomRight)});
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return pages;
}

std::vector<std::pair<TWord, TWord>> Overprints(const TPage& page) {
  // The printed font's line runs 0.75 of its size above the baseline and
  // 0.25 below, inside the box by 0.2 and 0.1 of the size.
  const double size = CommonFontSize(page);
  const double top = size * 0.2;
  const double bottom = size * 0.1;
  // Rounding of the layout and of the box.
  constexpr double kTolerance = 0.5;
  const auto line = [&](const TWord& word) { return word.Box.adjusted(top, top, -bottom, -bottom); };
  std::vector<std::pair<TWord, TWord>> overprints;
  for (size_t i = 0; i < page.Words.size(); ++i) {
    const QRectF a = line(page.Words[i]);
    for (size_t j = i + 1; j < page.Words.size(); ++j) {
      const QRectF b = line(page.Words[j]);
      // A mark narrower than the inset (a full stop) has no line to judge by.
      if (!a.isValid() || !b.isValid()) {
        continue;
      }
      const QRectF both = a.intersected(b);
      if (both.width() > kTolerance && both.height() > kTolerance) {
        overprints.emplace_back(page.Words[i], page.Words[j]);
      }
    }
  }
  return overprints;
}

}  // namespace testing_pdf
