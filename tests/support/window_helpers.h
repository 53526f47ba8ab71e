#pragma once
// Helpers of the window tests: pictures of the windows to look at, and picking
// a finding on the identification screen as the clerk's keyboard does.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QTest>
#include <QWidget>

#include "entry/identify_page.h"

namespace tcm::test {

// Saves a picture of `w` under TCM_SHOT_DIR when it is set.
inline void keepPicture(QWidget* w, const QString& name) {
  const QString dir = qEnvironmentVariable("TCM_SHOT_DIR");
  if (!dir.isEmpty()) w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Types `keys` (pinyin initials, or Chinese text) into the first search box and
// chooses `name` from the list with Enter.
inline void pickFinding(ui::TIdentifyPage* page, const QString& keys, const QString& name) {
  QLineEdit* edit = page->searchBoxes[0];
  if (edit->width() == 300) QTest::mouseClick(edit, Qt::LeftButton);
  edit->setFocus();
  edit->clear();
  if (keys.toLatin1() == keys.toUtf8())
    QTest::keyClicks(edit, keys);
  else
    edit->insert(keys);
  const QList<QListWidgetItem*> found = page->LstSym->findItems(name, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << name.toStdString();
  page->LstSym->setCurrentItem(found.first());
  QTest::keyClick(page->LstSym, Qt::Key_Return);
}

}  // namespace tcm::test
