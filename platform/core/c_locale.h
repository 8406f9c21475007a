#pragma once

#include <locale.h>

// While it lives, the calling thread works in the C locale: it writes and
// reads numbers in the form file formats require ("67.8"), whatever the
// process's locale says. Qt sets the process's locale from the environment
// at start-up, so under a Russian or German desktop the C library's printf
// and strtod use a decimal comma; a library that formats numbers with them
// (the .xlsx writer) is called inside one of these. Only this thread changes,
// and its previous locale comes back when the scope ends, also by an
// exception. Scopes nest.
//
// The whole C locale, not its numbers alone: a locale made of the thread's
// own with C numbers would have the C library look the thread's locale up
// again, and where LOCPATH is set it loses a little memory on every such
// lookup. File formats want nothing of the user's locale either.
class TCLocale {
 public:
  TCLocale();
  ~TCLocale();
  TCLocale(const TCLocale&) = delete;
  TCLocale& operator=(const TCLocale&) = delete;

 private:
  locale_t FLocale = nullptr;
  locale_t FPrevious = nullptr;
};
