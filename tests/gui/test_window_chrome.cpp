// The window chrome: close controls of the window base and of the title strips,
// and the Chinese locale the client sets for Qt's own widgets and dialogs.
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QEnterEvent>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <functional>

#include "base_frm.h"
#include "test_support.h"
#include "ui_kit.h"

using namespace tcm::ui;

namespace {

QColor background(QWidget* w) { return w->palette().color(QPalette::Window); }

void hoverOver(QWidget* w) {
  QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
  QApplication::sendEvent(w, &enter);
}

}  // namespace

TEST(WindowChrome, CloseControlsLoseTheirHoverLookWhenShownAgain) {
  TBaseFrm base(QStringLiteral("说明"));
  TBaseFrm message(QStringLiteral("提示"), nullptr, 40, QColor(0x21, 0x73, 0x46));
  QWidget stripWindow;
  const TitleStrip strip = buildTitleStrip(&stripWindow, QStringLiteral("设置"), QStringLiteral("imgClose"));
  struct Case {
    const char* what;
    QWidget* window;
    TPanel* close;
    QColor away;  // the close control's background without the mouse
  } cases[] = {
      {"window base", &base, base.pnlBaseClose, QColor(0x05, 0xA6, 0x8D)},
      {"message box colours", &message, message.pnlBaseClose, QColor(0x05, 0xA6, 0x8D)},
      {"title strip", &stripWindow, strip.close, QColor(0x03, 0x7C, 0x6A)},
  };
  for (const Case& c : cases) {
    c.window->show();
    EXPECT_EQ(background(c.close), c.away) << c.what;
    hoverOver(c.close);
    EXPECT_EQ(background(c.close), QColor(0xFF, 0x00, 0x00)) << c.what;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(c.close, &leave);
    EXPECT_EQ(background(c.close), c.away) << c.what;
    // Closed with the mouse on the close control: no leave comes, yet it is
    // not red when the window is shown again.
    hoverOver(c.close);
    c.window->hide();
    c.window->show();
    EXPECT_EQ(background(c.close), c.away) << c.what;
    EXPECT_EQ(c.close->palette().color(QPalette::WindowText), QColor(Qt::white)) << c.what;
    c.window->hide();
  }
}

TEST(WindowChrome, ColoursAWindowSetForItsOwnStateSurviveShowing) {
  QWidget window;
  auto* tab = new TPanel(QStringLiteral("今日"), &window);
  tab->setHoverColors(QColor(0xE0, 0xF2, 0xEE), Qt::black, Qt::white, Qt::black);
  tab->setColors(QColor(0x03, 0x7C, 0x6A), Qt::white);  // a chosen tab
  window.show();
  window.hide();
  window.show();
  EXPECT_EQ(background(tab), QColor(0x03, 0x7C, 0x6A));
}

TEST(ChineseLocale, CalendarsAndQtsOwnDialogsSpeakChinese) {
  const QLocale before;
  QTranslator* qtTexts = useChineseLocale();
  struct Restore {
    QLocale locale;
    QTranslator* translator;
    ~Restore() {
      if (translator) QCoreApplication::removeTranslator(translator);
      delete translator;
      QLocale::setDefault(locale);
    }
  } restore{before, qtTexts};
  ASSERT_NE(qtTexts, nullptr) << "Qt's Chinese translation (qt6-translations-l10n) is missing";

  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("保存"));

  QDateEdit picker;
  picker.setCalendarPopup(true);
  picker.setDate(QDate(2026, 3, 14));
  QCalendarWidget* calendar = picker.calendarWidget();
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->locale().language(), QLocale::Chinese);
  EXPECT_EQ(calendar->locale().monthName(3), QStringLiteral("三月"));
  EXPECT_EQ(calendar->locale().dayName(6, QLocale::ShortFormat), QStringLiteral("周六"));
}
