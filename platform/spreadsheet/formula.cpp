#include "platform/spreadsheet/formula.h"

#include <QLocale>
#include <cmath>
#include <set>

#include "platform/spreadsheet/workbook_model.h"

namespace spreadsheet {
namespace {

// Where the parser gets the values of references.
class TLookup {
 public:
  virtual ~TLookup() = default;
  // A reference as an operand of + - * /.
  virtual std::optional<double> Cell(TCellAddress address) = 0;
  // A reference or a range inside SUM; false when a formula in it fails.
  virtual bool AddToSum(const TCellRange& range, double& sum) = 0;
};

class TParser {
 public:
  TParser(QStringView text, TLookup& lookup) : FText(text), FLookup(lookup) {}

  std::optional<double> Run() {
    if (!Accept(u'=')) {
      return std::nullopt;
    }
    const auto value = Expression();
    SkipBlanks();
    if (!value || FPos != FText.size() || !std::isfinite(*value)) {
      return std::nullopt;
    }
    return value;
  }

 private:
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

  bool Peek(char16_t c) {
    SkipBlanks();
    return FPos < FText.size() && FText[FPos] == c;
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
    return cell ? FLookup.Cell(*cell) : std::nullopt;
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
      const auto first = ParseCellName(Word());
      std::optional<TCellRange> range;
      if (first && Accept(u':')) {
        SkipBlanks();
        const auto last = ParseCellName(Word());
        if (!last) {
          return std::nullopt;
        }
        range = SpanOf(*first, *last);
      } else if (first && (Peek(u',') || Peek(u';') || Peek(u')'))) {
        range = TCellRange{*first, *first};
      }
      if (range) {
        if (!FLookup.AddToSum(*range, sum)) {
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

  QStringView FText;
  TLookup& FLookup;
  qsizetype FPos = 0;
};

// Notes what a formula refers to. Every reference reads as 1, so that no
// part of the formula is skipped for a failure on the way.
class TReferences : public TLookup {
 public:
  std::optional<double> Cell(TCellAddress address) override {
    Ranges.push_back({address, address});
    return 1.0;
  }
  bool AddToSum(const TCellRange& range, double&) override {
    Ranges.push_back(range);
    return true;
  }
  std::vector<TCellRange> Ranges;
};

// Reads constants from the sheet and formula cells from the results already
// computed.
class TValues : public TLookup {
 public:
  TValues(const TWorksheet& sheet, const std::map<TCellAddress, std::optional<double>>& results)
      : FSheet(sheet), FResults(results) {}

  std::optional<double> Cell(TCellAddress address) override {
    const TCell* cell = FSheet.FindCell(address);
    if (!cell) {
      return 0.0;
    }
    if (cell->HasFormula()) {
      return Result(address);
    }
    if (const auto* number = std::get_if<double>(&cell->Value)) {
      return *number;
    }
    if (const auto* flag = std::get_if<bool>(&cell->Value)) {
      return *flag ? 1.0 : 0.0;
    }
    if (const auto* text = std::get_if<QString>(&cell->Value)) {
      const TTypedInput typed = ParseTypedInput(*text);
      if (const auto* number = std::get_if<double>(&typed.Value)) {
        return *number;
      }
      return std::nullopt;
    }
    return 0.0;
  }

  bool AddToSum(const TCellRange& range, double& sum) override {
    for (const auto& [address, cell] : FSheet.Cells()) {
      if (!range.Contains(address)) {
        continue;
      }
      if (cell.HasFormula()) {
        const auto value = Result(address);
        if (!value) {
          return false;
        }
        sum += *value;
      } else if (const auto* number = std::get_if<double>(&cell.Value)) {
        sum += *number;
      }
    }
    return true;
  }

 private:
  std::optional<double> Result(TCellAddress address) const {
    const auto it = FResults.find(address);
    return it == FResults.end() ? std::nullopt : it->second;
  }

  const TWorksheet& FSheet;
  const std::map<TCellAddress, std::optional<double>>& FResults;
};

}  // namespace

void TFormulaEvaluator::Resolve(QStringView formula) {
  // Formula cells still to compute, with the ones they need above them: a
  // cell is computed once everything above it is, so no chain recurses.
  std::vector<TCellAddress> stack;
  std::set<TCellAddress> expanded;
  auto pending = [&](QStringView text) {
    TReferences references;
    TParser(text, references).Run();
    std::vector<TCellAddress> cells;
    for (const auto& range : references.Ranges) {
      if (range.IsSingleCell()) {
        const TCell* cell = FSheet.FindCell(range.First);
        if (cell && cell->HasFormula() && !FResults.contains(range.First)) {
          cells.push_back(range.First);
        }
        continue;
      }
      for (const auto& [address, cell] : FSheet.Cells()) {
        if (range.Contains(address) && cell.HasFormula() && !FResults.contains(address)) {
          cells.push_back(address);
        }
      }
    }
    return cells;
  };
  stack = pending(formula);
  while (!stack.empty()) {
    const TCellAddress address = stack.back();
    if (FResults.contains(address)) {
      stack.pop_back();
      continue;
    }
    const QString& text = FSheet.FindCell(address)->Formula;
    if (expanded.insert(address).second) {
      const auto needed = pending(text);
      // A cell that was expanded but has no result yet is below this one on
      // the stack, waiting for it: a circle.
      const bool circular = std::any_of(needed.begin(), needed.end(),
                                        [&](TCellAddress cell) { return expanded.contains(cell); });
      if (circular) {
        FResults[address] = std::nullopt;
        stack.pop_back();
        continue;
      }
      if (!needed.empty()) {
        stack.insert(stack.end(), needed.begin(), needed.end());
        continue;
      }
    }
    TValues values(FSheet, FResults);
    FResults[address] = TParser(text, values).Run();
    stack.pop_back();
  }
}

std::optional<double> TFormulaEvaluator::Evaluate(QStringView formula) {
  Resolve(formula);
  TValues values(FSheet, FResults);
  return TParser(formula, values).Run();
}

std::optional<double> EvaluateFormula(const TWorksheet& sheet, QStringView formula) {
  return TFormulaEvaluator(sheet).Evaluate(formula);
}

}  // namespace spreadsheet
