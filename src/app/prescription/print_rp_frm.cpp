#include "prescription/print_rp_frm.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "constitution/constitution_store.h"
#include "db/gateway.h"
#include "customer/customer_strip.h"
#include "entry/identify_page.h"
#include "login/login_state.h"
#include "main_frm.h"
#include "messages.h"
#include "prescription/sheet_layout.h"
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
  btnPreview = new QPushButton(QStringLiteral("打印预览"), this);
  btnPreview->setObjectName(QStringLiteral("btnPreview"));
  btnPdf = new QPushButton(QStringLiteral("导出PDF"), this);
  btnPdf->setObjectName(QStringLiteral("btnPdf"));
  for (QPushButton* b : {btnPreview, btnAdd, RzButton1, btnPdf}) {
    b->setFixedHeight(kButtonRow - 8);
    b->setCursor(Qt::PointingHandCursor);
    row->addWidget(b);
  }
  root->addLayout(row);
  connect(btnAdd, &QPushButton::clicked, this, &TPrintRPFrm::btnAddClick);
  connect(RzButton1, &QPushButton::clicked, this, &TPrintRPFrm::RzButton1Click);
  connect(btnPreview, &QPushButton::clicked, this, &TPrintRPFrm::btnPreviewClick);
  connect(btnPdf, &QPushButton::clicked, this, &TPrintRPFrm::btnPdfClick);
}

QString TPrintRPFrm::pictureFile() const { return freeSheetPicturePath(sheetContext().pictureDir, ID); }

void TPrintRPFrm::redraw() {
  Img.fill(Qt::white);
  VPrintDF(LstObj, Fee, Img, Syn, UseUnit, UseUnitC, &drawn);
  imgView->setPixmap(QPixmap::fromImage(Img));
}

void TPrintRPFrm::btnAddClick() { PrintDF(LstObj, Fee, Syn, UseUnit, UseUnitC); }

void TPrintRPFrm::RzButton1Click() {
  Messages* m = sheetContext().messages;
  QString written, error;
  if (!savePicturePng(Img, sheetContext().pictureDir, ID, &written, &error)) {
    if (m) m->showCaptioned(QStringLiteral("错误"), error);
    return;
  }
  if (m) m->showCaptioned(QStringLiteral("提示"), QStringLiteral("图片已保存：%1").arg(QDir::toNativeSeparators(written)));
}

void TPrintRPFrm::btnPreviewClick() { PreviewDF(LstObj, Fee, Syn, UseUnit, UseUnitC, this); }

void TPrintRPFrm::btnPdfClick() {
  Messages* m = sheetContext().messages;
  QString written, error;
  const QByteArray pdf = sheetPdf(LstObj, Fee, Syn, UseUnit, UseUnitC);
  const bool saved = pdf.isEmpty() ? (error = QStringLiteral("导出PDF失败：处方单无法生成PDF"), false)
                                   : saveNewSheetFile(pdf, sheetContext().pictureDir, ID, QStringLiteral("pdf"),
                                                      QStringLiteral("导出PDF失败"), &written, &error);
  if (!saved) {
    if (m) m->showCaptioned(QStringLiteral("错误"), error);
    return;
  }
  if (m) m->showCaptioned(QStringLiteral("提示"), QStringLiteral("PDF已导出：%1").arg(QDir::toNativeSeparators(written)));
}

bool savePicturePng(const QImage& picture, const QString& dir, const QString& stem, QString* written,
                    QString* error) {
  // Encoded first, so a failing encoder touches no file.
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
    *error = QStringLiteral("保存图片失败：图片无法编码为PNG");
    return false;
  }
  return saveNewSheetFile(png, dir, stem, QStringLiteral("png"), QStringLiteral("保存图片失败"), written, error);
}

bool saveNewSheetFile(const QByteArray& bytes, const QString& dir, const QString& stem, const QString& suffix,
                      const QString& failure, QString* written, QString* error) {
  const QFileInfo folder(dir);
  const QString shownDir = QDir::toNativeSeparators(folder.absoluteFilePath());
  if (!folder.isDir()) {
    *error = QStringLiteral("%1：文件夹“%2”不存在").arg(failure, shownDir);
    return false;
  }
  const QString kind = suffix == QLatin1String("png") ? QStringLiteral("图片名") : QStringLiteral("文件名");
  // The name is only claimed by creating the file (it must not exist yet), so
  // a file another window saved a moment ago is never replaced: the next free
  // name is taken instead.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString target = freeSheetFilePath(dir, stem, suffix);
    if (target.isEmpty()) {
      *error = QStringLiteral("%1：文件夹“%2”中“%3”的%4已用完").arg(failure, shownDir, stem, kind);
      return false;
    }
    const QString shown = QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath());
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) continue;
      *error = QStringLiteral("%1：%2（%3）").arg(failure, shown, file.errorString());
      return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
      *error = QStringLiteral("%1：%2（%3）").arg(failure, shown, file.errorString());
      file.close();
      file.remove();  // this save's own half-written file
      return false;
    }
    file.close();
    *written = QFileInfo(target).absoluteFilePath();
    return true;
  }
  *error = QStringLiteral("%1：文件夹“%2”中没有空闲的%3").arg(failure, shownDir, kind);
  return false;
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
    // The visit gets its number from its first sheet, as from its first save.
    s.visitNo = page->customer->hasCustomer() ? page->customer->ensureMZNO() : page->customer->MZNO;
    s.name = page->customer->edtPatName->text();
    s.gender = page->customer->edtGender->currentText();
    s.age = page->customer->edtAge->text();
    s.tel = page->customer->edtTel->text();
    return s;
  };
  c.constitution = [frm, &dm]() -> std::optional<ConstitutionResult> {
    if (!frm || !frm->tsAI || !frm->tsAI->customer->hasCustomer() || frm->tsAI->customer->MZNO.isEmpty())
      return std::nullopt;
    std::optional<SavedConstitution> saved;
    if (!visitConstitution(dm, loginState().ShopId, frm->tsAI->customer->PatId, frm->tsAI->customer->MZNO, &saved) ||
        !saved)
      return std::nullopt;
    return saved->result;
  };
  c.messages = &messages;
  c.pictureDir = dm.settings().pictureDir();
  c.mainWindow = main;
  setSheetContext(std::move(c));
}

}  // namespace tcm::ui
