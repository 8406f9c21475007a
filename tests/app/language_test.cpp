// The interface language: the pass over the window's texts, the language menu,
// the relabelled lookup tables, the navigator hints, the record-delete
// prompt, the about box and the web-link label.
#include <QAbstractButton>
#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/about_box.h"
#include "app/frames/stream_frame.h"
#include "app/window_texts.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

using Language = WindowTest;

QString CaptionOf(TfrmMain& window, const QString& name) {
  if (name == window.objectName()) {
    return window.windowTitle();
  }
  QObject* component = window.findChild<QObject*>(name);
  if (auto* action = qobject_cast<QAction*>(component)) {
    return action->text();
  }
  if (auto* menu = qobject_cast<QMenu*>(component)) {
    return menu->title();
  }
  if (auto* label = qobject_cast<QLabel*>(component)) {
    return label->text();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(component)) {
    return button->text();
  }
  if (auto* page = qobject_cast<QWidget*>(component)) {
    for (QWidget* parent = page->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
      if (auto* pages = qobject_cast<QTabWidget*>(parent); pages != nullptr && pages->indexOf(page) >= 0) {
        return pages->tabText(pages->indexOf(page));
      }
    }
  }
  return QStringLiteral("<no caption: %1>").arg(name);
}

QString HintOf(TfrmMain& window, const QString& name) {
  QWidget* widget = window.findChild<QWidget*>(name);
  return widget != nullptr ? widget->toolTip() : QStringLiteral("<no widget: %1>").arg(name);
}

// Every row of the window's text table lands on a component of the window,
// and the captions that follow another component's agree with it.
void ExpectAllTexts(TfrmMain& window, bool english) {
  for (const TWindowText& text : kWindowTexts) {
    const QString name = QString::fromLatin1(text.Component);
    const QString expected = QString::fromUtf8(english ? text.English : text.Russian);
    const QString shown =
        text.Target == TTextTarget::Caption ? CaptionOf(window, name) : HintOf(window, name);
    EXPECT_EQ(shown, expected) << text.Component;
  }
  for (const TSameText& same : kSameTexts) {
    EXPECT_EQ(CaptionOf(window, QString::fromLatin1(same.Component)),
              CaptionOf(window, QString::fromLatin1(same.Source)))
        << same.Component;
  }
}

QStringList Names(TClientDataSet& lookup) {
  QStringList names;
  for (lookup.First(); !lookup.Eof(); lookup.Next()) {
    names << lookup.FieldByName("ID").AsString() + "=" + lookup.FieldByName("Name").AsString();
  }
  return names;
}

