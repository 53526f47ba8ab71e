#pragma once
// "膳食/方剂记录": one customer's latest visits as date entries down the left,
// the chosen visit's findings, food and herbal texts on the right. It only
// shows; nothing typed into the text box is saved.
#include <QList>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;

namespace tcm {
class TDMServer;
class Messages;
}  // namespace tcm

namespace tcm::ui {

class TPanel;

class TPatMedFrm : public QWidget {
  Q_OBJECT
 public:
  TPatMedFrm(TDMServer& dm, Messages& messages, QWidget* parent = nullptr);

  int patId = 0;  // the customer shown; 0: none
  int MedId = 0;  // > 0: only this visit; back to 0 after each loading

  // Sets both, shows the window and starts tmr1.
  void openFor(int patId, int medId);

  // Date entry n (1–14): its panel (the coloured shape) and its label, whose
  // caption is the visit date and whose tag (property "medId") the visit's id.
  QList<QFrame*> arrPnlDt;
  QList<TPanel*> arrLblDt;
  QPlainTextEdit* edtMed = nullptr;
  QLabel* pnlLoadData = nullptr;
  TPanel* imgClose = nullptr;
  QTimer tmr1;

  // The visit id an entry stands for; the shape colour of an entry.
  static int entryMedId(const QWidget* entry);
  QColor entryColor(int index) const;  // 0-based

 public Q_SLOTS:
  void tmr1Timer();
  void lbl1Click(int index);  // 0-based entry
  void GetMed(int id);
  void imgCloseClick();

 private:
  void hideEntries();
  void setEntry(int index, int id, const QString& caption);
  void markEntries(const QString& caption);
  void showLoading(bool on);

  TDMServer& dm_;
  Messages& messages_;
};

}  // namespace tcm::ui
