#pragma once
// One row of the customer list and of the visit-record list: a strip of
// labels (name … date, then the row's actions), its customer id and, in the
// visit list, the visit's id. The header row of both lists is a row too.
#include <QFrame>
#include <QList>

class QLabel;

namespace tcm {
struct TPatList;
}

namespace tcm::ui {

class TPanel;

class TPatListFrame : public QFrame {
  Q_OBJECT
 public:
  explicit TPatListFrame(QWidget* parent = nullptr);

  QLabel* lblPatName = nullptr;
  QLabel* lblGender = nullptr;
  QLabel* lblBirthday = nullptr;
  QLabel* lblTel = nullptr;
  QLabel* lblBodyType = nullptr;
  TPanel* lblDisease = nullptr;
  QLabel* lblAddress = nullptr;
  QLabel* lblDate = nullptr;
  TPanel* lblView = nullptr;  // "药膳方案"
  QLabel* lblVIP = nullptr;   // not used
  TPanel* Label1 = nullptr;   // "AI辨识", hidden unless a list shows it
  TPanel* Label2 = nullptr;   // "修改", hidden unless a list shows it

  qint32 PatId = 0;
  QString outpatNum;  // not used
  qint32 medId = 0;   // the visit list: the row's visit id
  int keptIndex = -1;  // the kept row shown here

  // Every label of the row, in order.
  QList<QLabel*> labels() const;
  // Centres the labels vertically.
  void Init();
  // The one column that takes the row's spare width (the address by default);
  // the others keep their widths, `fixedWidth` becomes the former one's.
  void setWideColumn(QLabel* wide, int fixedWidth);

 public Q_SLOTS:
  void lblViewMouseEnter();
  void lblViewMouseLeave();

 Q_SIGNALS:
  void viewClicked(TPatListFrame* row);
  void aiClicked(TPatListFrame* row);
  void editClicked(TPatListFrame* row);
  void diseaseClicked(TPatListFrame* row);

 private:
  void setUnderline(QObject* label, bool on);
  QLabel* wide_ = nullptr;
};

}  // namespace tcm::ui
