#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

// Every error the program shows to the user travels as an Exception carrying
// the exact text of the message box. The silent abort (EAbort) ends the
// current user action and is never shown.
class Exception : public std::exception {
 public:
  explicit Exception(QString message);
  const QString& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FUtf8.constData(); }

 private:
  QString FMessage;
  QByteArray FUtf8;
};

class EAbort : public Exception {
 public:
  EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// Raises the silent abort.
[[noreturn]] void Abort();

// Errors of the table layer: always prefixed with the table's name and ": ".
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// A text that a field cannot take (not a number, not a date, ...).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};
