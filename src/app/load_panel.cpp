#include "load_panel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui_kit.h"

namespace tcm::ui {

TLoadPanel::TLoadPanel(QWidget* window) : QFrame(window) {
  setObjectName(QStringLiteral("pnlLoadData"));
  setFixedSize(380, 110);
  setStyleSheet(QStringLiteral("#pnlLoadData { background: white; border: 2px solid #037C6A; border-radius: 6px; }"));
  auto* layout = new QVBoxLayout(this);
  lblLoadCaption = new QLabel(QStringLiteral("   正在初始化数据..."), this);
  lblLoadCaption->setObjectName(QStringLiteral("lblLoadCaption"));
  lblLoadCaption->setStyleSheet(QStringLiteral("font-size: 16px; color: #037C6A;"));
  lblLoadCaption->setAlignment(Qt::AlignCenter);
  lblReload = new TPanel(QStringLiteral("[重新读取]"), this);
  lblReload->setObjectName(QStringLiteral("lblReload"));
  lblReload->setStyleSheet(QStringLiteral("font-size: 15px; color: #1E63A7; background: transparent;"));
  lblReload->hide();
  layout->addWidget(lblLoadCaption);
  layout->addWidget(lblReload, 0, Qt::AlignHCenter);
  hide();
}

void TLoadPanel::setCaption(const QString& caption) {
  lblLoadCaption->setText(caption);
  if (QWidget* w = parentWidget()) move((w->width() - width()) / 2, (w->height() - height()) / 2);
  raise();
  if (isVisible()) repaint();
}

QString TLoadPanel::caption() const { return lblLoadCaption->text(); }

void TLoadPanel::showCaption(const QString& caption) {
  // After a failed load the panel keeps "请重新读取数据" with its retry label.
  if (failed()) return;
  show();
  setCaption(caption);
}

void TLoadPanel::hideUnlessFailed() {
  if (!failed()) hide();
}

void TLoadPanel::showFailure(const QString& caption) {
  setCaption(caption);
  show();
  lblReload->show();
}

void TLoadPanel::clearFailure() {
  hide();
  lblReload->hide();
}

bool TLoadPanel::failed() const { return !lblReload->isHidden(); }

}  // namespace tcm::ui
