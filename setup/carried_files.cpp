// The carried files, pulled into the installer's read-only data by the
// assembler byte for byte. The paths come from the build and are copies under
// its own tree, so they hold no quotes or backslashes.
#include "setup/carried_files.h"

#include <iterator>

#include "platform/core/exception.h"

#define TYAZHAR_CARRY(symbol, file)                              \
  asm(".pushsection .rodata.tyazhar_carried, \"a\", @progbits\n" \
      ".balign 16\n"                                             \
      ".globl " #symbol                                          \
      "_begin\n"                                                 \
      ".hidden " #symbol "_begin\n" #symbol                      \
      "_begin:\n"                                                \
      ".incbin \"" file                                          \
      "\"\n"                                                     \
      ".globl " #symbol                                          \
      "_end\n"                                                   \
      ".hidden " #symbol "_end\n" #symbol                        \
      "_end:\n"                                                  \
      ".popsection\n");                                          \
  extern "C" const char symbol##_begin[];                        \
  extern "C" const char symbol##_end[]

TYAZHAR_CARRY(tyazhar_carried_program, TYAZHAR_CARRIED_PROGRAM);
TYAZHAR_CARRY(tyazhar_carried_normative, TYAZHAR_CARRIED_NORMATIVE);
TYAZHAR_CARRY(tyazhar_carried_icon, TYAZHAR_CARRIED_ICON);

namespace {

struct TCarriedFile {
  const char* Name;
  const char* Begin;
  const char* End;
};

const TCarriedFile kCarriedFiles[] = {
    {"TYAZHAR", tyazhar_carried_program_begin, tyazhar_carried_program_end},
    {"NORMATIVE", tyazhar_carried_normative_begin, tyazhar_carried_normative_end},
    {"ICON", tyazhar_carried_icon_begin, tyazhar_carried_icon_end},
};

}  // namespace

QByteArrayView FindCarriedFile(const QString& name) {
  for (const TCarriedFile& file : kCarriedFiles) {
    if (name == QLatin1String(file.Name)) {
      return QByteArrayView(file.Begin, file.End - file.Begin);
    }
  }
  throw Exception(
      QStringLiteral("Внутренняя ошибка: в установщике нет ресурса %1. Обратитесь к разработчику.")
          .arg(name));
}
