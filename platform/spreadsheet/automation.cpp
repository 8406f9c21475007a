#include "platform/spreadsheet/automation.h"

namespace {

const TAutomationRef& Require(const TAutomationRef& object, const QString& member) {
  if (!object) {
    throw EOleSysError(QStringLiteral("Variant does not reference an automation object (%1)").arg(member));
  }
  return object;
}

TAutomationRef AsObject(const TAutomationValue& value, const QString& member) {
  if (const auto* ref = std::get_if<TAutomationRef>(&value)) {
    return *ref;
  }
  throw EOleSysError(QStringLiteral("Member %1 did not return an automation object").arg(member));
}

}  // namespace

TOleVariant TOleVariant::OlePropertyGet(const QString& member, const std::vector<TAutomationValue>& args) const {
  return TOleVariant(AsObject(Require(FObject, member)->Invoke(member, TInvokeKind::PropertyGet, args), member));
}

TAutomationValue TOleVariant::OlePropertyGetValue(const QString& member,
                                                  const std::vector<TAutomationValue>& args) const {
  return Require(FObject, member)->Invoke(member, TInvokeKind::PropertyGet, args);
}

void TOleVariant::OlePropertySet(const QString& member, const TAutomationValue& value) const {
  Require(FObject, member)->Invoke(member, TInvokeKind::PropertyPut, {value});
}

void TOleVariant::OlePropertySet(const QString& member, std::vector<TAutomationValue> args,
                                 const TAutomationValue& value) const {
  args.push_back(value);
  Require(FObject, member)->Invoke(member, TInvokeKind::PropertyPut, args);
}

TAutomationValue TOleVariant::OleFunction(const QString& member, const std::vector<TAutomationValue>& args) const {
  return Require(FObject, member)->Invoke(member, TInvokeKind::Method, args);
}

TOleVariant TOleVariant::OleObjectFunction(const QString& member, const std::vector<TAutomationValue>& args) const {
  return TOleVariant(AsObject(Require(FObject, member)->Invoke(member, TInvokeKind::Method, args), member));
}

void TOleVariant::OleProcedure(const QString& member, const std::vector<TAutomationValue>& args) const {
  Require(FObject, member)->Invoke(member, TInvokeKind::Method, args);
}
