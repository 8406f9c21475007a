#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "platform/core/exception.h"
#include "platform/widgets/shared_dialogs.h"
#include "tests/platform/widgets/widget_fixtures.h"

namespace {

using widgets_test::TDialogRecorder;

struct TGuardCase {
  const char* What;
  std::function<void()> Work;
  bool Completed;
  QStringList Shown;
};

TEST(RunGuarded, ShowsMessagesAndSwallowsTheSilentAbort) {
  const TGuardCase cases[] = {
      {"no failure", [] {}, true, {}},
      {"silent abort", [] { Abort(); }, false, {}},
      {"table error",
       [] { throw EDatabaseError("dsCompetitor: Key violation."); },
       false,
       {"dsCompetitor: Key violation."}},
      {"foreign exception", [] { throw std::runtime_error("disk full"); }, false, {"disk full"}},
      {"anything else", [] { throw 42; }, false, {"Unknown error"}},
  };
  for (const auto& c : cases) {
    TDialogRecorder dialogs;
    EXPECT_EQ(RunGuarded(c.Work), c.Completed) << c.What;
    EXPECT_EQ(dialogs.Errors, c.Shown) << c.What;
  }
}

TEST(RunGuarded, SurvivesADisplayThatThrows) {
  TDialogRecorder dialogs;
  dialogs.OnError = [](const QString&) { throw std::runtime_error("the box failed too"); };
  EXPECT_FALSE(RunGuarded([] { throw Exception("first"); }));
  EXPECT_EQ(dialogs.Errors, QStringList{"first"});
}

TEST(RecordDeletePrompt, IsOneReplaceableTextAskedThroughTheConfirmation) {
  EXPECT_EQ(RecordDeletePrompt(), "Delete record?");
  TDialogRecorder dialogs;
  dialogs.Answers = {false, true};
  EXPECT_FALSE(ConfirmRecordDelete());
  SetRecordDeletePrompt(QString::fromUtf8("Удалить запись?"));
  EXPECT_TRUE(ConfirmRecordDelete());
  EXPECT_EQ(dialogs.Questions, (QStringList{"Delete record?", QString::fromUtf8("Удалить запись?")}));
  SetRecordDeletePrompt("Delete record?");
}

}  // namespace
