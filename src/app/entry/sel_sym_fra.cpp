#include "entry/sel_sym_fra.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace tcm::ui {
namespace {

constexpr int kHeight = 30;
constexpr int kPad = 10;

QPixmap plusIcon(const QColor& color) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(color, 1.6));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.drawLine(QPointF(8, 4.5), QPointF(8, 11.5));
  p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
  return pm;
}

}  // namespace

TSelSymFra::TSelSymFra(QWidget* parent) : QFrame(parent) {
  setFixedHeight(kHeight);
  setCursor(Qt::PointingHandCursor);
  shp1 = new QFrame(this);
  shp1->setObjectName(QStringLiteral("shp1"));
  shp1->setAttribute(Qt::WA_TransparentForMouseEvents);
  lblName = new QLabel(this);
  lblName->setObjectName(QStringLiteral("lblName"));
  lblName->move(kPad, 0);
  lblName->setFixedHeight(kHeight);
  imgAdd = new QLabel(this);
  imgAdd->setObjectName(QStringLiteral("imgAdd"));
  imgAdd->setPixmap(plusIcon(Qt::white));
  imgAdd1 = new QLabel(this);
  imgAdd1->setObjectName(QStringLiteral("imgAdd1"));
  imgAdd1->setPixmap(plusIcon(QColor(0xFF, 0xE0, 0x82)));
  imgHelp = new QLabel(QStringLiteral("?"), this);
  imgHelp->setObjectName(QStringLiteral("imgHelp"));
  for (QLabel* icon : {imgAdd, imgAdd1, imgHelp}) {
    icon->setFixedSize(16, 16);
    icon->hide();
    icon->installEventFilter(this);
  }
  lblName->installEventFilter(this);
  applyLook();
}

void TSelSymFra::setCaption(const QString& caption) {
  lblName->setText(caption);
  fitWidth();
}

QString TSelSymFra::caption() const { return lblName->text(); }

void TSelSymFra::fitWidth() {
  const int textWidth = QFontMetrics(lblName->font()).horizontalAdvance(lblName->text());
  lblName->setFixedWidth(textWidth + 2);
  int right = kPad + textWidth + 2;
  for (QLabel* icon : {imgAdd, imgHelp}) {
    if (icon->isHidden()) continue;
    icon->move(right + kPad, (kHeight - 16) / 2);
    right += kPad + icon->width();
  }
  imgAdd1->move(imgAdd->pos());
  setFixedWidth(right + kPad);
  shp1->setGeometry(rect());
}

void TSelSymFra::setAddIconVisible(bool visible) {
  imgAdd->setVisible(visible);
  imgAdd1->hide();
  fitWidth();
}

void TSelSymFra::setSelected(bool selected) {
  answerStyle_ = true;
  selected_ = selected;
  applyLook();
}

void TSelSymFra::setPrimaryLook(bool primary) {
  answerStyle_ = false;
  primary_ = primary;
  applyLook();
}

void TSelSymFra::applyLook() {
  QString bg, fg, border;
  if (answerStyle_) {
    bg = selected_ ? QStringLiteral("#D9D9D9") : QStringLiteral("#FFFFFF");
    fg = selected_ ? QStringLiteral("#037C6A") : QStringLiteral("#333333");
    border = selected_ ? QStringLiteral("#A8A8A8") : QStringLiteral("#CFCFCF");
  } else {
    bg = primary_ ? QStringLiteral("#037C6A") : QStringLiteral("#EFEFEF");
    fg = primary_ ? QStringLiteral("#FFFFFF") : QStringLiteral("#333333");
    border = primary_ ? QStringLiteral("#037C6A") : QStringLiteral("#DADADA");
  }
  shp1->setStyleSheet(QStringLiteral("#shp1 { background: %1; border: 1px solid %2; border-radius: 15px; }").arg(bg, border));
  lblName->setStyleSheet(QStringLiteral("color: %1; font-size: 14px; background: transparent;").arg(fg));
  imgHelp->setStyleSheet(QStringLiteral("color: %1; font-size: 12px;").arg(fg));
}

void TSelSymFra::enableDeleteMenu() {
  if (menu_) return;
  menu_ = new QMenu(this);
  QAction* N2 = menu_->addAction(QStringLiteral("删除"));
  connect(N2, &QAction::triggered, this, [this] { Q_EMIT deleteRequested(this); });
  setContextMenuPolicy(Qt::DefaultContextMenu);
}

bool TSelSymFra::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgAdd || watched == imgAdd1) {
    if (event->type() == QEvent::Enter && imgAdd->isVisible()) {
      imgAdd1->show();
      imgAdd1->raise();
    } else if (event->type() == QEvent::Leave) {
      imgAdd1->hide();
    } else if (event->type() == QEvent::MouseButtonRelease) {
      Q_EMIT addClicked(this);
      return true;
    }
  } else if (watched == lblName && event->type() == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Q_EMIT captionClicked(this);
    return true;
  } else if (event->type() == QEvent::ContextMenu && menu_) {
    menu_->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

void TSelSymFra::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) Q_EMIT panelClicked(this);
  QFrame::mouseReleaseEvent(e);
}

}  // namespace tcm::ui
