// The interface language: the translation function, the pass that puts the
// texts of the language on the window, the language menu, the navigator
// hints, the record-delete prompt, the about box, and the two behaviours that
// belong to no tab: posting a grid's edit when it loses the focus and the web
// link at the top of the window.
#include "app/window_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QUrl>

#include "app/about_box.h"
#include "app/frames/stream_frame.h"
#include "app/main_window.h"
#include "app/program.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_link.h"
#include "platform/widgets/data_navigator.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

using enum TTextTarget;

// The first letter of both referee captions is the Latin capital C, as the
// program has always shown them.
constexpr TWindowText kTexts[] = {
    {"frmMain", Caption, "Тяжарнет.ПРОТОКОЛ", "Tyazharnet.PROTOCOL"},
    {"miLanguage", Caption, "Язык", "Language"},
    {"miLanguage_RU", Caption, "русский", "русский"},
    {"miLanguage_EN", Caption, "english", "english"},
    {"miExportExcel", Caption, "Экспорт в Excel", "Export Excel"},
    {"mniAbout", Caption, "О программе", "About..."},

    {"tbshProtocol", Caption, "Протокол соревнований", "Protocol"},
    {"tbshProtocol_General", Caption, "Основное", "General"},
    {"lbDate", Caption, "Дата проведения", "Date"},
    {"lbCity", Caption, "Город проведения", "City"},
    {"edCompetitionName_EditLabel", Caption, "Название соревнования", "Competition"},
    {"edRefereeMain_EditLabel", Caption, "Главный судья", "Main referee"},
    {"edSecretary_EditLabel", Caption, "Главный Секретарь", "Secretary"},
    {"lbDiscipline", Caption, "Дисциплины", "Discipline"},
    {"cbBiathlon", Caption, "двоеборье", "biathlon"},
    {"cbLongCycle", Caption, "толчок длинным циклом", "long cycle"},
    {"cbSnatch", Caption, "рывок", "snatch"},
    {"lbRelayRaceDiscipline", Caption, "Эстафета", "Relay-race"},
    {"cbRRDJerk", Caption, "короткий толчок", "Jerk"},
    {"cbRRDLongCycle", Caption, "толчок ДЦ", "Long cycle"},
    {"cbRRDSnatch", Caption, "рывок", "Snatch"},
    {"lbWeightM", Caption, "Гиря(М)", "Weight(M)"},
    {"lbWeightW", Caption, "Гиря(Ж)", "Weight(W)"},
    {"cbCountTeamProtocolCompetitor", Caption, "командные результаты по Х лучшим результатам",
     "team protocol by X best result"},
    {"cbAddRelayToTeamProtocol", Caption, "Учитывать эстафету в командной борьбе",
     "Add relay to team competition"},

    {"tbshRefereePlatformMain", Caption, "Cтарший судья на помосте", "Main platform referee"},
    {"tbshRefereePlatform", Caption, "Cудья на помосте", "Platform referee"},

    {"tbshProtocol_Weight", Caption, "Весовые категории", "Weight category"},
    {"tbshManWeight", Caption, "мужские", "man"},
    {"tbshNormMan", Caption, "мужские", "man"},
    {"tbshWomanWeight", Caption, "женские", "woman"},
    {"tbshNormWoman", Caption, "женские", "woman"},
    {"btnRefreshManWeightHB", Hint, "Обновить выпадающий список судей", "Refresh referee picklist"},
    {"btnRefreshWomanWeightHB", Hint, "Обновить выпадающий список судей", "Refresh referee picklist"},

    {"tbshNormative", Caption, "Нормативы", "Normative"},

    {"btnSaveOrganizator", Hint, "Сохранить", "Save"},
    {"btnSaveRefereePM", Hint, "Сохранить", "Save"},
    {"btnSaveRefereeP", Hint, "Сохранить", "Save"},
    {"btnSaveManWeight", Hint, "Сохранить", "Save"},
    {"btnSaveWomanWeight", Hint, "Сохранить", "Save"},
    {"btnSaveNormative", Hint, "Сохранить", "Save"},
    {"btnSaveCompetitorWeight", Hint, "Сохранить", "Save"},

    {"tbshCredentialsCommittee", Caption, "Регистрация участников", "Registration of participants"},
    {"lbName", Caption, "ФИО", "Name"},
    {"lbPassport", Caption, "Паспортные данные", "Passport"},
    {"lbBirthday", Caption, "Дата рождения", "Date of Birth"},
    {"lbRank", Caption, "Звание", "Rank"},
    {"lbTeam", Caption, "Команда", "Team"},
    {"edAtTheTeam", Caption, "в команде", "at the team"},
    {"lbTrainer", Caption, "Тренер", "Coach"},
    {"lbWeight", Caption, "Вес", "Body weight"},
    {"lbSex", Caption, "Пол", "Sex"},
    {"lbBestResult", Caption, "Лучший результат", "Best result"},
    {"lbBestResJerk", Caption, "толчок", "jerk"},
    {"lbDiscip", Caption, "Дисциплина", "Discipline"},
    {"lbInvolved", Caption, "Участвует", "Involved"},
    {"lbParticipants", Caption, "Общий список участников", "Participants"},
    {"lbHandbook", Caption, "Справочник", "Handbook"},
    {"butHBSelect", Hint, "Выбрать", "Select"},
    {"butCompetitorStreamSelect", Hint, "Выбрать", "Select"},
    {"butCompetitorSelect", Hint, "Выбрать", "Select"},
    {"edWeight", Hint, "весовая категория (Примерный вес для категории свыше)",
     "weight class (or bodyweight)"},

    {"tbshWeight", Caption, "Взвешивание", "Weighting"},
    {"tbshWoman", Caption, "Женщины", "Woman"},
    {"tbshCompWoman", Caption, "Женщины", "Woman"},
    {"tbshRRWoman", Caption, "Женщины", "Woman"},
    {"tbshMan", Caption, "Мужчины", "Man"},
    {"tbshCompMan", Caption, "Мужчины", "Man"},
    {"tbshRRMan", Caption, "Мужчины", "Man"},

    {"tbshStream", Caption, "Порядок выхода", "Athletes entrance order"},
    {"cbExcept", Caption, "Исключать из списка", "Except from list"},
    {"btnRefreshStreamHB", Hint, "Обновить список участников", "Refresh competitor list"},

    {"tbshCompetition", Caption, "Соревнования", "Competition"},
    {"btnSaveCompetitor", Hint, "Сохранить протокол", "Save protocol"},
    {"btnSaveSnatch", Hint, "Сохранить протокол", "Save protocol"},
    {"btnSaveLongCycle", Hint, "Сохранить протокол", "Save protocol"},
    {"btnSaveBiathlon", Hint, "Сохранить протокол", "Save protocol"},
    {"btnSaveRR", Hint, "Сохранить протокол", "Save protocol"},
    {"btnSaveTeamProtocol", Hint, "Сохранить протокол", "Save protocol"},
    {"btnLoadCompetitor", Hint, "Загрузить протокол", "Load protocol"},
    {"btnLoadSnatch", Hint, "Загрузить протокол", "Load protocol"},
    {"btnLoadLongCycle", Hint, "Загрузить протокол", "Load protocol"},
    {"btnLoadBiathlon", Hint, "Загрузить протокол", "Load protocol"},
    {"btnLoadRR", Hint, "Загрузить протокол", "Load protocol"},
    {"btnLoadTeamProtocol", Hint, "Загрузить протокол", "Load protocol"},
    {"btnPrintSnatch", Hint, "Печать", "Print"},
    {"btnPrintLongCycle", Hint, "Печать", "Print"},
    {"btnPrintBiathlon", Hint, "Печать", "Print"},
    {"btnPrintRR", Hint, "Печать", "Print"},
    {"btnPrintTeamProtocol", Hint, "Печать", "Print"},
    {"btnSetPointSnatch", Hint, "Проставить командные очки", "Set team points"},
    {"btnSetPointLongCycle", Hint, "Проставить командные очки", "Set team points"},
    {"btnSetPointBiathlon", Hint, "Проставить командные очки", "Set team points"},
    {"btnSetMadeRankSnatch", Hint, "Проставить выполненный разряд", "Set achieved rank"},
    {"btnSetMadeRankLongCycle", Hint, "Проставить выполненный разряд", "Set achieved rank"},
    {"btnSetMadeRankBiathlon", Hint, "Проставить выполненный разряд", "Set achieved rank"},
    {"btnNewCompetition", Hint, "Новый протокол", "New protocol"},
    {"btnNewRelayRace", Hint, "Новый протокол", "New protocol"},

    {"btnRRCalculate", Hint, "Подсчетать", "Calculate"},
    {"btnShowRRCompetitorHB", Hint, "Показать/скрыть список участников", "Show/hide competitors"},

    {"tbshTeamProtocol", Caption, "Командный протокол", "Team protocol"},
    {"btnCreateTeamProtocol", Hint, "Сформировать протокол", "Create protocol"},
    {"btnCalculatePosition", Hint, "Распределить места", "Calculate position"},
};

