#include "platform/registry/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QStandardPaths>
#include <QStringList>
#include <optional>
#include <utility>

#include "platform/core/atomic_file.h"
#include "platform/core/fmt.h"

namespace {

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringList SplitPath(const QString& path) {
  return path.split(u'\\', Qt::SkipEmptyParts);
}

QString NormalPath(const QString& path) {
  return SplitPath(path).join(u'\\');
}

struct TKey {
  QString path;  // as stored; "" is the root key itself
  QList<std::pair<QString, QString>> values;

  qsizetype FindValue(const QString& name) const {
    for (qsizetype i = 0; i < values.size(); ++i) {
      if (SameName(values[i].first, name)) {
        return i;
      }
    }
    return -1;
  }
};

// One root key, as read from its file.
struct THive {
  QList<TKey> keys;

  qsizetype Find(const QString& path) const {
    const QString normal = NormalPath(path);
    for (qsizetype i = 0; i < keys.size(); ++i) {
      if (SameName(keys[i].path, normal)) {
        return i;
      }
    }
    return -1;
  }

  // Creates the key and its missing parents; a parent that exists lends
  // its spelling to the path of the new key. Returns the key's index.
  qsizetype Create(const QString& path) {
    QString current;
    qsizetype index = Find(QString());
    if (index < 0) {
      keys.append(TKey{});
      index = keys.size() - 1;
    }
    for (const QString& part : SplitPath(path)) {
      const QString wanted = current.isEmpty() ? part : current + u'\\' + part;
      index = Find(wanted);
      if (index < 0) {
        keys.append(TKey{wanted, {}});
        index = keys.size() - 1;
      }
      current = keys[index].path;
    }
    return index;
  }
};

QString HiveFile(HKEY root) {
  return RegistryRoot() + (root == HKEY_LOCAL_MACHINE ? QStringLiteral("/HKEY_LOCAL_MACHINE.json")
                                                      : QStringLiteral("/HKEY_CURRENT_USER.json"));
}

QString DesktopFolder() {
  // Qt reads only user-dirs.dirs; the variable, when set, is the user's
  // explicit choice and wins.
  const QString fromEnvironment = qEnvironmentVariable("XDG_DESKTOP_DIR");
  if (!fromEnvironment.isEmpty()) {
    return fromEnvironment;
  }
  return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

THive DefaultHive(HKEY root) {
  THive hive;
  if (root == HKEY_CURRENT_USER) {
    const qsizetype index = hive.Create(QString::fromLatin1(kShellFoldersKey));
    TKey& key = hive.keys[index];
    key.values.append(
        {QStringLiteral("AppData"), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)});
    key.values.append({QStringLiteral("desktop"), DesktopFolder()});
  } else {
    // Per-user, like everything else here: the program never asks for root.
    const qsizetype index = hive.Create(QString::fromLatin1(kCurrentVersionKey));
    TKey& key = hive.keys[index];
    key.values.append({QStringLiteral("ProgramFilesDir"), QDir::homePath() + QStringLiteral("/.local/opt")});
  }
  return hive;
}

// The hive, or nothing when its file exists but cannot be read or is not a
// store file.
std::optional<THive> LoadHive(HKEY root) {
  const QString fileName = HiveFile(root);
  QFile file(fileName);
  if (!file.exists()) {
    return DefaultHive(root);
  }
  if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) {
    return std::nullopt;
  }
  THive hive;
  const QJsonObject object = document.object();
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (!it.value().isObject()) {
      return std::nullopt;
    }
    const QJsonObject values = it.value().toObject();
    const qsizetype index = hive.Create(it.key());
    TKey& key = hive.keys[index];
    for (auto v = values.begin(); v != values.end(); ++v) {
      if (!v.value().isString()) {
        return std::nullopt;
      }
      if (key.FindValue(v.key()) < 0) {
        key.values.append({v.key(), v.value().toString()});
      }
    }
  }
  return hive;
}

// False when the file cannot be written; error then names the file and the
// system's reason.
bool SaveHive(HKEY root, const THive& hive, QString& error) {
  QJsonObject object;
  for (const TKey& key : hive.keys) {
    if (key.path.isEmpty() && key.values.isEmpty()) {
      continue;
    }
    QJsonObject values;
    for (const auto& [name, value] : key.values) {
      values.insert(name, value);
    }
    object.insert(key.path, values);
  }
  // A folder that cannot be made shows as the write's own failure below.
  QDir().mkpath(RegistryRoot());
  const QString fileName = HiveFile(root);
  QString reason;
  if (!WriteFileAtomically(fileName, QJsonDocument(object).toJson(QJsonDocument::Indented), &reason)) {
    error = CannotCreateFileMessage(fileName, reason);
    return false;
  }
  error.clear();
  return true;
}

}  // namespace

