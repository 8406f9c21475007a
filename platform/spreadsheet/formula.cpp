#include "platform/spreadsheet/formula.h"

#include <QLocale>
#include <cmath>
#include <set>

#include "platform/spreadsheet/workbook_model.h"

namespace spreadsheet {
namespace {

// Deep chains of references (a running total down a long sheet) recurse once
// per cell; this keeps a pathological sheet from exhausting the stack.
constexpr int MaxDepth = 4000;

class TEvaluator {
 public:
  TEvaluator(const TWorksheet& sheet, std::set<TCellAddress>& visiting, int depth)
      : FSheet(sheet), FVisiting(visiting), FDepth(depth) {}

  std::optional<double> Run(QStringView text) {
    FText = text;
    FPos = 0;
    if (!Accept(u'=')) {
      return std::nullopt;
    }
    const auto value = Expression();
    SkipBlanks();
    if (!value || FPos != FText.size()) {
      return std::nullopt;
    }
    return value;
  }

  // The value of a cell as an operand of + - * /.
  std::optional<double> CellNumber(TCellAddress address) {
    const TCell* cell = FSheet.FindCell(address);
    if (!cell) {
      return 0.0;
    }
    if (cell->HasFormula()) {
      return CellFormula(address, *cell);
    }
    if (const auto* number = std::get_if<double>(&cell->Value)) {
      return *number;
    }
    if (const auto* flag = std::get_if<bool>(&cell->Value)) {
      return *flag ? 1.0 : 0.0;
    }
    if (const auto* text = std::get_if<QString>(&cell->Value)) {
      const TTypedInput typed = ParseTypedInput(*text);
      if (const auto* number = std::get_if<double>(&typed.Value); number && typed.Formula.isEmpty()) {
        return *number;
      }
      return std::nullopt;
    }
    return 0.0;
  }

 private:
  std::optional<double> CellFormula(TCellAddress address, const TCell& cell) {
    if (FDepth >= MaxDepth || !FVisiting.insert(address).second) {
      return std::nullopt;
    }
    TEvaluator inner(FSheet, FVisiting, FDepth + 1);
    const auto value = inner.Run(cell.Formula);
    FVisiting.erase(address);
    return value;
  }

  // What a cell adds to a SUM: nothing for texts and Booleans, a failure for
  // a failing formula.
  bool AddToSum(TCellAddress address, double& sum) {
    const TCell* cell = FSheet.FindCell(address);
    if (!cell) {
      return true;
    }
    if (cell->HasFormula()) {
      const auto value = CellFormula(address, *cell);
      if (!value) {
        return false;
      }
      sum += *value;
    } else if (const auto* number = std::get_if<double>(&cell->Value)) {
      sum += *number;
    }
    return true;
  }

  void SkipBlanks() {
    while (FPos < FText.size() && FText[FPos].isSpace()) {
      ++FPos;
    }
  }

  bool Accept(char16_t c) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == c) {
      ++FPos;
      return true;
    }
    return false;
  }

  std::optional<double> Expression() {
    auto value = Term();
    while (value) {
      if (Accept(u'+')) {
        const auto right = Term();
        value = right ? std::optional(*value + *right) : std::nullopt;
      } else if (Accept(u'-')) {
        const auto right = Term();
        value = right ? std::optional(*value - *right) : std::nullopt;
      } else {
        break;
      }
    }
    return value;
  }

  std::optional<double> Term() {
    auto value = Factor();
    while (value) {
      if (Accept(u'*')) {
        const auto right = Factor();
        value = right ? std::optional(*value * *right) : std::nullopt;
      } else if (Accept(u'/')) {
        const auto right = Factor();
        value = right && *right != 0 ? std::optional(*value / *right) : std::nullopt;
      } else {
        break;
      }
    }
    return value;
  }

  std::optional<double> Factor() {
    if (Accept(u'-')) {
      const auto value = Factor();
      return value ? std::optional(-*value) : std::nullopt;
    }
    if (Accept(u'+')) {
      return Factor();
    }
    return Primary();
  }

  std::optional<double> Primary() {
    SkipBlanks();
    if (Accept(u'(')) {
      const auto value = Expression();
      return value && Accept(u')') ? value : std::nullopt;
    }
    if (FPos < FText.size() && (FText[FPos].isDigit() || FText[FPos] == u'.')) {
      return Number();
    }
    const QStringView word = Word();
    if (word.isEmpty()) {
      return std::nullopt;
    }
    if (Accept(u'(')) {
      return word.compare(u"SUM", Qt::CaseInsensitive) == 0 ? SumArguments() : std::nullopt;
    }
    const auto cell = ParseCellName(word);
    return cell ? CellNumber(*cell) : std::nullopt;
  }

  std::optional<double> Number() {
    const qsizetype start = FPos;
    while (FPos < FText.size() && (FText[FPos].isDigit() || FText[FPos] == u'.')) {
      ++FPos;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(FText.mid(start, FPos - start), &ok);
    return ok ? std::optional(value) : std::nullopt;
  }

  // A name or a cell reference: letters, digits and "$".
  QStringView Word() {
    const qsizetype start = FPos;
    while (FPos < FText.size() &&
           ((FText[FPos].unicode() < 128 && FText[FPos].isLetterOrNumber()) || FText[FPos] == u'$')) {
      ++FPos;
    }
    return FText.mid(start, FPos - start);
  }

  // After "SUM(": arguments up to the closing parenthesis.
  std::optional<double> SumArguments() {
    double sum = 0;
    if (Accept(u')')) {
      return sum;
    }
    do {
      SkipBlanks();
      const qsizetype start = FPos;
      const QStringView first = Word();
      const auto firstCell = ParseCellName(first);
      if (firstCell && Accept(u':')) {
        SkipBlanks();
        const auto lastCell = ParseCellName(Word());
        if (!lastCell) {
          return std::nullopt;
        }
        const TCellRange range = SpanOf(*firstCell, *lastCell);
        for (const auto& [address, cell] : FSheet.Cells()) {
          if (range.Contains(address) && !AddToSum(address, sum)) {
            return std::nullopt;
          }
        }
      } else if (firstCell && (PeekSeparator() || PeekClose())) {
        if (!AddToSum(*firstCell, sum)) {
          return std::nullopt;
        }
      } else {
        // Any other argument is an expression of its own.
        FPos = start;
        const auto value = Expression();
        if (!value) {
          return std::nullopt;
        }
        sum += *value;
      }
    } while (Accept(u',') || Accept(u';'));
    return Accept(u')') ? std::optional(sum) : std::nullopt;
  }

  bool PeekSeparator() {
    SkipBlanks();
    return FPos < FText.size() && (FText[FPos] == u',' || FText[FPos] == u';');
  }
  bool PeekClose() {
    SkipBlanks();
    return FPos < FText.size() && FText[FPos] == u')';
  }

  const TWorksheet& FSheet;
  std::set<TCellAddress>& FVisiting;
  int FDepth;
  QStringView FText;
  qsizetype FPos = 0;
};

}  // namespace

std::optional<double> EvaluateFormula(const TWorksheet& sheet, QStringView formula) {
  std::set<TCellAddress> visiting;
  TEvaluator evaluator(sheet, visiting, 0);
  const auto value = evaluator.Run(formula);
  if (value && !std::isfinite(*value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace spreadsheet
