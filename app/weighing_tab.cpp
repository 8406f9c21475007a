// Weighing, weight classes and class filters: the class selectors of the
// weighing and competition tabs, the filter texts, the weight-class tables'
// field rules and referee pick lists, the ranks-requirements pages.
// Filled in with the weighing tab's logic.
#include "app/main_window.h"

void TfrmMain::FillWeightClassItems(TField& /*WeightField*/, QComboBox& /*Items*/, bool /*AddAll*/) {}

QString TfrmMain::BuildWeightFilter(int /*Index*/, const QComboBox& /*Items*/, bool /*HasAll*/) const {
  return QString();
}

void TfrmMain::FilterWomanWeightClass(TClientDataSet& /*DataSet*/, int /*Index*/, const QComboBox& /*Items*/,
                                      bool /*HasAll*/) {}

void TfrmMain::FilterManWeightClass(TClientDataSet& /*DataSet*/, int /*Index*/, const QComboBox& /*Items*/,
                                    bool /*HasAll*/) {}

void TfrmMain::tbshWeightShow() {}

void TfrmMain::tbshWomanShow() {}

void TfrmMain::tbshManShow() {}

void TfrmMain::cbWomanWeightClassChange() {}

void TfrmMain::cbManWeightClassChange() {}

void TfrmMain::tbshCompetitionShow() {}

void TfrmMain::tbshCompWomanShow() {}

void TfrmMain::tbshCompManShow() {}

void TfrmMain::cbCompWomanWeightClassChange() {}

void TfrmMain::cbCompManWeightClassChange() {}

void TfrmMain::dsWeightWeightGetText(TField& /*Sender*/, QString& /*Text*/, bool /*DisplayText*/) {}

// Until the class rules are in, a typed limit is stored as typed.
void TfrmMain::dsWeightWeightSetText(TField& Sender, const QString& Text) {
  Sender.SetAsString(Text);
}

void TfrmMain::dsWeightWeightValidate(TField& /*Sender*/) {}

void TfrmMain::dsWeightBeforeDelete(TClientDataSet& /*DataSet*/) {}

void TfrmMain::btnRefreshWeightHBClick() {}

void TfrmMain::tbshProtocol_WeightShow() {}

void TfrmMain::tbshNormManShow() {}

void TfrmMain::tbshNormWomanShow() {}

void TfrmMain::dsNormativeAfterInsert(TClientDataSet& /*DataSet*/) {}