QString RegistryRoot() {
  const QString fromEnvironment = qEnvironmentVariable("TYAZHAR_REGISTRY_ROOT");
  if (!fromEnvironment.isEmpty()) {
    return fromEnvironment;
  }
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/tyazharnet-protocol/registry");
}

void TRegistry::SetRootKey(HKEY rootKey) {
  CloseKey();
  FRootKey = rootKey;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
  CloseKey();
  FLastError.clear();
  std::optional<THive> hive = LoadHive(FRootKey);
  if (!hive) {
    return false;
  }
  qsizetype index = hive->Find(key);
  if (index < 0) {
    if (!canCreate) {
      return false;
    }
    index = hive->Create(key);
    if (!SaveHive(FRootKey, *hive, FLastError)) {
      return false;
    }
  }
  FCurrentPath = hive->keys[index].path;
  FOpen = true;
  FWritable = true;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& key) {
  CloseKey();
  const std::optional<THive> hive = LoadHive(FRootKey);
  const qsizetype index = hive ? hive->Find(key) : -1;
  if (index < 0) {
    return false;
  }
  FCurrentPath = hive->keys[index].path;
  FOpen = true;
  FWritable = false;
  return true;
}

void TRegistry::CloseKey() {
  FCurrentPath.clear();
  FOpen = false;
  FWritable = false;
}

bool TRegistry::KeyExists(const QString& key) const {
  const std::optional<THive> hive = LoadHive(FRootKey);
  return hive && hive->Find(key) >= 0;
}

bool TRegistry::ValueExists(const QString& name) const {
  if (!FOpen) {
    return false;
  }
  const std::optional<THive> hive = LoadHive(FRootKey);
  const qsizetype index = hive ? hive->Find(FCurrentPath) : -1;
  return index >= 0 && hive->keys[index].FindValue(name) >= 0;
}

QString TRegistry::ReadString(const QString& name) const {
  if (!FOpen) {
    return QString();
  }
  const std::optional<THive> hive = LoadHive(FRootKey);
  const qsizetype index = hive ? hive->Find(FCurrentPath) : -1;
  if (index < 0) {
    return QString();
  }
  const TKey& key = hive->keys[index];
  const qsizetype value = key.FindValue(name);
  return value < 0 ? QString() : key.values[value].second;
}

void TRegistry::WriteString(const QString& name, const QString& value) {
  FLastError.clear();
  const auto fail = [&name](const QString& reason = QString()) {
    const QString message = Fmt(QStringLiteral("Failed to set data for '%s'"), {name});
    throw ERegistryException(reason.isEmpty() ? message : message + QStringLiteral(": ") + reason);
  };
  if (!FOpen || !FWritable) {
    fail();
  }
  std::optional<THive> hive = LoadHive(FRootKey);
  const qsizetype index = hive ? hive->Find(FCurrentPath) : -1;
  if (index < 0) {
    fail();
  }
  TKey& key = hive->keys[index];
  const qsizetype existing = key.FindValue(name);
  if (existing >= 0) {
    key.values[existing].second = value;
  } else {
    key.values.append({name, value});
  }
  if (!SaveHive(FRootKey, *hive, FLastError)) {
    fail(FLastError);
  }
}

bool TRegistry::DeleteValue(const QString& name) {
  FLastError.clear();
  if (!FOpen || !FWritable) {
    return false;
  }
  std::optional<THive> hive = LoadHive(FRootKey);
  const qsizetype index = hive ? hive->Find(FCurrentPath) : -1;
  if (index < 0) {
    return false;
  }
  TKey& key = hive->keys[index];
  const qsizetype existing = key.FindValue(name);
  if (existing < 0) {
    return false;
  }
  key.values.removeAt(existing);
  return SaveHive(FRootKey, *hive, FLastError);
}

bool TRegistry::DeleteKey(const QString& key) {
  FLastError.clear();
  std::optional<THive> hive = LoadHive(FRootKey);
  const qsizetype index = hive ? hive->Find(key) : -1;
  if (index < 0 || hive->keys[index].path.isEmpty()) {
    return false;
  }
  const QString path = hive->keys[index].path;
  const QString below = path + u'\\';
  hive->keys.removeIf(
      [&](const TKey& k) { return SameName(k.path, path) || k.path.startsWith(below, Qt::CaseInsensitive); });
  return SaveHive(FRootKey, *hive, FLastError);
}
