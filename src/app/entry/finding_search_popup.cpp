#include "entry/finding_search_popup.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui_kit.h"

namespace tcm::ui {

TFindingSearchPopup::TFindingSearchPopup(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("pnlSearch"));
  setStyleSheet(QStringLiteral("#pnlSearch { background: white; border: 1px solid #037C6A; border-radius: 4px; }"
                               "QListWidget { border: none; font-size: 14px; }"
                               "QListWidget::item { height: 26px; }"
                               "QListWidget::item:selected { background: #037C6A; color: white; }"));
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(2, 2, 2, 2);
  v->setSpacing(0);
  edtSymName = new QLineEdit(this);
  edtSymName->setObjectName(QStringLiteral("edtSymName"));
  edtSymName->hide();
  LstSym = new QListWidget(this);
  LstSym->setObjectName(QStringLiteral("LstSym"));
  lblCloseSrc = new TPanel(QStringLiteral("关闭"), this);
  lblCloseSrc->setObjectName(QStringLiteral("lblCloseSrc"));
  lblCloseSrc->setStyleSheet(QStringLiteral("color: #1E63A7; background: transparent; padding: 2px 6px;"));
  v->addWidget(LstSym, 1);
  v->addWidget(lblCloseSrc, 0, Qt::AlignRight);
  resize(220, 300);
  hide();
  connect(LstSym, &QListWidget::itemDoubleClicked, this, [this] { Q_EMIT lineChosen(); });
  LstSym->installEventFilter(this);
  connect(lblCloseSrc, &TPanel::clicked, this, &TFindingSearchPopup::closePopup);
}

void TFindingSearchPopup::showHits(const QList<SearchHit>& hits) {
  // One repaint for the whole list, however many lines it gets.
  LstSym->setUpdatesEnabled(false);
  LstSym->clear();
  for (const SearchHit& hit : hits) {
    auto* item = new QListWidgetItem(hit.name, LstSym);
    item->setData(Qt::UserRole, hit.entry.id);
    item->setData(Qt::UserRole + 1, hit.entry.classId);
    item->setData(Qt::UserRole + 2, hit.entry.mutex);
  }
  LstSym->setUpdatesEnabled(true);
}

void TFindingSearchPopup::placeUnder(const QPoint& boxBottomLeft, const QRect& area) {
  int left = boxBottomLeft.x() + 40;
  if (left + width() > area.right() - 5) left = area.right() - width();
  move(left, boxBottomLeft.y());
  show();
  raise();
}

void TFindingSearchPopup::closePopup() {
  edtSymName->clear();
  hide();
}

void TFindingSearchPopup::clearAndHide() {
  LstSym->clear();
  hide();
}

std::optional<OfferedFinding> TFindingSearchPopup::currentLine() const {
  const QListWidgetItem* item = LstSym->currentItem();
  if (!item) return std::nullopt;
  return OfferedFinding{item->data(Qt::UserRole).toString(), item->data(Qt::UserRole + 1).toString(),
                        item->data(Qt::UserRole + 2).toString(), item->text()};
}

int TFindingSearchPopup::lineCount() const { return LstSym->count(); }

void TFindingSearchPopup::focusFirstLine() {
  LstSym->setFocus();
  if (LstSym->count() > 0) LstSym->setCurrentRow(0);
}

bool TFindingSearchPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LstSym && event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      Q_EMIT lineChosen();
      return true;
    }
    if (ke->key() == Qt::Key_Escape) {
      closePopup();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tcm::ui
