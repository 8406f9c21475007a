#pragma once

// Inside of the spreadsheet back end: one Invoke with the checks and
// conversions every member makes, and the bases of the objects handed to
// clients. Not for use outside platform/spreadsheet.

#include <QString>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "platform/spreadsheet/spreadsheet_objects.h"

namespace spreadsheet::detail {

inline const QString& DisconnectedText() {
  static const QString text = QStringLiteral("The object invoked has disconnected from its clients.");
  return text;
}

// One Invoke: the member, how it was invoked and its arguments, with the
// checks that every member makes.
class TCall {
 public:
  TCall(const char16_t* className, const QString& member, TInvokeKind kind,
        const std::vector<TAutomationValue>& args)
      : FClass(className), FMember(member), FKind(kind), FArgs(args) {}

  bool Is(QStringView name) const { return FMember.compare(name, Qt::CaseInsensitive) == 0; }
  const QString& Member() const { return FMember; }
  bool IsPut() const { return FKind == TInvokeKind::PropertyPut; }

  // The arguments before the assigned value of a put.
  size_t IndexCount() const { return IsPut() && !FArgs.empty() ? FArgs.size() - 1 : FArgs.size(); }
  // An optional argument that was left out reads as empty.
  const TAutomationValue& Index(size_t i) const {
    static const TAutomationValue absent;
    return i < IndexCount() ? FArgs[i] : absent;
  }

  // A read-write property with `indexes` index arguments: the assigned value
  // for a put, null for a get.
  const TAutomationValue* Assigned(size_t indexes = 0) const {
    if (IsPut() && FArgs.empty()) {
      BadParameterCount();
    }
    if (IndexCount() != indexes) {
      BadParameterCount();
    }
    return IsPut() ? &FArgs.back() : nullptr;
  }
  // A read-only property or a method, with minIndexes to maxIndexes arguments.
  void NotPut(size_t minIndexes = 0, size_t maxIndexes = 0) const {
    if (IsPut()) {
      throw EOleSysError(QStringLiteral("Member not found: %1.%2").arg(QString::fromUtf16(FClass), FMember));
    }
    if (IndexCount() < minIndexes || IndexCount() > maxIndexes) {
      BadParameterCount();
    }
  }

  [[noreturn]] void UnknownName() const {
    throw EOleSysError(QStringLiteral("Unknown name: %1.%2").arg(QString::fromUtf16(FClass), FMember));
  }
  [[noreturn]] void BadParameterCount() const {
    throw EOleException(
        QStringLiteral("Invalid number of parameters: %1.%2").arg(QString::fromUtf16(FClass), FMember));
  }
  [[noreturn]] void TypeMismatch() const {
    throw EOleException(QStringLiteral("Type mismatch: %1.%2").arg(QString::fromUtf16(FClass), FMember));
  }
  // The application's refusal of a value.
  [[noreturn]] void Refuse(const QString& detail = {}) const {
    QString text = QStringLiteral("Unable to %1 the %2 property of the %3 class")
                       .arg(IsPut() ? QStringLiteral("set") : QStringLiteral("get"), FMember,
                            QString::fromUtf16(FClass));
    if (!detail.isEmpty()) {
      text += QStringLiteral(": ") + detail;
    }
    throw EOleException(text);
  }
  [[noreturn]] void Unsupported(const QString& what) const {
    throw EOleException(QStringLiteral("%1.%2: %3").arg(QString::fromUtf16(FClass), FMember, what));
  }

