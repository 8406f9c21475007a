#pragma once

#include <QString>
#include <memory>
#include <variant>
#include <vector>

#include "platform/core/exception.h"

// Late-bound automation of a spreadsheet application. Every call names a
// member (property or method) of an automation object at run time, with the
// invocation kind and the arguments in order, the way the printing code has
// always driven the spreadsheet. The application behind it is a back end of
// our own (an in-memory workbook written as .xlsx, printed through
// LibreOffice); tests put a recording double in its place.

class IAutomationObject;
using TAutomationRef = std::shared_ptr<IAutomationObject>;

// The automation "Null" variant (distinct from an empty variant).
struct TAutomationNull {
  bool operator==(const TAutomationNull&) const = default;
};

// An argument or a result: empty, Null, a 32-bit integer, a Boolean, a double,
// a text, or an automation object.
using TAutomationValue = std::variant<std::monostate, TAutomationNull, int, bool, double, QString, TAutomationRef>;

enum class TInvokeKind { Method, PropertyGet, PropertyPut };

// A refusal of the application (the application's own error text).
class EOleException : public Exception {
 public:
  using Exception::Exception;
};

// A failing result of the automation library itself (no such application,
// no running instance, a member the object does not have).
class EOleSysError : public Exception {
 public:
  using Exception::Exception;
};

class IAutomationObject {
 public:
  virtual ~IAutomationObject() = default;
  // Member names are matched without regard to letter case, as the
  // automation library does. A property put passes the new value as the last
  // argument. Raises EOleException or EOleSysError.
  virtual TAutomationValue Invoke(const QString& member, TInvokeKind kind,
                                  const std::vector<TAutomationValue>& args) = 0;
};

// How the application is reached: a new instance, or the running one.
class IAutomationServer {
 public:
  virtual ~IAutomationServer() = default;
  // CoCreateInstance: a new instance of the application ("Excel.Application").
  virtual TAutomationRef CreateInstance(const QString& progId) = 0;
  // GetActiveObject: the running instance; raises EOleSysError when none runs.
  virtual TAutomationRef GetActiveObject(const QString& progId) = 0;
};

// The server the printing code uses. By default the program's own back end;
// tests install a double (and must put the previous one back).
IAutomationServer& AutomationServer();
// Returns the previous server. Null restores the default.
IAutomationServer* SetAutomationServer(IAutomationServer* server);

// A variant that holds an automation object, with the four calls of classic
// late binding. Empty until assigned.
class TOleVariant {
 public:
  TOleVariant() = default;
  TOleVariant(TAutomationRef object) : FObject(std::move(object)) {}  // NOLINT: implicit on purpose

  bool IsEmpty() const { return !FObject; }
  void Clear() { FObject.reset(); }
  const TAutomationRef& Object() const { return FObject; }

  // A property get whose result is an object (WorkSheets[i], Cells[r, c], ...).
  TOleVariant OlePropertyGet(const QString& member, const std::vector<TAutomationValue>& args = {}) const;
  // A property get whose result is a value (Count).
  TAutomationValue OlePropertyGetValue(const QString& member, const std::vector<TAutomationValue>& args = {}) const;
  // A property put; the value goes last.
  void OlePropertySet(const QString& member, const TAutomationValue& value) const;
  void OlePropertySet(const QString& member, std::vector<TAutomationValue> args, const TAutomationValue& value) const;
  // A method call whose result is an object (Workbooks, Add, ActiveSheet, ...).
  TOleVariant OleObjectFunction(const QString& member, const std::vector<TAutomationValue>& args = {}) const;
  // A method call with or without a result.
  TAutomationValue OleFunction(const QString& member, const std::vector<TAutomationValue>& args = {}) const;
  void OleProcedure(const QString& member, const std::vector<TAutomationValue>& args = {}) const;

 private:
  TAutomationRef FObject;
};
