#include "app_messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "main_frm.h"

namespace tcm::ui {
namespace {

// The platform's box with the buttons captioned in Chinese.
QMessageBox::StandardButton plainBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                     bool withCancel) {
  QMessageBox box(icon, title, text, QMessageBox::Ok | (withCancel ? QMessageBox::Cancel : QMessageBox::NoButton),
                  QApplication::activeWindow());
  box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  if (withCancel) box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
  box.setDefaultButton(QMessageBox::Ok);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void AppMessages::showMessage(const QString& text) {
  if (main_) {
    main_->ShowMessage(text);
    return;
  }
  plainBox(QMessageBox::Information, QStringLiteral("提示"), text, false);
}

void AppMessages::showDbError(const QString& text) {
  plainBox(QMessageBox::Warning, QStringLiteral("数据库错误"), text, false);
}

void AppMessages::showCaptioned(const QString& caption, const QString& text) {
  plainBox(QMessageBox::Warning, caption, text, false);
}

bool AppMessages::askOkCancel(const QString& title, const QString& text) {
  return plainBox(QMessageBox::Question, title, text, true) == QMessageBox::Ok;
}

int AppMessages::askChoice(const QString& title, const QString& text, const QStringList& choices, int defaultChoice) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, QApplication::activeWindow());
  QList<QAbstractButton*> buttons;
  for (const QString& choice : choices) {
    const bool cancel = choice == QStringLiteral("取消");
    buttons << box.addButton(choice, cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (cancel) box.setEscapeButton(buttons.last());  // Escape is the cancel
  }
  if (defaultChoice >= 0 && defaultChoice < buttons.size())
    box.setDefaultButton(static_cast<QPushButton*>(buttons[defaultChoice]));
  box.exec();
  return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

}  // namespace tcm::ui