TEST_F(Language, SwitchingTwiceRelabelsTheWholeWindow) {
  auto window = Start();
  TfrmMain& w = *window;
  ExpectAllTexts(w, false);
  EXPECT_EQ(w.pcMain->tabText(2), "Взвешивание");
  // The referee captions start with the Latin capital C.
  EXPECT_EQ(w.pcProtocol->tabText(w.pcProtocol->indexOf(w.tbshRefereePlatform)).at(0), QChar(u'C'));
  EXPECT_EQ(w.dsCompetitor.FieldByName("Name").DisplayLabel(), "ФИО");
  EXPECT_EQ(w.grCompetitor->model()->headerData(0, Qt::Horizontal).toString(), "ФИО");
  const QStringList russianRanks = Names(w.dsRank);
  EXPECT_EQ(russianRanks, (QStringList{"0=", "1=ЗМС", "21=МСМК", "2=МС", "3=КМС", "4=I", "5=II", "6=III",
                                       "7=Iю", "8=IIю", "9=IIIю"}));
  EXPECT_EQ(Names(w.dsSex), (QStringList{"1=М", "0=Ж"}));

  w.miLanguage_EN->trigger();
  EXPECT_EQ(w.Language(), 1);
  EXPECT_TRUE(w.miLanguage_EN->isChecked());
  EXPECT_FALSE(w.miLanguage_RU->isChecked());
  ExpectAllTexts(w, true);
  EXPECT_EQ(w.windowTitle(), "Tyazharnet.PROTOCOL");
  EXPECT_EQ(w.pcMain->tabText(2), "Weighting");
  EXPECT_EQ(w.dsCompetitor.FieldByName("Name").DisplayLabel(), "Name");
  EXPECT_EQ(w.dsCompetitorHB.FieldByName("Trainer").DisplayLabel(), "Coach");
  EXPECT_EQ(w.grCompetitor->model()->headerData(0, Qt::Horizontal).toString(), "Name");
  EXPECT_EQ(w.frmStreamSnatch->grStream->model()->headerData(1, Qt::Horizontal).toString(), "Body weight");
  EXPECT_EQ(w.frmStreamBiathlon->btnDelAllStream->toolTip(), "Delete all stream");
  EXPECT_EQ(Names(w.dsRank), (QStringList{"0=", "1=DMS", "21=MSWC", "2=MS", "3=CMS", "4=I", "5=II", "6=III",
                                          "7=Ij", "8=IIj", "9=IIIj"}));
  EXPECT_EQ(Names(w.dsSex), (QStringList{"1=M", "0=F"}));

  w.miLanguage_RU->trigger();
  EXPECT_EQ(w.Language(), 0);
  ExpectAllTexts(w, false);
  EXPECT_EQ(Names(w.dsRank), russianRanks);
  EXPECT_EQ(Names(w.dsSex), (QStringList{"1=М", "0=Ж"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
}

TEST_F(Language, ClickingTheCheckedItemRunsNoPass) {
  auto window = Start();
  window->edWeight->setToolTip("changed since the pass");
  window->miLanguage_RU->trigger();
  EXPECT_EQ(window->Language(), 0);
  EXPECT_TRUE(window->miLanguage_RU->isChecked());
  EXPECT_FALSE(window->miLanguage_EN->isChecked());
  EXPECT_EQ(window->edWeight->toolTip(), "changed since the pass");
}

TEST_F(Language, NavigatorHintsComeFromTheGeneralNavigator) {
  auto window = Start();
  TfrmMain& w = *window;
  const QList<TDataNavigator*> listed = {w.dbnvgrProtocolGeneral,
                                         w.dbnvgrManWeight,
                                         w.dbnvgrWomanWeight,
                                         w.dbnvgrCompetitor,
                                         w.dbnvgrSHWeight,
                                         w.dbnvgrSnatch,
                                         w.dbnvgrLongCycle,
                                         w.dbnvgrBiathlon,
                                         w.dbnvgrRelayRace,
                                         w.dbnvgrTeamProtocol,
                                         w.dbnvgrRefereePlatform,
                                         w.dbnvgrRefereePlatformMain,
                                         w.dbnvgrNormative,
                                         w.frmStreamSnatch->dbnvgrStream,
                                         w.frmStreamBiathlon->dbnvgrStream};
  for (const bool english : {false, true}) {
    if (english) {
      w.miLanguage_EN->trigger();
    }
    const QStringList expected =
        english ? QStringList{"First record",  "Prior record", "Next record", "Last record", "Insert record",
                              "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"}
                : QStringList{"Первая запись",        "Предыдущая запись", "Следующая запись",
                              "Последняя запись",     "Вставить запись",   "Удалить запись",
                              "Редактировать запись", "Принять изменения", "Отменить изменения",
                              "Обновить данные"};
    for (TDataNavigator* navigator : listed) {
      EXPECT_TRUE(navigator->ShowHint()) << navigator->objectName().toStdString();
      EXPECT_EQ(navigator->Hints(), expected) << navigator->objectName().toStdString();
      EXPECT_EQ(navigator->Button(nbDelete)->toolTip(), expected[nbDelete]);
    }
    // The register's second navigator is left without hints.
    EXPECT_FALSE(w.dbnvgrComp2->ShowHint());
    EXPECT_TRUE(w.dbnvgrComp2->Button(nbDelete)->toolTip().isEmpty());
  }
}

struct TPromptCase {
  const char* StartLanguage;
  QStringList Switches;  // "RU" or "EN", in order
  const char* Prompt;
};

TEST_F(Language, RussianPromptStaysOnceApplied) {
  const TPromptCase cases[] = {
      {"RU", {}, "Удалить запись?"},
      {"EN", {}, "Delete record?"},
      {"EN", {"RU"}, "Удалить запись?"},
      {"EN", {"RU", "EN"}, "Удалить запись?"},
  };
  for (const TPromptCase& c : cases) {
    SetRecordDeletePrompt("Delete record?");
    WriteIni("Tyazhar.ini", QStringLiteral("[GENERAL]\r\nLanguage=%1\r\n").arg(c.StartLanguage));
    auto window = Start();
    for (const QString& language : c.Switches) {
      (language == "RU" ? window->miLanguage_RU : window->miLanguage_EN)->trigger();
    }
    EXPECT_EQ(RecordDeletePrompt(), c.Prompt) << c.StartLanguage << " " << c.Switches.join(",").toStdString();
    window.reset();
  }
}

TEST_F(Language, AboutBoxTakesTheLanguageOfTheWindow) {
  WriteIni("Tyazhar.ini", "[GENERAL]\r\nLanguage=EN\r\n");
  auto window = Start();
  ShowActive(*window);
  QString caption, name, about, copyright, programFont, aboutFont;
  int aboutPixels = 0;
  bool modal = false, fixed = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    // Its texts come with its activation.
    ASSERT_TRUE(QTest::qWaitForWindowActive(box->windowHandle()));
    EXPECT_TRUE(QTest::qWaitFor([box] { return !box->windowTitle().isEmpty(); }));
    modal = box->isModal();
    fixed = box->minimumSize() == box->maximumSize();
    caption = box->windowTitle();
    name = box->lbProgramName->text();
    about = box->lbProgramAbout->text();
    copyright = box->lbCopyright->text();
    programFont = QFontInfo(box->lbProgramName->font()).family();
    aboutFont = QFontInfo(box->lbProgramAbout->font()).family();
    aboutPixels = QFontInfo(box->lbProgramAbout->font()).pixelSize();
    QTest::mouseClick(box->btnOk, Qt::LeftButton);
  });
  window->mniAbout->trigger();
  EXPECT_TRUE(modal);
  EXPECT_TRUE(fixed);
  EXPECT_EQ(caption, "About...");
  EXPECT_EQ(name, "Tyazharnet.PROTOCOL");
  EXPECT_EQ(about, "Software for creating protocols of kettlebell competitions");
  EXPECT_TRUE(copyright.contains(window->lbAnchor->text())) << copyright.toStdString();
  // Metric-compatible stand-ins where the named fonts are missing.
  EXPECT_TRUE(aboutFont == "Courier New" || aboutFont == "Liberation Mono") << aboutFont.toStdString();
  EXPECT_FALSE(programFont.isEmpty());
  EXPECT_EQ(aboutPixels, 13);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Language, WebLinkOpensItsAddressAndLightsUpUnderThePointer) {
  auto window = Start();
  ShowActive(*window);
  QLabel* anchor = window->lbAnchor;
  EXPECT_FALSE(anchor->text().isEmpty());
  EXPECT_EQ(anchor->alignment() & Qt::AlignRight, Qt::AlignRight);
  EXPECT_TRUE(anchor->font().bold());
  EXPECT_TRUE(anchor->font().underline());
  EXPECT_EQ(anchor->font().pixelSize(), 24);
  EXPECT_EQ(anchor->cursor().shape(), Qt::PointingHandCursor);
  const QColor link = anchor->palette().color(QPalette::Link);
  EXPECT_EQ(anchor->palette().color(QPalette::WindowText), link);

  QTest::mouseMove(anchor, anchor->rect().center());
  EXPECT_EQ(anchor->palette().color(QPalette::WindowText), QColor(128, 0, 128));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(anchor, &leave);
  EXPECT_EQ(anchor->palette().color(QPalette::WindowText), link);

  QTest::mouseClick(anchor, Qt::LeftButton, {}, anchor->rect().center());
  EXPECT_EQ(OpenedUrls, QStringList{"http://" + anchor->text()});
}

}  // namespace
}  // namespace app_test
