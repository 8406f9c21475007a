#pragma once

#include <locale.h>

// While it lives, the calling thread writes and reads numbers in the C
// locale's form ("67.8"), whatever the process's locale says: the form that
// file formats require. Qt sets the process's locale from the environment at
// start-up, so under a Russian or German desktop the C library's printf and
// strtod use a decimal comma; a library that formats numbers with them (the
// .xlsx writer) is called inside one of these. Only the numeric category
// changes, only for this thread, and the thread's previous locale comes back
// when the scope ends, also by an exception. Scopes nest.
class TCNumericLocale {
 public:
  TCNumericLocale();
  ~TCNumericLocale();
  TCNumericLocale(const TCNumericLocale&) = delete;
  TCNumericLocale& operator=(const TCNumericLocale&) = delete;

 private:
  locale_t FLocale = nullptr;
  locale_t FPrevious = nullptr;
};
