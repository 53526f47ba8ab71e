// The questionnaire reached from the real main window: the top bar's "体质问卷"
// and the customer strip's link open it for the current customer only; its
// save lands in the current visit, and that visit's sheet carries the chart.
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "../customer_details/details_fixture.h"
#include "constitution/constitution_frm.h"
#include "customer/customer_strip.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "prescription/sheet_painter.h"
#include "ui_kit.h"
#include "window_helpers.h"

using namespace tcm;
using namespace tcm::test;
using namespace tcm::ui;

namespace {

class ConstitutionFromMain : public DetailsFixture {
 protected:
  void SetUp() override {
    DetailsFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    loginState().clear();
    loginState().ShopId = "1";
    main = std::make_unique<TMainFrm>(*dm, messages);
    QSignalSpy loaded(main.get(), &TMainFrm::loadingFinished);
    main->show();
    ASSERT_TRUE(loaded.wait(10000));
  }
  void TearDown() override {
    main.reset();
    loginState().clear();
  }
  std::unique_ptr<TMainFrm> main;
};

TEST_P(ConstitutionFromMain, TopBarAndStripOpenItForTheCurrentCustomer) {
  // Without a customer both entries say so and open nothing.
  QTest::mouseClick(main->imgTZ, Qt::LeftButton);
  QTest::mouseClick(main->tsAI->customer->lblTZ, Qt::LeftButton);
  EXPECT_EQ(messages.messages, QStringList(2, QStringLiteral("未选择客户")));
  EXPECT_TRUE(main->findChildren<TConstitutionFrm*>().isEmpty());

  const qint64 chen = addCustomer(1, QStringLiteral("陈二"), QStringLiteral("男"), "70", "13900001234");
  main->makeCurrent({QString::number(chen), QStringLiteral("陈二"), QStringLiteral("男"), "70", "13900001234"},
                    CustomerHost::Visit::Keep);
  main->resize(1366, 768);
  keepPicture(main.get(), QStringLiteral("constitution_main_entry"));
  QTest::mouseClick(main->tsAI->customer->lblTZ, Qt::LeftButton);
  TConstitutionFrm& frm = main->constitutionFrm();
  ASSERT_TRUE(frm.isVisible());
  EXPECT_EQ(frm.form(), ConstitutionForm::Elderly);  // 70: the elderly form
  const QString visit = main->currentMZNO();
  EXPECT_EQ(visit.size(), 19);  // the visit got its number on opening
  for (int place = 0; place < frm.questions().size(); ++place) frm.answerAt(place, 3);
  frm.pnlSaveClick();
  EXPECT_EQ(messages.messages.last(), QStringLiteral("保存成功"));
  std::optional<SavedConstitution> saved;
  ASSERT_TRUE(visitConstitution(*dm, QStringLiteral("1"), QString::number(chen), visit, &saved));
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->result.form, ConstitutionForm::Elderly);

  // The top bar opens the same window for the same customer, answers kept.
  frm.close();
  QTest::mouseClick(main->imgTZ, Qt::LeftButton);
  EXPECT_TRUE(frm.isVisible());
  EXPECT_EQ(frm.answers().size(), 33);

  // The main window's sheet of this visit carries the judgement and the chart.
  QImage img = makeSheetPicture();
  SheetLayout drawn;
  ASSERT_TRUE(VPrintDF({}, QStringLiteral("0.0"), img, QString(), QStringLiteral("店"), QStringLiteral("汤方"), &drawn));
  ASSERT_TRUE(drawn.chart.has_value());
  QStringList judgement;
  for (const SheetText& t : drawn.texts)
    if (t.text.startsWith(QStringLiteral("体质问卷判定："))) judgement << t.text;
  EXPECT_EQ(judgement, QStringList{QStringLiteral("体质问卷判定：") + saved->result.line});
}

INSTANTIATE_TEST_SUITE_P(Databases, ConstitutionFromMain, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
