// The textbook cases, identified the way the main window does it on the seed
// knowledge base written into real databases: names looked up in the loaded
// vocabulary, the knowledge table loaded from syn_food, negative findings read
// from the local table.
#include <QFile>
#include <QHash>

#include "kb/knowledge_loader.h"
#include "engine/identification.h"
#include "entry/vocabulary.h"
#include "result/recommendations.h"
#include "test_support.h"
#include "text/csv.h"
#include "text/item_list.h"

using namespace tcm;
using namespace tcm::test;

namespace {

struct TextbookCase {
  int line = 0;
  QString constitution, gender, age;
  QStringList findings;
  QString primary;  // the finding the clerk marks as chief complaint; empty for none
};

QList<TextbookCase> readCases(QString* error) {
  QFile f(QStringLiteral(TCM_CASES));
  if (!f.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read ") + f.fileName();
    return {};
  }
  const CsvTable t = parseCsv(QString::fromUtf8(f.readAll()));
  QList<TextbookCase> cases;
  for (qsizetype r = 0; r < t.rows.size(); ++r) {
    TextbookCase c;
    c.line = t.lineNumbers[r];
    c.constitution = t.field(r, QStringLiteral("constitution"));
    c.gender = t.field(r, QStringLiteral("gender"));
    c.age = t.field(r, QStringLiteral("age"));
    c.findings = splitItems(t.field(r, QStringLiteral("findings")), QLatin1Char('|'));
    c.primary = t.field(r, QStringLiteral("primary"));
    cases << c;
  }
  return cases;
}

QString ranking(const QList<TIll>& results) {
  QStringList parts;
  for (const TIll& ill : results) parts << QStringLiteral("%1(%2)").arg(ill.Name).arg(ill.SymWeight);
  return parts.join(QStringLiteral(", "));
}

class TextbookCases : public ::testing::TestWithParam<RemoteKind> {
 protected:
  void SetUp() override {
    folder = std::make_unique<DataFolder>(GetParam(), /*withKnowledge=*/true);
    TCM_REQUIRE_FOLDER(*folder);
    dm = folder->server(&messages);
    ASSERT_EQ(LoadData(*dm), LoadResult::Loaded);
    AliasList aliases;
    GetAliases(*dm, &aliases);
    for (const AliasItem& item : aliases) byName.insert(item.entry.name, item.entry);
    ASSERT_FALSE(byName.isEmpty());
  }

  // The findings of a case as the selected set holds them, looked up by name.
  QList<SelectedFinding> selected(const TextbookCase& c) {
    QList<SelectedFinding> out;
    for (const QString& name : c.findings) {
      const auto it = byName.constFind(name);
      EXPECT_NE(it, byName.constEnd()) << "line " << c.line << ": " << name.toStdString() << " is not in the vocabulary";
      if (it != byName.constEnd()) out << SelectedFinding{it->id, it->classId};
    }
    return out;
  }

