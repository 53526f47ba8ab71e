#include "prescription/print_rp_frm.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "data/gateway.h"
#include "customer/customer_strip.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "messages.h"
#include "prescription/sheet_painter.h"

namespace tcm::ui {
namespace {

constexpr int kPictureWidth = 565;
constexpr int kPictureHeight = 665;
constexpr int kButtonRow = 40;

QPointer<TPrintRPFrm>& instance() {
  static QPointer<TPrintRPFrm> frm;
  return frm;
}

}  // namespace

TPrintRPFrm::TPrintRPFrm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("PrintRPFrm"));
  setWindowTitle(QStringLiteral("处方打印"));
  setFixedSize(kPictureWidth, kPictureHeight + kButtonRow);
  Img = makeSheetPicture(kPictureWidth, kPictureHeight);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  imgView = new QLabel(this);
  imgView->setObjectName(QStringLiteral("Img"));
  imgView->setFixedSize(kPictureWidth, kPictureHeight);
  imgView->setPixmap(QPixmap::fromImage(Img));
  root->addWidget(imgView);

  auto* row = new QHBoxLayout;
  row->setContentsMargins(8, 4, 8, 4);
  btnAdd = new QPushButton(QStringLiteral("打印"), this);
  btnAdd->setObjectName(QStringLiteral("btnAdd"));
  RzButton1 = new QPushButton(QStringLiteral("保存图片"), this);
  RzButton1->setObjectName(QStringLiteral("RzButton1"));
  for (QPushButton* b : {btnAdd, RzButton1}) {
    b->setFixedHeight(kButtonRow - 8);
    b->setCursor(Qt::PointingHandCursor);
    row->addWidget(b);
  }
  root->addLayout(row);
  connect(btnAdd, &QPushButton::clicked, this, &TPrintRPFrm::btnAddClick);
  connect(RzButton1, &QPushButton::clicked, this, &TPrintRPFrm::RzButton1Click);
}

QString TPrintRPFrm::pictureFile() const {
  return QDir(sheetContext().pictureDir).filePath(ID + QStringLiteral(".png"));
}

void TPrintRPFrm::redraw() {
  Img.fill(Qt::white);
  VPrintDF(LstObj, Fee, Img, Syn, UseUnit, UseUnitC);
  imgView->setPixmap(QPixmap::fromImage(Img));
}

void TPrintRPFrm::btnAddClick() { PrintDF(LstObj, Fee, Syn, UseUnit, UseUnitC); }

void TPrintRPFrm::RzButton1Click() {
  QString error;
  if (!savePicturePng(Img, pictureFile(), &error)) {
    if (Messages* m = sheetContext().messages) m->showCaptioned(QStringLiteral("错误"), error);
  }
}

bool savePicturePng(const QImage& picture, const QString& path, QString* error) {
  const QFileInfo target(path);
  const QString shown = QDir::toNativeSeparators(target.absoluteFilePath());
  if (!target.absoluteDir().exists()) {
    *error = QStringLiteral("保存图片失败：文件夹“%1”不存在").arg(QDir::toNativeSeparators(target.absolutePath()));
    return false;
  }
  // Written beside the target and renamed over it at the end, so a failed
  // write leaves the earlier picture (or nothing) in place.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    *error = QStringLiteral("保存图片失败：%1（%2）").arg(shown, file.errorString());
    return false;
  }
  if (!picture.save(&file, "PNG")) {
    file.cancelWriting();
    *error = QStringLiteral("保存图片失败：%1（%2）").arg(shown, file.errorString());
    return false;
  }
  if (!file.commit()) {
    *error = QStringLiteral("保存图片失败：%1（%2）").arg(shown, file.errorString());
    return false;
  }
  return true;
}

TPrintRPFrm* printRPFrm() { return instance().data(); }

void ShowPrintRPFrm(const tcm::PrintList& LstObj, const QString& Fee, const QString& Syn, const QString& UseUnit,
                    const QString& UseUnitC) {
  QPointer<TPrintRPFrm>& frm = instance();
  if (frm.isNull()) frm = new TPrintRPFrm(sheetContext().mainWindow.data());
  frm->LstObj = LstObj;
  frm->Fee = Fee;
  frm->Syn = Syn;
  const LoginState& login = loginState();
  frm->ID = sheetNow().date().toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-') + login.ShopId +
            QLatin1Char('-') + login.UserId;
  frm->UseUnit = UseUnit;
  frm->UseUnitC = UseUnitC;
  frm->redraw();
  if (frm->isVisible()) {
    frm->raise();  // already open, perhaps behind another window
    return;
  }
  if (QWidget* main = sheetContext().mainWindow.data())
    frm->move(main->frameGeometry().center() - QPoint(frm->width() / 2, frm->height() / 2));
  frm->show();
}

void registerMainSheetContext(TMainFrm* main, TDMServer& dm, Messages& messages) {
  SheetContext c;
  QPointer<TMainFrm> frm(main);
  c.customer = [frm]() {
    SheetCustomer s;
    if (!frm || !frm->tsAI) return s;
    const TIdentifyPage* page = frm->tsAI;
    s.visitNo = page->customer->MZNO;
    s.name = page->customer->edtPatName->text();
    s.gender = page->customer->edtGender->currentText();
    s.age = page->customer->edtAge->text();
    s.tel = page->customer->edtTel->text();
    return s;
  };
  c.messages = &messages;
  c.pictureDir = dm.settings().pictureDir();
  c.mainWindow = main;
  setSheetContext(std::move(c));
}

}  // namespace tcm::ui