constexpr TSameText kSame[] = {
    {"edBiathlon", "cbBiathlon"},
    {"edLongCycle", "cbLongCycle"},
    {"edSnatch", "cbSnatch"},
    {"tbshStreamSnatch", "cbSnatch"},
    {"tbshStreamLongCycle", "cbLongCycle"},
    {"tbshStreamBiathlon", "cbBiathlon"},
    {"tbshSnatch", "cbSnatch"},
    {"tbshLongCycle", "cbLongCycle"},
    {"tbshBiathlon", "cbBiathlon"},
    {"tbshRelayRace", "lbRelayRaceDiscipline"},
    {"tbshRRJerk", "cbRRDJerk"},
    {"tbshRRLongCycle", "cbRRDLongCycle"},
    {"tbshRRSnatch", "cbRRDSnatch"},
};

struct TNavigatorHint {
  const char* Russian;
  const char* English;
};

constexpr TNavigatorHint kNavigatorHints[NavigateBtnCount] = {
    {"Первая запись", "First record"},       {"Предыдущая запись", "Prior record"},
    {"Следующая запись", "Next record"},     {"Последняя запись", "Last record"},
    {"Вставить запись", "Insert record"},    {"Удалить запись", "Delete record"},
    {"Редактировать запись", "Edit record"}, {"Принять изменения", "Post edit"},
    {"Отменить изменения", "Cancel edit"},   {"Обновить данные", "Refresh data"},
};

