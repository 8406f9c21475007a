#include "app/design.h"

#include <QHeaderView>
#include <QTabBar>

#include "app/data/tables.h"

namespace design {

QWidget* Page(QTabWidget* pages, const char* name) {
  auto* page = Named(new QWidget(pages), name);
  pages->addTab(page, QString::fromLatin1(name));
  return page;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const TImageList& images, int imageIndex) {
  auto* button = Named(new QToolButton(parent), name);
  button->setProperty("imageIndex", imageIndex);
  button->setIcon(images.Icon(imageIndex));
  button->setIconSize(QSize(images.Width(), images.Height()));
  button->setAutoRaise(true);
  // As on a tool bar: pressing a button leaves the focus where the typing is.
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text) {
  auto* label = Named(new QLabel(text, parent), name);
  return label;
}

QCheckBox* CheckBox(QWidget* parent, const char* name) {
  return Named(new QCheckBox(parent), name);
}

QLineEdit* LineEdit(QWidget* parent, const char* name) {
  return Named(new QLineEdit(parent), name);
}

TDataColumn Column(const char* fieldName, int width, bool readOnly) {
  TDataColumn column;
  column.FieldName = QString::fromLatin1(fieldName);
  column.Width = width;
  column.ReadOnly = readOnly;
  return column;
}

TDataGrid* Grid(QWidget* parent, const char* name, TClientDataSet& table, const QList<TDataColumn>& columns) {
  auto* grid = Named(new TDataGrid(parent), name);
  // A column may be as narrow as the layout file says, down to nothing.
  grid->horizontalHeader()->setMinimumSectionSize(0);
  grid->TitleForms = FieldLabelForms;
  grid->SetDataSet(&table);
  if (!columns.isEmpty()) {
    grid->SetColumns(columns);
  }
  return grid;
}

TDataNavigator* Navigator(QWidget* parent, const char* name, TClientDataSet& table,
                          std::initializer_list<TNavigateBtn> buttons) {
  auto* navigator = Named(new TDataNavigator(parent), name);
  navigator->SetVisibleButtons(buttons);
  navigator->SetDataSet(&table);
  return navigator;
}

QComboBox* ClassSelector(QWidget* page, const char* name, int verticalMargin) {
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(4, verticalMargin, 4, verticalMargin);
  auto* combo = Named(new QComboBox(page), name);
  combo->setEditable(false);
  combo->setMinimumWidth(120);
  layout->addWidget(combo);
  layout->addStretch(1);
  return combo;
}

QHBoxLayout* Strip(QBoxLayout* into) {
  auto* strip = new QHBoxLayout;
  strip->setSpacing(2);
  strip->setContentsMargins(0, 0, 0, 0);
  into->addLayout(strip);
  return strip;
}

QVBoxLayout* VBox(QWidget* owner, int margin) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->setSpacing(4);
  return layout;
}

void TabsOnly(QTabWidget* pages) {
  pages->setDocumentMode(true);
  // Every tab stays in sight: the control takes the width its tabs need.
  pages->tabBar()->setUsesScrollButtons(false);
  pages->tabBar()->setElideMode(Qt::ElideNone);
  pages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  pages->setMaximumHeight(pages->tabBar()->sizeHint().height() + 2);
}

}  // namespace design
