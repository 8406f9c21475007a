// The interface language: the pass over the window's texts, the language menu,
// the relabelled lookup tables, the navigator hints, the record-delete
// prompt, the about box, the web-link label, and the message boxes and Qt's
// own dialogs in the window's language.
#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/about_box.h"
#include "app/frames/stream_frame.h"
#include "app/program.h"
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

// ---- Message boxes and Qt's own dialogs ----

// The boxes as the program block sets them up (real message boxes titled with
// the program's name) for as long as it lives, in place of the recorder.
class TProgramBoxes {
 public:
  TProgramBoxes()
      : FError(SetErrorDisplay(nullptr)),
        FInformation(SetInformationDisplay(nullptr)),
        FConfirmation(SetConfirmation(nullptr)),
        FTitle(SetDialogTitle(nullptr)) {
    BindDialogTitle();
  }
  ~TProgramBoxes() {
    SetErrorDisplay(std::move(FError));
    SetInformationDisplay(std::move(FInformation));
    SetConfirmation(std::move(FConfirmation));
    SetDialogTitle(std::move(FTitle));
  }
  TProgramBoxes(const TProgramBoxes&) = delete;
  TProgramBoxes& operator=(const TProgramBoxes&) = delete;

 private:
  TErrorDisplay FError;
  TInformationDisplay FInformation;
  TConfirmation FConfirmation;
  TDialogTitle FTitle;
};

// What a modal dialog showed: its title, its buttons (sorted, without their
// accelerator marks) and its labels by object name.
struct TShownDialog {
  QString Title;
  QStringList Buttons;
  QMap<QString, QString> Labels;
};

// Does what raises one modal dialog, reads the dialog and closes it with its
// button of the given role, as the user would; then the window is the active
// one again, as on a desktop.
TShownDialog Answer(QWidget* window, const std::function<void()>& raise, QDialogButtonBox::ButtonRole role) {
  TShownDialog shown;
  // The action may run the event loop before its dialog comes up: the reader
  // looks again at every turn of the loop until it has seen one.
  QTimer reader;
  QObject::connect(&reader, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    auto* buttons = dialog != nullptr ? dialog->findChild<QDialogButtonBox*>() : nullptr;
    if (buttons == nullptr) {
      return;
    }
    reader.stop();
    shown.Title = dialog->windowTitle();
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (!label->objectName().isEmpty()) {
        shown.Labels[label->objectName()] = label->text();
      }
    }
    QAbstractButton* answer = nullptr;
    for (QAbstractButton* button : buttons->buttons()) {
      shown.Buttons << button->text().remove(u'&');
      if (buttons->buttonRole(button) == role) {
        answer = button;
      }
    }
    shown.Buttons.sort();
    if (answer != nullptr) {
      QTest::mouseClick(answer, Qt::LeftButton);
    } else {
      dialog->close();
    }
  });
  reader.start(0);
  raise();
  reader.stop();
  EXPECT_FALSE(shown.Title.isEmpty()) << "no dialog was shown";
  if (window != nullptr) {
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  }
  return shown;
}

struct TLanguageTexts {
  const char* Switch;  // the menu item that leads to the language
  const char* Program;
  const char* Ok;
  const char* Cancel;
  const char* Open;  // the open dialog's title
  const char* LookIn;
};

TEST_F(Language, BoxesAndQtsDialogsSpeakTheWindowsLanguageUnderTheProgramsName) {
  const TLanguageTexts languages[] = {
      {nullptr, "Тяжарнет.ПРОТОКОЛ", "OK", "Отмена", "Открыть", "Перейти к:"},
      {"miLanguage_EN", "Tyazharnet.PROTOCOL", "OK", "Cancel", "Open", "Look in:"},
      {"miLanguage_RU", "Тяжарнет.ПРОТОКОЛ", "OK", "Отмена", "Открыть", "Перейти к:"},
  };
  const TProgramBoxes boxes;
  auto window = Start();
  ShowActive(*window);
  TfrmMain& w = *window;
  for (const TLanguageTexts& l : languages) {
    if (l.Switch != nullptr) {
      Find<QAction>(w, l.Switch)->trigger();
    }
    const QString program = QString::fromUtf8(l.Program);
    QStringList okCancel{l.Ok, QString::fromUtf8(l.Cancel)};
    okCancel.sort();

    // A question: the record-delete prompt of a class grid (Russian once
    // applied), cancelled.
    ShowPageOf(w.grManWeight);
    w.dsManWeight.First();
    const TShownDialog question = Answer(
        &w, [&] { Click(w.dbnvgrManWeight->Button(nbDelete)); }, QDialogButtonBox::RejectRole);
    EXPECT_EQ(question.Title, program);
    EXPECT_EQ(question.Labels.value("qt_msgbox_label"), "Удалить запись?");
    EXPECT_EQ(question.Buttons, okCancel) << l.Program;
    EXPECT_EQ(w.dsManWeight.RecordCount(), 8);

    // An error: a class limit above the highest one.
    const TShownDialog error = Answer(
        &w, [&] { EnterCell(*w.grManWeight, 0, "Weight", "1200"); }, QDialogButtonBox::AcceptRole);
    EXPECT_EQ(error.Title, program);
    EXPECT_EQ(error.Labels.value("qt_msgbox_label"), "Значение не может быть больше, чем 999");
    EXPECT_EQ(error.Buttons, QStringList{l.Ok});
    w.dsManWeight.Cancel();

    // A notice: the only stream cannot be deleted.
    ShowPageOf(w.frmStreamSnatch);
    const TShownDialog notice = Answer(
        &w, [&] { Click(w.frmStreamSnatch->btnDelStream); }, QDialogButtonBox::AcceptRole);
    EXPECT_EQ(notice.Title, program);
    EXPECT_EQ(notice.Buttons, QStringList{l.Ok});

    // Qt's own file dialog, cancelled.
    ShowPageOf(w.btnLoadCompetitor);
    const TShownDialog open = Answer(
        &w, [&] { Click(w.btnLoadCompetitor); }, QDialogButtonBox::RejectRole);
    EXPECT_EQ(open.Title, QString::fromUtf8(l.Open));
    EXPECT_EQ(open.Labels.value("lookInLabel"), QString::fromUtf8(l.LookIn));
    EXPECT_TRUE(open.Buttons.contains(QString::fromUtf8(l.Cancel))) << open.Buttons.join(", ").toStdString();
    EXPECT_TRUE(w.dsCompetitor.Active());
  }
}

TEST_F(Language, WithoutQtsCataloguesQtStaysEnglishAndNothingIsReported) {
  const TProgramBoxes boxes;
  // English first: a window before this one may have left Russian in place.
  EXPECT_FALSE(UseQtTexts(1));
  EXPECT_FALSE(UseQtTexts(0, testing_sandbox::Folder() + QStringLiteral("/no-translations")));
  const TShownDialog question = Answer(
      nullptr, [] { Confirm("Удалить запись?"); }, QDialogButtonBox::RejectRole);
  EXPECT_EQ(question.Buttons, (QStringList{"Cancel", "OK"}));
  EXPECT_EQ(question.Title, "Тяжарнет.ПРОТОКОЛ");
  EXPECT_TRUE(UseQtTexts(0));
  EXPECT_FALSE(UseQtTexts(1));
}

}  // namespace
}  // namespace app_test