// A page's caption is its tab's text in the page control that holds it.
QTabWidget* PageControlOf(QWidget* page) {
  for (QWidget* parent = page->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
    if (auto* pages = qobject_cast<QTabWidget*>(parent)) {
      return pages->indexOf(page) >= 0 ? pages : nullptr;
    }
  }
  return nullptr;
}

QString CaptionOf(QObject* component) {
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
  if (auto* widget = qobject_cast<QWidget*>(component)) {
    if (QTabWidget* pages = PageControlOf(widget)) {
      return pages->tabText(pages->indexOf(widget));
    }
    return widget->windowTitle();
  }
  return QString();
}

void SetCaption(QObject* component, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(component)) {
    action->setText(text);
  } else if (auto* menu = qobject_cast<QMenu*>(component)) {
    menu->setTitle(text);
  } else if (auto* label = qobject_cast<QLabel*>(component)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(component)) {
    button->setText(text);
  } else if (auto* widget = qobject_cast<QWidget*>(component)) {
    if (QTabWidget* pages = PageControlOf(widget)) {
      pages->setTabText(pages->indexOf(widget), text);
    } else {
      widget->setWindowTitle(text);
    }
  }
}

void SetHint(QObject* component, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(component)) {
    action->setToolTip(text);
  } else if (auto* widget = qobject_cast<QWidget*>(component)) {
    widget->setToolTip(text);
  }
}

}  // namespace

const std::span<const TWindowText> kWindowTexts(kTexts);
const std::span<const TSameText> kSameTexts(kSame);

QString TfrmMain::Translate(const QString& Russian, const QString& English) const {
  return FLanguage != 0 ? English : Russian;
}

TTranslateFunc TfrmMain::TranslateFunc() const {
  return [this](const QString& russian, const QString& english) { return Translate(russian, english); };
}

