#pragma once
// An inquiry page: answer buttons grouped under headings, one topic per
// window ("基础问诊", "舌脉", "妇科", "疾病"), or the questions of one disease in
// the floating window. Clicking an answer adds its finding to the selected set
// of the identification screen, clicking it again removes it; every answer
// re-runs the identification.
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "entry/inquiry.h"

class QFrame;
class QLabel;
class QScrollArea;

namespace tcm::ui {

class SymOptionHost;
class TPanel;
class TSelSymFra;

class TSymOptionFrm : public QWidget {
  Q_OBJECT
 public:
  enum class Mode {
    Docked,    // fills its page: no frame, no title strip
    Floating,  // the disease questions: 800 × 500, title strip, dragged by it, hidden on close
  };

  explicit TSymOptionFrm(SymOptionHost& host, QWidget* parent = nullptr, Mode mode = Mode::Docked);
  ~TSymOptionFrm() override;

  Mode mode() const { return mode_; }
  // Turns a docked window into the floating one (a top-level window over `parent()`).
  void makeFloating();
  // Places the floating window centred over `other` and shows it without blocking.
  void showCenteredOver(const QWidget* other);

  // Title strip (floating window only): caption and close picture.
  QFrame* pnlTitle = nullptr;
  QLabel* lblTitle = nullptr;
  TPanel* img1 = nullptr;
  // The scrolling answer area and the widget that holds the buttons.
  QScrollArea* cbSelSym = nullptr;
  QWidget* pnlOptions = nullptr;
  // 250 answer buttons "SelSymFra_1"… and 20 heading labels, made by CreateSelSym.
  QList<TSelSymFra*> ArrSelSym;
  QList<QLabel*> arrLblSelSym;
  // The topic captions; a window shows the one equal to CurrTabTitle.
  QStringList arrPnl;
  QString CurrTabTitle;
  // The deferred first load (10 ms, one shot); the opener starts it.
  QTimer* tmr1 = nullptr;

  // Makes the answer buttons and headings (once; later calls do nothing).
  void CreateSelSym();
  // Shows the topic page whose caption is `Title` (nothing happens for an unknown caption).
  void GetCurrTab(const QString& Title);
  // Loads and lays out one topic page from the remote database.
  void GetSign(const QString& topic);
  // Loads and lays out the questions of disease `fid` from the local database.
  void GetSymptomHint(const QString& title, const QString& fid);
  // Places one answer button: shown, its id, caption and follow-up tag set, width fitted.
  void SetSelSym(TSelSymFra* SelSymFra, const QString& id, int Left, int Top, const QString& childTag,
                 const QString& name);
  // A click on an answer (null: a click beside the buttons, which only re-runs).
  void AddSelSym(TSelSymFra* Obj);

  // The main window's clearing and removals: every answer / the answers of `id` not selected.
  void clearSelection();
  void unselectAnswer(const QString& id);
  // One scroll step (15 px) of the answer area, down or up.
  void scrollStep(bool down);
  // A wheel turn of `angleDelta` (QWheelEvent::angleDelta): one step per notch,
  // down for a turn towards the user.
  void wheelTurn(int angleDelta);

  // The answer button showing finding `id` (the first one), or null.
  TSelSymFra* answerById(const QString& id) const;
  // Rows left off the current page because the window had no room for them.
  int droppedRows() const { return layout_.droppedRows; }

 public Q_SLOTS:
  void tmr1Timer();
  void img1Click();

 Q_SIGNALS:
  // A page (topic or disease questions) has been loaded and laid out.
  void pageLoaded();

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Hides every heading and answer and shows them not selected; the topic
  // pages also hide the answers' help icons.
  void clearPage(bool clearHelp);
  void showRows(const QList<InquiryRow>& rows);
  void relayout();
  InquiryMetrics metrics() const;

  SymOptionHost& host_;
  Mode mode_ = Mode::Docked;
  QList<InquiryRow> rows_;
  InquiryLayout layout_;
  int laidOutWidth_ = -1;
  int pageGeneration_ = 0;  // counts page loads
  int wheelRest_ = 0;       // wheel turn not yet a whole notch
};

}  // namespace tcm::ui
