// tcmcare-admin constitution: one person's questionnaire scored and judged as the
// standard prescribes, from the answers of each type or from the scores alone.
#include <QHash>

#include "commands.h"
#include "constitution/questionnaire.h"
#include "text/item_list.h"

namespace tcm::cli {
namespace {

struct ConstitutionOptions {
  ConstitutionForm form = ConstitutionForm::Standard;
  QString gender;
  QStringList answers;  // "平和质=5,1,2,…", one per type
  QString scores;       // "平和质=75,气虚质=56,…"
  bool hasAnswers = false, hasScores = false;
};

QString readOptions(const QStringList& args, ConstitutionOptions* o) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& option = args[i];
    const bool takesValue = option == QLatin1String("--form") || option == QLatin1String("--gender") ||
                            option == QLatin1String("--answers") || option == QLatin1String("--scores");
    if (!takesValue)
      return option.startsWith(QLatin1Char('-')) ? QStringLiteral("未知选项：%1").arg(option)
                                                 : QStringLiteral("多余的参数：%1").arg(option);
    if (i + 1 >= args.size()) return QStringLiteral("选项 %1 缺少取值").arg(option);
    if (option == QLatin1String("--form")) {
      if (!formFromKey(args[++i], &o->form)) return QStringLiteral("--form 只能是 standard 或 elderly：%1").arg(args[i]);
    } else if (option == QLatin1String("--gender")) {
      o->gender = args[++i];
      if (o->gender != QStringLiteral("男") && o->gender != QStringLiteral("女"))
        return QStringLiteral("--gender 只能是 男 或 女：%1").arg(o->gender);
    } else if (option == QLatin1String("--scores")) {
      o->hasScores = true;
      o->scores = args[++i];
    } else {  // --answers: every following argument up to the next option
      o->hasAnswers = true;
      while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"))) o->answers << args[++i];
    }
  }
  if (o->hasAnswers == o->hasScores) return QStringLiteral("请给出 --answers 或 --scores 之一");
  return {};
}

// "平和质=…" split at "="; the reason when the type is unknown or given twice.
QString typeAndValue(const QString& arg, const QStringList& seen, QString* type, QString* value) {
  const qsizetype eq = arg.indexOf(QLatin1Char('='));
  if (eq <= 0) return QStringLiteral("应写成 体质=取值：%1").arg(arg);
  *type = arg.left(eq).trimmed();
  *value = arg.mid(eq + 1);
  if (!constitutionTypes().contains(*type)) return QStringLiteral("未知体质：%1").arg(*type);
  if (seen.contains(*type)) return QStringLiteral("%1给出了两次").arg(*type);
  return {};
}

QString fromAnswers(const ConstitutionOptions& o, ConstitutionResult* r) {
  const Questionnaire& q = Questionnaire::of(o.form);
  QStringList seen;
  QHash<QString, TypeScore> scores;
  for (const QString& arg : o.answers) {
    QString type, value;
    if (QString why = typeAndValue(arg, seen, &type, &value); !why.isEmpty()) return why;
    seen << type;
    QList<int> answers;
    for (const QString& item : splitItems(value)) {
      bool ok = false;
      const int a = item.toInt(&ok);
      if (!ok || a < 1 || a > 5) return QStringLiteral("%1的答案“%2”不在 1–5 之内").arg(type, item);
      answers << a;
    }
    QString error;
    if (!scoreType(q, type, o.gender, answers, &scores[type], &error)) return error;
  }
  for (const QString& type : constitutionTypes()) {
    if (!scores.contains(type)) return QStringLiteral("缺少%1的答案").arg(type);
    r->types << scores.value(type);
  }
  return {};
}

QString fromScores(const ConstitutionOptions& o, ConstitutionResult* r) {
  QStringList seen;
  QHash<QString, double> given;
  for (const QString& arg : splitItems(o.scores)) {
    QString type, value;
    if (QString why = typeAndValue(arg, seen, &type, &value); !why.isEmpty()) return why;
    seen << type;
    bool ok = false;
    const double v = value.toDouble(&ok);
    const double top = o.form == ConstitutionForm::Elderly ? 25 : 100;
    if (!ok || v < 0 || v > top) return QStringLiteral("%1的分数“%2”不在 0–%3 之内").arg(type, value).arg(top);
    given.insert(type, v);
  }
  for (const QString& type : constitutionTypes()) {
    if (!given.contains(type)) return QStringLiteral("缺少%1的分数").arg(type);
    TypeScore t;
    t.type = type;
    t.score = given.value(type);
    r->types << t;
  }
  return {};
}

}  // namespace

int cmdConstitution(const QStringList& args, Io io) {
  ConstitutionOptions o;
  QString why = readOptions(args, &o);
  ConstitutionResult r;
  r.form = o.form;
  if (why.isEmpty()) why = o.hasAnswers ? fromAnswers(o, &r) : fromScores(o, &r);
  if (!why.isEmpty()) {
    io.err << why << "\n";
    return 2;
  }
  judge(&r);
  const bool elderly = o.form == ConstitutionForm::Elderly;
  for (const TypeScore& t : r.types) {
    // The elderly form judges the sum itself: it shows as the raw score.
    const QString raw = elderly ? scoreText(o.form, t.score) : t.hasRaw ? QString::number(t.raw) : QString();
    const QString transformed = elderly ? QString() : scoreText(o.form, t.score);
    io.out << t.type << '\t' << raw << '\t' << transformed << '\t' << verdictText(t.verdict) << "\n";
  }
  io.out << "判定：" << r.line << "\n";
  return 0;
}

}  // namespace tcm::cli