void TfrmMain::ApplyComponentTexts() {
  const auto find = [this](const char* name) -> QObject* {
    const QString component = QString::fromLatin1(name);
    return component == objectName() ? static_cast<QObject*>(this) : findChild<QObject*>(component);
  };
  for (const TWindowText& text : kWindowTexts) {
    QObject* component = find(text.Component);
    if (component == nullptr) {
      continue;
    }
    const QString translated = Translate(QString::fromUtf8(text.Russian), QString::fromUtf8(text.English));
    if (text.Target == TTextTarget::Caption) {
      SetCaption(component, translated);
    } else {
      SetHint(component, translated);
    }
  }
  for (const TSameText& same : kSameTexts) {
    QObject* component = find(same.Component);
    QObject* source = find(same.Source);
    if (component != nullptr && source != nullptr) {
      SetCaption(component, CaptionOf(source));
    }
  }
  ApplyFieldLabels(FTables, TranslateFunc());
}

void TfrmMain::ApplyLanguage() {
  miLanguage_RU->setChecked(FLanguage == 0);
  miLanguage_EN->setChecked(FLanguage == 1);
  // Nothing puts the English prompt back: a switch to English keeps the
  // Russian one until the program starts again in English.
  if (FLanguage == 0) {
    PatchResourceString(QStringLiteral("Удалить запись?"));
  }
  UseQtTexts(FLanguage);
  ApplyComponentTexts();
  RelabelWeightClassItems();
  for (TfrmStream* frame : {frmStreamSnatch, frmStreamLongCycle, frmStreamBiathlon}) {
    frame->SetLanguage();
  }
  SetNavigatorHints(*dbnvgrProtocolGeneral, nullptr);
  for (TDataNavigator* navigator :
       {dbnvgrManWeight, dbnvgrWomanWeight, dbnvgrCompetitor, dbnvgrSHWeight, dbnvgrSnatch, dbnvgrLongCycle,
        dbnvgrBiathlon, dbnvgrRelayRace, dbnvgrTeamProtocol, dbnvgrRefereePlatform, dbnvgrRefereePlatformMain,
        dbnvgrNormative}) {
    SetNavigatorHints(*navigator, dbnvgrProtocolGeneral);
  }
  // The maker's site has one address for both languages.
  lbAnchor->setText(Translate(QStringLiteral(TYAZHAR_WEB_ADDRESS), QStringLiteral(TYAZHAR_WEB_ADDRESS)));
}

void TfrmMain::SetNavigatorHints(TDataNavigator& Navigator, TDataNavigator* Source) {
  Navigator.SetShowHint(true);
  QStringList hints;
  if (Source != nullptr) {
    hints = Source->Hints();
  } else {
    for (const TNavigatorHint& hint : kNavigatorHints) {
      hints << Translate(QString::fromUtf8(hint.Russian), QString::fromUtf8(hint.English));
    }
  }
  Navigator.SetHints(hints);
}

void TfrmMain::PatchResourceString(const QString& Text) {
  SetRecordDeletePrompt(Text);
}

void TfrmMain::miLanguage_Click(QAction* Sender) {
  if (Sender->isChecked()) {
    return;
  }
  miLanguage_RU->setChecked(!miLanguage_RU->isChecked());
  miLanguage_EN->setChecked(!miLanguage_EN->isChecked());
  FLanguage = miLanguage_RU->isChecked() ? 0 : 1;
  ApplyLanguage();
  FillRankTable();
  FillSexTable();
}

void TfrmMain::mniAboutClick() {
  TfrmAbout about(this);
  about.FLanguage = FLanguage;
  about.exec();
}

void TfrmMain::grAutoPostOnExit(TDataGrid& Sender) {
  TClientDataSet* table = Sender.DataSet();
  if (table == nullptr) {
    return;
  }
  if (table->State() == TDataSetState::dsEdit || table->State() == TDataSetState::dsInsert) {
    table->Post();
  }
}

void TfrmMain::lbAnchorClick() {
  QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + lbAnchor->text()));
}

void TfrmMain::lbAnchorMouseMove() {
  QPalette palette = lbAnchor->palette();
  palette.setColor(QPalette::WindowText, QColor(128, 0, 128));
  lbAnchor->setPalette(palette);
}

void TfrmMain::lbAnchorMouseLeave() {
  QPalette palette = lbAnchor->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
  lbAnchor->setPalette(palette);
}
