#include "app_messages.h"

#include <QApplication>
#include <QMessageBox>

#include "main_frm.h"

namespace tcm::ui {

void AppMessages::showMessage(const QString& text) {
  if (main_) {
    main_->ShowMessage(text);
    return;
  }
  QMessageBox::information(QApplication::activeWindow(), QStringLiteral("提示"), text);
}

void AppMessages::showDbError(const QString& text) {
  QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("数据库错误"), text, QMessageBox::Ok);
}

bool AppMessages::askOkCancel(const QString& title, const QString& text) {
  return QMessageBox::question(QApplication::activeWindow(), title, text, QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok) == QMessageBox::Ok;
}

}  // namespace tcm::ui
