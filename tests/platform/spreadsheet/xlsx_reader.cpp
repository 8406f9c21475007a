#include "tests/platform/spreadsheet/xlsx_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QFile>
#include <pugixml.hpp>

namespace xlsx_reader {
namespace {

quint32 U32(const QByteArray& data, qsizetype at) {
  if (at < 0 || at + 4 > data.size()) {
    return 0;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
  return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 U16(const QByteArray& data, qsizetype at) {
  if (at < 0 || at + 2 > data.size()) {
    return 0;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
  return quint16(p[0] | p[1] << 8);
}

QByteArray Inflate(const QByteArray& raw, qsizetype size) {
  QByteArray out(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
    return {};
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
  stream.avail_in = static_cast<uInt>(raw.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  inflateEnd(&stream);
  return result == Z_STREAM_END ? out : QByteArray();
}

// A number attribute as the file format writes it, with a decimal point
// whatever the reader's locale (pugixml's as_double reads with strtod, which
// would take "7,7" under a decimal comma and stop at the point of "7.7").
// Anything else fails the test.
double Number(const pugi::xml_attribute& attribute, double absent) {
  if (!attribute) {
    return absent;
  }
  bool ok = false;
  const double value = QByteArray(attribute.value()).toDouble(&ok);
  EXPECT_TRUE(ok) << attribute.name() << "=\"" << attribute.value() << "\" is no number of the file format";
  return value;
}

// Every entry of a zip archive, by name, from its central directory.
QMap<QString, QByteArray> Unzip(const QByteArray& zip) {
  QMap<QString, QByteArray> parts;
  qsizetype end = zip.size() - 22;
  while (end >= 0 && U32(zip, end) != 0x06054b50) {
    --end;
  }
  if (end < 0) {
    return parts;
  }
  const int count = U16(zip, end + 10);
  qsizetype at = U32(zip, end + 16);
  for (int i = 0; i < count && U32(zip, at) == 0x02014b50; ++i) {
    const int method = U16(zip, at + 10);
    const qsizetype packed = U32(zip, at + 20);
    const qsizetype size = U32(zip, at + 24);
    const int nameLength = U16(zip, at + 28);
    const int extra = U16(zip, at + 30);
    const int comment = U16(zip, at + 32);
    const qsizetype local = U32(zip, at + 42);
    const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
    const qsizetype data = local + 30 + U16(zip, local + 26) + U16(zip, local + 28);
    const QByteArray raw = zip.mid(data, packed);
    parts.insert(name, method == 0 ? raw : Inflate(raw, size));
    at += 46 + nameLength + extra + comment;
  }
  return parts;
}

pugi::xml_document Parse(const QByteArray& xml) {
  pugi::xml_document doc;
  doc.load_buffer(xml.constData(), static_cast<size_t>(xml.size()));
  return doc;
}

QString Text(const pugi::xml_node& node) {
  return QString::fromUtf8(node.text().get());
}
QString Attr(const pugi::xml_node& node, const char* name) {
  return QString::fromUtf8(node.attribute(name).value());
}

}  // namespace

TBook::TBook(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot open " << path.toStdString();
    return;
  }
  FParts = Unzip(file.readAll());
  if (!FParts.contains(QStringLiteral("xl/workbook.xml"))) {
    ADD_FAILURE() << path.toStdString() << " is no .xlsx file";
    return;
  }
  const auto rels = Parse(FParts.value(QStringLiteral("xl/_rels/workbook.xml.rels")));
  QMap<QString, QString> targets;
  for (const auto& rel : rels.child("Relationships").children("Relationship")) {
    targets.insert(Attr(rel, "Id"), QStringLiteral("xl/") + Attr(rel, "Target"));
  }
  const auto book = Parse(FParts.value(QStringLiteral("xl/workbook.xml")));
  for (const auto& sheet : book.child("workbook").child("sheets").children("sheet")) {
    FSheetNames << Attr(sheet, "name");
    FSheetParts << targets.value(Attr(sheet, "r:id"));
  }
  FActiveTab =
      book.child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_int();
  const auto strings = Parse(FParts.value(QStringLiteral("xl/sharedStrings.xml")));
  for (const auto& si : strings.child("sst").children("si")) {
    FSharedStrings << Text(si.child("t"));
  }
}

QString TBook::ActiveSheetName() const {
  return FSheetNames.value(FActiveTab);
}

QByteArray TBook::SheetXml(const QString& sheet) const {
  const qsizetype index = FSheetNames.indexOf(sheet);
  if (index < 0) {
    ADD_FAILURE() << "no sheet " << sheet.toStdString();
    return {};
  }
  return FParts.value(FSheetParts[index]);
}

std::optional<TCellContent> TBook::Cell(const QString& sheet, const QString& a1) const {
  const auto doc = Parse(SheetXml(sheet));
  const auto cell = doc.child("worksheet").child("sheetData").find_node([&](const pugi::xml_node& node) {
    return QByteArrayView(node.name()) == "c" && Attr(node, "r") == a1;
  });
  if (!cell) {
    return std::nullopt;
  }
  TCellContent content;
  content.Type = Attr(cell, "t");
  content.Formula = Text(cell.child("f"));
  content.Text =
      content.Type == u"s" ? FSharedStrings.value(Text(cell.child("v")).toInt()) : Text(cell.child("v"));
  return content;
}

TCellStyle TBook::Style(const QString& sheet, const QString& a1) const {
  TCellStyle style;
  const auto doc = Parse(SheetXml(sheet));
  const auto cell = doc.child("worksheet").child("sheetData").find_node([&](const pugi::xml_node& node) {
    return QByteArrayView(node.name()) == "c" && Attr(node, "r") == a1;
  });
  const int xfIndex = cell.attribute("s").as_int();
  const auto styles = Parse(FParts.value(QStringLiteral("xl/styles.xml")));
  const auto sheetStyles = styles.child("styleSheet");
  pugi::xml_node xf;
  int i = 0;
  for (const auto& node : sheetStyles.child("cellXfs").children("xf")) {
    if (i++ == xfIndex) {
      xf = node;
    }
  }
  const auto alignment = xf.child("alignment");
  style.Horizontal = Attr(alignment, "horizontal");
  style.Vertical = Attr(alignment, "vertical");
  style.Wrap = alignment.attribute("wrapText").as_bool();
  style.Shrink = alignment.attribute("shrinkToFit").as_bool();
  style.Rotation = alignment.attribute("textRotation").as_int();
  const int borderIndex = xf.attribute("borderId").as_int();
  i = 0;
  for (const auto& border : sheetStyles.child("borders").children("border")) {
    if (i++ == borderIndex) {
      style.Left = Attr(border.child("left"), "style");
      style.Top = Attr(border.child("top"), "style");
      style.Bottom = Attr(border.child("bottom"), "style");
      style.Right = Attr(border.child("right"), "style");
    }
  }
  return style;
}

QStringList TBook::Merges(const QString& sheet) const {
  QStringList merges;
  const auto doc = Parse(SheetXml(sheet));
  for (const auto& merge : doc.child("worksheet").child("mergeCells").children("mergeCell")) {
    merges << Attr(merge, "ref");
  }
  return merges;
}

std::optional<double> TBook::ColumnWidth(const QString& sheet, int column) const {
  const auto doc = Parse(SheetXml(sheet));
  for (const auto& col : doc.child("worksheet").child("cols").children("col")) {
    if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int()) {
      return Number(col.attribute("width"), 0);
    }
  }
  return std::nullopt;
}

std::optional<double> TBook::RowHeight(const QString& sheet, int row) const {
  const auto doc = Parse(SheetXml(sheet));
  for (const auto& r : doc.child("worksheet").child("sheetData").children("row")) {
    if (r.attribute("r").as_int() == row && r.attribute("ht")) {
      return Number(r.attribute("ht"), 0);
    }
  }
  return std::nullopt;
}

TPage TBook::Page(const QString& sheet) const {
  TPage page;
  const auto doc = Parse(SheetXml(sheet));
  const auto ws = doc.child("worksheet");
  const auto setup = ws.child("pageSetup");
  page.Orientation = Attr(setup, "orientation");
  page.FitToWidth = setup.attribute("fitToWidth").as_int(1);
  page.FitToHeight = setup.attribute("fitToHeight").as_int(1);
  page.FitToPage = ws.child("sheetPr").child("pageSetUpPr").attribute("fitToPage").as_bool();
  const auto margins = ws.child("pageMargins");
  page.Left = Number(margins.attribute("left"), -1);
  page.Right = Number(margins.attribute("right"), -1);
  page.Top = Number(margins.attribute("top"), -1);
  page.Bottom = Number(margins.attribute("bottom"), -1);
  page.Footer = Text(ws.child("headerFooter").child("oddFooter"));
  return page;
}

std::vector<int> TBook::RowBreaks(const QString& sheet) const {
  std::vector<int> rows;
  const auto doc = Parse(SheetXml(sheet));
  // A break's id is the last row of the page before it.
  for (const auto& brk : doc.child("worksheet").child("rowBreaks").children("brk")) {
    rows.push_back(brk.attribute("id").as_int() + 1);
  }
  return rows;
}

QString TBook::PrintArea(const QString& sheet) const {
  const auto book = Parse(FParts.value(QStringLiteral("xl/workbook.xml")));
  const int index = static_cast<int>(FSheetNames.indexOf(sheet));
  for (const auto& name : book.child("workbook").child("definedNames").children("definedName")) {
    if (Attr(name, "name") == QLatin1String("_xlnm.Print_Area") &&
        name.attribute("localSheetId").as_int(-1) == index) {
      return Text(name).section(u'!', 1);
    }
  }
  return {};
}

QString TBook::Property(const QString& name) const {
  const auto doc = Parse(FParts.value(QStringLiteral("docProps/core.xml")));
  return Text(doc.child("cp:coreProperties").child(name.toUtf8().constData()));
}

}  // namespace xlsx_reader
