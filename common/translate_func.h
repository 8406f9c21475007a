#pragma once

#include <QString>
#include <functional>

// The translation callback of the whole program: given a Russian text and an
// English text, returns the one of the interface language in force at the
// moment of the call. The main window implements it; the stream frames and
// the protocol builder hold it.
using TTranslateFunc = std::function<QString(const QString& russian, const QString& english)>;
