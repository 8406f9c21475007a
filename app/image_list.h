#pragma once

#include <QIcon>
#include <QObject>
#include <QVector>

// The window's image list: the 32 x 32 pictures of every tool button, the
// stream frames' included. A button keeps its image index and takes the
// picture from the list it is given.
enum TImageIndex {
  iiSave,
  iiOpen,
  iiPrint,
  iiNewProtocol,
  iiSetPoint,
  iiSetMadeRank,
  iiRefresh,
  iiSelect,
  iiAddStream,
  iiDelStream,
  iiDelAllStream,
  iiCalculate,
  iiCreateProtocol,
  iiShowList,
  iiImageCount
};

class TImageList : public QObject {
  Q_OBJECT

 public:
  explicit TImageList(QObject* parent = nullptr);

  int Width() const { return 32; }
  int Height() const { return 32; }
  int Count() const { return int(FIcons.size()); }
  // An empty icon for an index outside the list.
  QIcon Icon(int index) const;

 private:
  QVector<QIcon> FIcons;
};
