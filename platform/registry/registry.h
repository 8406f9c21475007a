#pragma once

#include <QString>

#include "platform/core/exception.h"

// The two root keys the programs use.
enum class HKEY { CurrentUser, LocalMachine };
inline constexpr HKEY HKEY_CURRENT_USER = HKEY::CurrentUser;
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::LocalMachine;

// The current user's shell folders: "AppData" (the folder the data folder
// lives in) and "desktop".
inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The machine's "ProgramFilesDir", where the installer proposes to install.
inline constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Raised by a write that cannot be done: "Failed to set data for '%s'", and
// when the store's file could not be written, ": " and LastWriteError().
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// The registry store: keys holding text values, under two root keys.
//
// Each root key is one JSON file, HKEY_CURRENT_USER.json and
// HKEY_LOCAL_MACHINE.json, in the folder RegistryRoot() names. A root key
// whose file does not exist yet holds what a fresh system would:
//   HKEY_CURRENT_USER  kShellFoldersKey    "AppData" = the XDG data home,
//                                          "desktop" = the XDG desktop folder
//   HKEY_LOCAL_MACHINE kCurrentVersionKey  "ProgramFilesDir" = ~/.local/opt
// with their parent keys, worked out when the file is read. The first write
// to a root key stores these together with the change; from then on the file
// alone counts.
//
// So a test (or a user) removes the shell folders by deleting the key
// (DeleteKey(kShellFoldersKey)): it then cannot be opened. It sets or empties
// a value with WriteString and removes one with DeleteValue. A store file that
// is not valid JSON of that shape makes the root key read as holding no keys
// at all, and every write to it fail; the file is never overwritten.
//
// Key paths are "\"-separated, always counted from the root key (a leading
// "\" is allowed and changes nothing); key and value names match without
// regard to letter case, and a key keeps the spelling of its first creation.
// Every write re-reads the file, changes it and replaces it atomically, so
// two objects never lose each other's writes.
class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key.
  void SetRootKey(HKEY rootKey);

  // Opens the key for reading and writing; when it is missing and canCreate
  // is set, creates it with its missing parents. False when the key is
  // missing and not created, or cannot be created. Closes the key open
  // before, in every case.
  bool OpenKey(const QString& key, bool canCreate);
  // Opens an existing key for reading only; false when it does not exist.
  bool OpenKeyReadOnly(const QString& key);
  void CloseKey();
  // The open key as stored (empty when none is open).
  const QString& CurrentPath() const { return FCurrentPath; }

  bool KeyExists(const QString& key) const;
  // Values of the open key; with no key open there are none.
  bool ValueExists(const QString& name) const;
  // The empty text when the value does not exist.
  QString ReadString(const QString& name) const;
  // Needs a key opened by OpenKey that still exists, and a store that can be
  // written; otherwise raises ERegistryException.
  void WriteString(const QString& name, const QString& value);
  // False when the open key (opened for writing) has no such value or the
  // store cannot be written.
  bool DeleteValue(const QString& name);
  // Deletes the key and every key under it; false when it does not exist or
  // the store cannot be written.
  bool DeleteKey(const QString& key);

  // Why the store's file could not be written by the last OpenKey,
  // WriteString, DeleteValue or DeleteKey, as 'Cannot create file "<file>".
  // <reason>'; empty when it was written or no write was needed. The
  // operations that answer false say no more themselves.
  const QString& LastWriteError() const { return FLastError; }

 private:
  HKEY FRootKey = HKEY_CURRENT_USER;
  QString FCurrentPath;
  bool FOpen = false;
  bool FWritable = false;
  QString FLastError;
};

// The folder of the store: $TYAZHAR_REGISTRY_ROOT when set and not empty,
// else <XDG config home>/tyazharnet-protocol/registry.
QString RegistryRoot();
