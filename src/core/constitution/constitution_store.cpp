#include "constitution/constitution_store.h"

#include <QSqlQuery>
#include <algorithm>

#include "db/failure_cause.h"
#include "db/gateway.h"

namespace tcm {
namespace {

const char* const kColumns = "id,shopId,patId,MZNO,form,gender,answers,scores,judgement,wrDate";

QString dateTimeText(const QVariant& v) {
  if (v.metaType().id() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  return v.toString();
}

// Reads the rows of `q` (the columns of kColumns); false when a row cannot be read.
bool readRows(TDMServer& dm, QSqlQuery* q, QList<SavedConstitution>* out) {
  out->clear();
  if (!q) return false;
  bool readable = true;
  while (q->next()) {
    SavedConstitution s;
    s.id = q->value(0).toLongLong();
    s.shopId = q->value(1).toString();
    s.patId = q->value(2).toString();
    s.mzno = q->value(3).toString();
    ConstitutionForm form;
    if (!formFromKey(q->value(4).toString(), &form)) readable = false;
    s.gender = q->value(5).toString();
    if (!parseAnswersText(q->value(6).toString(), &s.answers)) readable = false;
    if (!parseScoresText(q->value(7).toString(), form, &s.result)) readable = false;
    s.result.line = q->value(8).toString();
    s.wrDate = dateTimeText(q->value(9));
    if (readable) out->append(s);
  }
  const bool whole = dm.rowsReadToEnd(*q);
  q->finish();
  return whole && readable;
}

bool newest(TDMServer& dm, const Sql& sql, std::optional<SavedConstitution>* out) {
  out->reset();
  QList<SavedConstitution> rows;
  if (!readRows(dm, dm.GetDB(sql, true), &rows)) return false;
  if (!rows.isEmpty()) *out = rows.first();
  return true;
}

}  // namespace

QString answersText(const ConstitutionAnswers& answers) {
  QStringList parts;
  for (auto it = answers.cbegin(); it != answers.cend(); ++it)
    parts << QStringLiteral("%1:%2").arg(it.key()).arg(it.value());
  return parts.join(QLatin1Char(','));
}

bool parseAnswersText(const QString& text, ConstitutionAnswers* out) {
  ConstitutionAnswers a;
  if (!text.isEmpty()) {
    for (const QString& part : text.split(QLatin1Char(','))) {
      const QStringList qa = part.split(QLatin1Char(':'));
      bool okQ = false, okA = false;
      const int question = qa.value(0).toInt(&okQ);
      const int answer = qa.value(1).toInt(&okA);
      if (qa.size() != 2 || !okQ || !okA || question <= 0 || answer < 1 || answer > 5) return false;
      a.insert(question, answer);
    }
  }
  *out = a;
  return true;
}

QString scoresText(const ConstitutionResult& result) {
  QStringList parts;
  for (const TypeScore& t : result.types) parts << t.type + QLatin1Char(':') + scoreText(result.form, t.score);
  return parts.join(QLatin1Char(','));
}

bool parseScoresText(const QString& text, ConstitutionForm form, ConstitutionResult* out) {
  ConstitutionResult r;
  r.form = form;
  QHash<QString, double> scores;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const QStringList ts = part.split(QLatin1Char(':'));
    bool ok = false;
    const double v = ts.value(1).toDouble(&ok);
    if (ts.size() != 2 || !ok || !constitutionTypes().contains(ts[0])) return false;
    scores.insert(ts[0], v);
  }
  for (const QString& type : constitutionTypes()) {
    if (!scores.contains(type)) return false;
    TypeScore t;
    t.type = type;
    t.score = scores.value(type);
    r.types << t;
  }
  judge(&r);
  *out = r;
  return true;
}

ConstitutionSave saveConstitution(TDMServer& dm, const SavedConstitution& s, const QDateTime& when) {
  ConstitutionSave out;
  bool shopOk = false, patOk = false;
  const qint64 shop = s.shopId.toLongLong(&shopOk);
  const qint64 pat = s.patId.toLongLong(&patOk);
  if (!shopOk || !patOk || pat <= 0) {
    out.message = QStringLiteral("未选择客户");
    return out;
  }
  dm.clearLastError();
  // The customer is read from the shop's own customers: one the shop does not
  // have leaves patId null and the database refuses the row.
  const std::optional<qint64> id = dm.InsertAndGetId(
      Sql(QStringLiteral("insert into constitution(shopId,patId,MZNO,form,gender,answers,scores,judgement,wrDate) "
                         "values(?,(select PatId from pat where shopId = ? and PatId = ?),?,?,?,?,?,?,?)"),
          {shop, shop, pat, s.mzno, formKey(s.result.form), s.gender, answersText(s.answers), scoresText(s.result),
           s.result.line, when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))}),
      QStringLiteral("id"), true);
  if (!id) {
    out.message = saveFailedMessage(dm);
    return out;
  }
  out.ok = true;
  out.id = *id;
  out.message = QStringLiteral("保存成功");
  return out;
}

