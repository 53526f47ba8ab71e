#include "entry/vocabulary_search.h"

#include <QStringMatcher>

#include "crypto/gbk.h"

namespace tcm {

QString searchKey(const QString& boxText, int* gbkLength) {
  // No vocabulary entry holds a character GBK lacks: such a text searches nothing.
  QByteArray bytes = toGbk(boxText.trimmed().toUpper()).bytes;
  if (bytes.size() > 255) {
    bytes.truncate(255);
    // Never cut a two-byte character in half.
    if (!fromGbk(bytes).isEmpty() && toGbk(fromGbk(bytes)).bytes.size() != bytes.size()) bytes.chop(1);
  }
  *gbkLength = static_cast<int>(bytes.size());
  return fromGbk(bytes);
}

SearchOutcome searchVocabulary(const AliasList& vocabulary, const QString& boxText, const QString& category,
                               bool resultListEmpty) {
  SearchOutcome out;
  int length = 0;
  const QString key = searchKey(boxText, &length);
  if (key.isEmpty()) return out;
  if (length > 2 && resultListEmpty) {
    out.action = SearchAction::KeepList;
    return out;
  }
  out.action = SearchAction::Show;
  const bool anyCategory = category == QLatin1String("0");
  const QStringMatcher matcher(key);
  for (const AliasItem& item : vocabulary) {
    const TAliease& a = item.entry;
    if (!anyCategory && a.classId != category) continue;
    if (matcher.indexIn(a.pinyin) < 0 && matcher.indexIn(a.name) < 0) continue;
    SearchHit hit;
    hit.name = a.name;
    hit.entry.id = a.id;
    hit.entry.classId = a.classId;
    hit.entry.mutex = a.mutex;
    out.hits << hit;
    if (out.hits.size() >= kMaxSearchResults) break;
  }
  return out;
}

SearchOutcome VocabularySearch::search(const AliasList& vocabulary, const QString& boxText, const QString& category) {
  int length = 0;
  const QString key = searchKey(boxText, &length);
  const bool extendsMiss = !lastKeyWithoutHits_.isEmpty() && category == lastCategory_ &&
                           key.startsWith(lastKeyWithoutHits_);
  SearchOutcome out = searchVocabulary(vocabulary, boxText, category, extendsMiss);
  if (out.action == SearchAction::Show) {
    lastKeyWithoutHits_ = out.hits.isEmpty() ? key : QString();
    lastCategory_ = category;
  } else if (out.action == SearchAction::HidePopup) {
    lastKeyWithoutHits_.clear();
  }
  return out;
}

}  // namespace tcm
