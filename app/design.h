#pragma once

// Helpers the design_*.cpp files build the window's controls with: each
// control gets its component name as its objectName.

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <initializer_list>

#include "app/image_list.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"

namespace design {

template <class T>
T* Named(T* object, const char* name) {
  object->setObjectName(QString::fromLatin1(name));
  return object;
}

// A page of a page control; the caption comes with the window texts.
QWidget* Page(QTabWidget* pages, const char* name);

// A tool button showing one picture of the image list; its hint is its
// tooltip.
QToolButton* ToolButton(QWidget* parent, const char* name, const TImageList& images, int imageIndex);

QLabel* Label(QWidget* parent, const char* name, const QString& text = QString());
QCheckBox* CheckBox(QWidget* parent, const char* name);
QLineEdit* LineEdit(QWidget* parent, const char* name);

TDataColumn Column(const char* fieldName, int width = -1, bool readOnly = false);
TDataGrid* Grid(QWidget* parent, const char* name, TClientDataSet& table, const QList<TDataColumn>& columns);
TDataNavigator* Navigator(QWidget* parent, const char* name, TClientDataSet& table,
                          std::initializer_list<TNavigateBtn> buttons);

// The buttons of the reference tables' navigators: every record button but
// refresh, which a table in memory has no use for.
inline constexpr std::initializer_list<TNavigateBtn> kEditButtons = {
    nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel};

// A strip of tool buttons and navigators across the top of a page.
QHBoxLayout* Strip(QBoxLayout* into);
QVBoxLayout* VBox(QWidget* owner, int margin = 4);

// The weight-class selector that fills a sex page of the weighing and
// competition tabs (a drop-down list, no free text).
QComboBox* ClassSelector(QWidget* page, const char* name, int verticalMargin);

// A page control used only for its tabs (the pages hold nothing; one control
// below it serves all of them).
void TabsOnly(QTabWidget* pages);

}  // namespace design