bool constitutionHistory(TDMServer& dm, const QString& shopId, const QString& patId, QList<SavedConstitution>* out) {
  return readRows(dm,
                  dm.GetDB(Sql(QStringLiteral("select %1 from constitution where shopId = ? and patId = ? order by id")
                                   .arg(QLatin1String(kColumns)),
                               {shopId.toLongLong(), patId.toLongLong()}),
                           true),
                  out);
}

bool latestConstitution(TDMServer& dm, const QString& shopId, const QString& patId,
                        std::optional<SavedConstitution>* out) {
  return newest(dm,
                Sql(QStringLiteral("select top 1 %1 from constitution where shopId = ? and patId = ? order by id desc")
                        .arg(QLatin1String(kColumns)),
                    {shopId.toLongLong(), patId.toLongLong()}),
                out);
}

bool visitConstitution(TDMServer& dm, const QString& shopId, const QString& patId, const QString& mzno,
                       std::optional<SavedConstitution>* out) {
  return newest(dm,
                Sql(QStringLiteral("select top 1 %1 from constitution where shopId = ? and patId = ? and MZNO = ? "
                                   "order by id desc")
                        .arg(QLatin1String(kColumns)),
                    {shopId.toLongLong(), patId.toLongLong(), mzno}),
                out);
}

bool recordConstitution(TDMServer& dm, qint32 visitId, std::optional<SavedConstitution>* out) {
  return newest(dm,
                Sql(QStringLiteral("select top 1 c.id,c.shopId,c.patId,c.MZNO,c.form,c.gender,c.answers,c.scores,"
                                   "c.judgement,c.wrDate from constitution c, pat_med m where m.id = ? and "
                                   "c.shopId = m.shopId and c.patId = m.patId and c.MZNO = m.MZNO order by c.id desc"),
                    {visitId}),
                out);
}

QString constitutionSummary(const SavedConstitution& s) {
  QStringList scores;
  for (const TypeScore& t : s.result.types) scores << t.type + QLatin1Char(' ') + scoreText(s.result.form, t.score);
  return QStringLiteral("体质问卷（%1，%2）：%3\n%4")
      .arg(formCaption(s.result.form), s.wrDate, s.result.line, scores.join(QStringLiteral("　")));
}

QList<SavedConstitution> trendPoints(const QList<SavedConstitution>& history, ConstitutionForm form) {
  QList<SavedConstitution> out;
  for (const SavedConstitution& s : history) {
    if (s.result.form != form) continue;
    // A later save in the same visit replaces its earlier point.
    if (!out.isEmpty() && !s.mzno.isEmpty() && out.last().mzno == s.mzno) out.last() = s;
    else out << s;
  }
  return out;
}

}  // namespace tcm