  RecordingMessages messages;
  std::unique_ptr<DataFolder> folder;
  std::unique_ptr<TDMServer> dm;
  QHash<QString, TAliease> byName;
};

TEST_P(TextbookCases, EachCaseRanksItsConstitutionFirst) {
  QString error;
  const QList<TextbookCase> cases = readCases(&error);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  ASSERT_GE(cases.size(), 42);  // at least one case per syndrome of the seed
  const SyndromeIndex index(dm->knowledge());
  QSet<QString> constitutions;
  int withPrimary = 0, byDietRule = 0;
  for (const TextbookCase& c : cases) {
    IdentificationInput input;
    input.codes = GetCodeList(selected(c));
    input.genderBox = c.gender;
    input.ageBox = c.age;
    if (!c.primary.isEmpty()) {
      ++withPrimary;
      ASSERT_TRUE(c.findings.contains(c.primary)) << "line " << c.line;
      input.primaryId = byName.value(c.primary).id;
      ASSERT_FALSE(input.primaryId.isEmpty()) << "line " << c.line;
    }
    // As on the panel: the diet rules of the primary finding first, read from the database.
    std::optional<DietRuleMatch> rule;
    const Identification id = Ai(index, *dm, input, [&](const QString& primaryCode, const QString& symIds) {
      rule = GetFoodGrp(*dm, primaryCode, symIds);
      return rule ? rule->pre : QString();
    });
    if (id.outcome == IdentificationOutcome::DietRule) {
      ++byDietRule;
      EXPECT_EQ(rule->synName, c.constitution) << "line " << c.line;
      continue;
    }
    // A chief complaint keeps the case's type in the run: no fallback without it.
    ASSERT_EQ(id.outcome, IdentificationOutcome::Ranked) << "line " << c.line << ": " << id.error.toStdString();
    ASSERT_FALSE(id.results.isEmpty());
    EXPECT_EQ(id.results.first().Name, c.constitution)
        << "line " << c.line << " ranks " << ranking(id.results).toStdString();
    EXPECT_GE(id.results.first().SymWeight, kOutPreLmt);
    constitutions.insert(c.constitution);
  }
  // The chief-complaint cases of the table are there, and two of them are answered by a diet rule.
  EXPECT_GE(withPrimary, 15);
  EXPECT_EQ(byDietRule, 2);
  EXPECT_TRUE(messages.dbErrors.isEmpty()) << messages.dbErrors.join('\n').toStdString();
  // Every open syndrome of the knowledge table has a case.
  for (const TDisease& d : dm->knowledge()->records())
    if (d.Id != 0) {
      EXPECT_TRUE(constitutions.contains(d.Name)) << d.Name.toStdString() << " has no textbook case";
    }
}

// Pulse findings never reach the engine: a case with and without its pulse
// gives the same result and the same score.
TEST_P(TextbookCases, PulseDoesNotChangeTheResult) {
  QString error;
  const QList<TextbookCase> cases = readCases(&error);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  const SyndromeIndex index(dm->knowledge());
  int withPulse = 0;
  for (const TextbookCase& c : cases) {
    QList<SelectedFinding> all = selected(c);
    QList<SelectedFinding> noPulse;
    for (const SelectedFinding& f : all)
      if (f.classId != QLatin1String(kClassPulse)) noPulse << f;
    if (noPulse.size() == all.size()) continue;
    ++withPulse;
    IdentificationInput a{GetCodeList(all), QString(), c.gender, c.age};
    IdentificationInput b{GetCodeList(noPulse), QString(), c.gender, c.age};
    EXPECT_EQ(a.codes, b.codes) << "line " << c.line;
    const Identification ia = Ai(index, *dm, a);
    const Identification ib = Ai(index, *dm, b);
    ASSERT_FALSE(ia.results.isEmpty());
    ASSERT_FALSE(ib.results.isEmpty());
    EXPECT_EQ(ia.results.first().Id, ib.results.first().Id) << "line " << c.line;
    EXPECT_EQ(ia.results.first().SymWeight, ib.results.first().SymWeight) << "line " << c.line;
  }
  EXPECT_GT(withPulse, 0);
}

// The differential cases hinge on the cold signs: without them the deficiency
// of qi wins, with them the deficiency of yang.
TEST_P(TextbookCases, ColdSignsTurnQiDeficiencyIntoYangDeficiency) {
  const SyndromeIndex index(dm->knowledge());
  auto first = [&](const QStringList& names, const QString& gender, const QString& age) {
    TextbookCase c;
    c.findings = names;
    IdentificationInput input{GetCodeList(selected(c)), QString(), gender, age};
    const Identification id = Ai(index, *dm, input);
    return id.results.isEmpty() ? QString() : id.results.first().Name;
  };
  const QStringList spleen = {QStringLiteral("食欲不振"), QStringLiteral("腹胀"), QStringLiteral("便溏"),
                              QStringLiteral("神疲"), QStringLiteral("乏力"), QStringLiteral("舌淡胖")};
  EXPECT_EQ(first(spleen, QStringLiteral("男"), QStringLiteral("50")), QStringLiteral("脾气虚"));
  EXPECT_EQ(first(spleen + QStringList{QStringLiteral("四肢不温"), QStringLiteral("喜温喜按")}, QStringLiteral("男"),
                  QStringLiteral("50")),
            QStringLiteral("脾阳虚"));
}

INSTANTIATE_TEST_SUITE_P(BothDatabases, TextbookCases, ::testing::Values(RemoteKind::Sqlite, RemoteKind::Postgres),
                         remoteKindName);

}  // namespace