  // Conversions as the automation library makes them between variant types.
  std::optional<double> Number(const TAutomationValue& value) const {
    if (std::holds_alternative<std::monostate>(value)) {
      return 0.0;
    }
    if (const auto* i = std::get_if<int>(&value)) {
      return *i;
    }
    if (const auto* d = std::get_if<double>(&value)) {
      return *d;
    }
    if (const auto* b = std::get_if<bool>(&value)) {
      return *b ? -1.0 : 0.0;
    }
    if (const auto* s = std::get_if<QString>(&value)) {
      // A number in a text reads as it would typed into a cell.
      const TTypedInput typed = ParseTypedInput(*s);
      if (const auto* d = std::get_if<double>(&typed.Value)) {
        return *d;
      }
      return std::nullopt;
    }
    return std::nullopt;
  }
  double ToDouble(const TAutomationValue& value) const {
    const auto number = Number(value);
    if (!number || !std::isfinite(*number)) {
      TypeMismatch();
    }
    return *number;
  }
  int ToInt(const TAutomationValue& value) const {
    // Halves go to the even neighbour, as the library rounds.
    const double rounded = std::nearbyint(ToDouble(value));
    if (rounded < INT_MIN || rounded > INT_MAX) {
      throw EOleException(QStringLiteral("Overflow: %1.%2").arg(QString::fromUtf16(FClass), FMember));
    }
    return static_cast<int>(rounded);
  }
  bool ToBool(const TAutomationValue& value) const {
    if (const auto* b = std::get_if<bool>(&value)) {
      return *b;
    }
    if (const auto* s = std::get_if<QString>(&value)) {
      if (s->compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
      }
      if (s->compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
      }
    }
    return ToDouble(value) != 0;
  }
  QString ToText(const TAutomationValue& value) const {
    if (const auto* s = std::get_if<QString>(&value)) {
      return *s;
    }
    if (std::holds_alternative<std::monostate>(value)) {
      return {};
    }
    if (const auto* i = std::get_if<int>(&value)) {
      return QString::number(*i);
    }
    if (const auto* d = std::get_if<double>(&value)) {
      return QString::number(*d, 'g', 15);
    }
    if (const auto* b = std::get_if<bool>(&value)) {
      return *b ? QStringLiteral("True") : QStringLiteral("False");
    }
    TypeMismatch();
  }
  // An optional argument: given means neither empty nor Null.
  static bool Given(const TAutomationValue& value) {
    return !std::holds_alternative<std::monostate>(value) && !std::holds_alternative<TAutomationNull>(value);
  }

 private:
  const char16_t* FClass;
  const QString& FMember;
  TInvokeKind FKind;
  const std::vector<TAutomationValue>& FArgs;
};

class TObject : public IAutomationObject {
 public:
  explicit TObject(std::shared_ptr<TClientSession> session) : FSession(std::move(session)) {}

  TAutomationValue Invoke(const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) final {
    CheckAlive();
    return Dispatch(TCall(ClassName(), member, kind, args));
  }

  virtual std::shared_ptr<TWorkbook> Book() const { return nullptr; }
  virtual std::shared_ptr<TWorksheet> Sheet() const { return nullptr; }

 protected:
  virtual const char16_t* ClassName() const = 0;
  virtual TAutomationValue Dispatch(const TCall& call) = 0;
  virtual void CheckAlive() const {
    if (FSession->Core().HasEnded()) {
      throw EOleSysError(DisconnectedText());
    }
  }
  TApplicationCore& Core() const { return FSession->Core(); }

  std::shared_ptr<TClientSession> FSession;
};

// An object that belongs to one workbook.
class TBookObject : public TObject {
 public:
  TBookObject(std::shared_ptr<TClientSession> session, std::shared_ptr<TWorkbook> book)
      : TObject(std::move(session)), FBook(std::move(book)) {}
  std::shared_ptr<TWorkbook> Book() const override { return FBook; }

 protected:
  void CheckAlive() const override {
    TObject::CheckAlive();
    if (FBook->IsClosed()) {
      throw EOleSysError(DisconnectedText());
    }
  }
  std::shared_ptr<TWorkbook> FBook;
};

// An object that belongs to one worksheet.
class TSheetObject : public TBookObject {
 public:
  TSheetObject(std::shared_ptr<TClientSession> session, std::shared_ptr<TWorkbook> book,
               std::shared_ptr<TWorksheet> sheet)
      : TBookObject(std::move(session), std::move(book)), FSheet(std::move(sheet)) {}
  std::shared_ptr<TWorksheet> Sheet() const override { return FSheet; }

 protected:
  std::shared_ptr<TWorksheet> FSheet;
};

// The objects one family hands out of another's.
TAutomationRef NewWorkbookObject(const std::shared_ptr<TClientSession>& session,
                                 const std::shared_ptr<TWorkbook>& book);
TAutomationRef NewSheetsObject(const std::shared_ptr<TClientSession>& session,
                               const std::shared_ptr<TWorkbook>& book);
TAutomationRef NewWorksheetObject(const std::shared_ptr<TClientSession>& session,
                                  const std::shared_ptr<TWorkbook>& book,
                                  const std::shared_ptr<TWorksheet>& sheet);
TAutomationRef NewRangeObject(const std::shared_ptr<TClientSession>& session,
                              const std::shared_ptr<TWorkbook>& book,
                              const std::shared_ptr<TWorksheet>& sheet, TCellRange range);
// A worksheet object of ours; null for any other object.
const TObject* AsWorksheetObject(const TAutomationRef& object);
// The cells of a range object of ours on the sheet; none for any other object.
std::optional<TCellRange> RangeObjectCells(const TAutomationRef& object,
                                           const std::shared_ptr<TWorksheet>& sheet);

}  // namespace spreadsheet::detail
