#pragma once

#include <QString>
#include <QStringList>

#include "platform/core/exception.h"

// Raised when a write cannot reach the file: "Unable to write to %s: %s",
// the file's path and the system's reason ("No space left on device").
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

// An INI file with the semantics the settings files were designed around:
//
// - "[name]" starts a section; "key=value" is a value line. Names and values
//   are trimmed of blanks, and section and key names match without regard to
//   letter case (Cyrillic included). A value may contain "="; the key is the
//   text before the first one. Lines starting with ";" and lines without "="
//   are kept in the file but are no keys. When a section or a key appears
//   twice, the first one counts, for reading and for writing.
// - Nothing is cached: every read reads the file and every write reads it,
//   changes it and writes it back at once, so several objects on one file
//   never lose each other's keys. An existing key gets its new value on its
//   own line, spelled as the file spells it; a new key goes after the last
//   key of its section, a new section at the end of the file; the file is
//   created at the first write (its folder must exist). Every other byte of
//   the file stays as it was, and a write that would change nothing leaves
//   the file untouched.
// - The file is Windows-1251 as long as every character fits the code page,
//   so such a file keeps its bytes. A write of a text the code page cannot
//   hold (Kazakh or Georgian letters, emoji) writes the whole file in UTF-8
//   with a byte-order mark, and a file with that mark is read, and written
//   from then on, as UTF-8. A line break inside a written value becomes a
//   blank, so the value stays on its line. A value is read back trimmed and cut to 2047
//   characters, so blanks around a written value are not kept.
// - A file that does not exist or cannot be read reads as empty. A write that
//   cannot read the existing file, or cannot replace it, raises
//   EIniFileException and leaves the file as it was.
//
// Names holding "=", "]" or a line break cannot be read back; the callers use
// fixed names.
class TIniFile {
 public:
  explicit TIniFile(QString fileName);

  const QString& FileName() const { return FFileName; }

  QString ReadString(const QString& section, const QString& ident, const QString& defaultValue) const;
  // Decimal, with an optional sign; a text of more than two characters that
  // starts with "0x" or "0X" is hexadecimal (up to 32 bits, the top bit
  // making it negative). Any other text, or a number out of range, gives the
  // default.
  int ReadInteger(const QString& section, const QString& ident, int defaultValue) const;
  // An integer (as ReadInteger reads it) other than 0.
  bool ReadBool(const QString& section, const QString& ident, bool defaultValue) const;

  void WriteString(const QString& section, const QString& ident, const QString& value);
  void WriteInteger(const QString& section, const QString& ident, int value);
  // "1" or "0".
  void WriteBool(const QString& section, const QString& ident, bool value);

  // The key names of a section in file order, as the file spells them; a
  // duplicated key once, at its first place. Empty for a missing section.
  QStringList ReadSection(const QString& section) const;
  // "key=value" for each key of ReadSection, with the value ReadString gives.
  QStringList ReadSectionValues(const QString& section) const;
  // The section names in file order, a duplicated section once.
  QStringList ReadSections() const;

  // Kept for the callers that flush before releasing the object; there is
  // nothing to flush, every write has already reached the file.
  void UpdateFile() noexcept {}

 private:
  QString FFileName;
};

// Holds every write to one file, through any TIniFile object on it, for as
// long as it lives; Commit then gives the file, in one write, the contents
// the writes one by one would have given it. So a save of many keys costs
// one write to the disk, and objects on the same file (the language key's
// and the window's) still never lose each other's keys. Reads see the writes
// held. A batch on a file that already has one joins it, and only the first
// one's Commit writes. Ended without Commit (an error on the way), it drops
// the writes it held.
class TIniFileBatch {
 public:
  explicit TIniFileBatch(const QString& fileName);
  ~TIniFileBatch();
  TIniFileBatch(const TIniFileBatch&) = delete;
  TIniFileBatch& operator=(const TIniFileBatch&) = delete;

  // Raises EIniFileException as a write would: the file cannot be read, or
  // cannot be replaced; it is then left as it was.
  void Commit();

 private:
  QString FFileName;
};

// The integer rule of ReadInteger, on a text already trimmed.
int IniStrToIntDef(const QString& text, int defaultValue);
