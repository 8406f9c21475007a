#include "platform/table/client_dataset_impl.h"

QByteArray TClientDataSet::TImpl::PacketBytes() const {
  Error(QStringLiteral("Data packets are not available yet"));
}

void TClientDataSet::TImpl::WriteFile(const QString& path) {
  static_cast<void>(path);
  Error(QStringLiteral("Data packets are not available yet"));
}

void TClientDataSet::TImpl::LoadBytes(const QByteArray& bytes, const QString& sourceName) {
  static_cast<void>(bytes);
  static_cast<void>(sourceName);
  Error(QStringLiteral("Data packets are not available yet"));
}
