// The streams tab: a stream frame per discipline and the list of competitors
// still to be placed.
#include <QSplitter>

#include "app/design.h"
#include "app/frames/stream_frame.h"
#include "app/main_window.h"

using namespace design;

namespace {

TfrmStream* FramePage(QWidget* page, const char* name) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  auto* frame = Named(new TfrmStream(page), name);
  // The frame labels its list with the register's labels.
  frame->grStream->TitleForms = FieldLabelForms;
  layout->addWidget(frame);
  return frame;
}

}  // namespace

void TfrmMain::DesignStreamsTab() {
  tbshStream = Page(pcMain, "tbshStream");
  QVBoxLayout* layout = VBox(tbshStream, 2);
  auto* split = Named(new QSplitter(Qt::Horizontal, tbshStream), "splStream");
  layout->addWidget(split);

  pcStream = Named(new QTabWidget(split), "pcStream");
  tbshStreamSnatch = Page(pcStream, "tbshStreamSnatch");
  frmStreamSnatch = FramePage(tbshStreamSnatch, "frmStreamSnatch");
  tbshStreamLongCycle = Page(pcStream, "tbshStreamLongCycle");
  frmStreamLongCycle = FramePage(tbshStreamLongCycle, "frmStreamLongCycle");
  tbshStreamBiathlon = Page(pcStream, "tbshStreamBiathlon");
  frmStreamBiathlon = FramePage(tbshStreamBiathlon, "frmStreamBiathlon");
  split->addWidget(pcStream);

  auto* list = Named(new QWidget(split), "pStreamHB");
  QVBoxLayout* listLayout = VBox(list, 2);
  butCompetitorStreamSelect = ToolButton(list, "butCompetitorStreamSelect", *ImageList, iiSelect);
  btnRefreshStreamHB = ToolButton(list, "btnRefreshStreamHB", *ImageList, iiRefresh);
  cbExcept = CheckBox(list, "cbExcept");
  cbExcept->setChecked(false);
  QHBoxLayout* strip = Strip(listLayout);
  strip->addWidget(butCompetitorStreamSelect);
  strip->addWidget(btnRefreshStreamHB);
  strip->addSpacing(8);
  strip->addWidget(cbExcept);
  strip->addStretch(1);
  grStreamHB = Grid(list, "grStreamHB", dsCompetitorStream,
                    {Column("Name", 220), Column("Weight", 60), Column("BestResSnatch", 80),
                     Column("BestResLongCycle", 80), Column("BestResBiathlon", 80)});
  grStreamHB->SetReadOnly(true);
  grStreamHB->SetRowSelect(true);
  listLayout->addWidget(grStreamHB, 1);
  split->addWidget(list);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
}
