#include "platform/core/exception.h"

#include <utility>

Exception::Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

void Abort() { throw EAbort(); }
